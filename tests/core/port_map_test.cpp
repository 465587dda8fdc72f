// The port map: which SPECs each port takes, which source wins, and how a bad setting in any
// source is refused with its origin and (in the ports file) its line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/fakes/TestRig.h"
#include "transport/PortMap.h"

namespace qw77 {
namespace {

namespace fs = std::filesystem;

constexpr PortName kCom1 = PortName::kCom1, kCom2 = PortName::kCom2, kCom3 = PortName::kCom3,
                   kLpt1 = PortName::kLpt1, kLpt2 = PortName::kLpt2;

Endpoint Serial(std::string path) {
  return {EndpointKind::kSerialDevice, std::move(path), {}, kDefaultTcpPort};
}
Endpoint Tcp(std::string host, std::uint16_t port) {
  return {EndpointKind::kTcp, {}, std::move(host), port};
}
Endpoint Of(EndpointKind kind, std::string path) {
  return {kind, std::move(path), {}, kDefaultTcpPort};
}

EnvLookup FakeEnv(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    auto found = variables.find(std::string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

TEST(ParseEndpoint, TakesEachKindOnThePortsItServes) {
  struct Case {
    PortName port;
    std::string_view spec;
    Endpoint expected;
  } cases[] = {
      {kCom1, "/dev/ttyUSB0", Serial("/dev/ttyUSB0")},
      // by-path names hold colons of their own.
      {kCom2, "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0",
       Serial("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0")},
      {kCom3, "/dev/pts/7", Serial("/dev/pts/7")},
      {kCom1, "tcp:printer.local", Tcp("printer.local", 9100)},
      {kCom1, "TCP:192.168.1.50:9101", Tcp("192.168.1.50", 9101)},
      {kCom2, "tcp:[::1]", Tcp("::1", 9100)},
      {kCom2, "tcp:[fe80::1%eth0]:65535", Tcp("fe80::1%eth0", 65535)},
      {kCom3, "usblp:/dev/usb/lp0", Of(EndpointKind::kUsbLp, "/dev/usb/lp0")},
      {kLpt1, "usblp:/dev/lp1", Of(EndpointKind::kUsbLp, "/dev/lp1")},
      {kLpt1, "ppdev:/dev/parport0", Of(EndpointKind::kPpdev, "/dev/parport0")},
      {kLpt2, "vprinter:/tmp/qw77-lpt", Of(EndpointKind::kVPrinter, "/tmp/qw77-lpt")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    Result<Endpoint> parsed = ParseEndpoint(c.port, c.spec);
    ASSERT_TRUE(parsed.ok()) << parsed.status().message();
    EXPECT_EQ(*parsed, c.expected);
    // What the map shows reads back as the same endpoint.
    EXPECT_EQ(ParseEndpoint(c.port, parsed->Spec()).value(), c.expected);
  }
}

TEST(ParseEndpoint, RefusesWithWhatThePortTakesAndWhy) {
  const std::string long_socket = "vprinter:/" + std::string(120, 's');
  struct Case {
    PortName port;
    std::string_view spec;
    std::string_view why;
  } cases[] = {
      {kCom1, "", "nothing was given"},
      {kCom1, "ttyUSB0", "must be absolute"},
      {kCom1, "/dev/tty\nUSB0", "control character"},
      {kCom1, "ppdev:/dev/parport0", "LPT1 and LPT2 only"},
      {kCom2, "vprinter:/tmp/s", "serves LPT1 and LPT2"},
      {kLpt1, "/dev/parport0", "names a serial device"},
      {kLpt2, "tcp:printer", "COM1 to COM3 only"},
      {kCom1, "tcp:", "host is missing"},
      {kCom1, "tcp:printer:0", "1 to 65535"},
      {kCom1, "tcp:printer:65536", "1 to 65535"},
      {kCom1, "tcp:printer:91x", "1 to 65535"},
      {kCom1, "tcp:::1", "in brackets"},
      {kCom1, "tcp:[::1", "closing ]"},
      {kCom1, "tcp:[::1]9100", "only :PORT"},
      {kCom1, "tcp:[::g]", "not an IPv6 address"},
      {kCom1, "tcp:300.1.1.1", "not an IPv4 address"},
      {kCom1, "tcp:print er", "not a host name"},
      {kCom1, "tcp:-printer.lan", "not a host name"},
      {kLpt1, "ppdev:", "path is missing"},
      {kLpt1, "vprinter:", "socket path is missing"},
      {kLpt1, long_socket, "at most 107 bytes"},
      {kLpt2, "parallel:/dev/parport1", "\"parallel\" is no kind of endpoint"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec);
    Result<Endpoint> parsed = ParseEndpoint(c.port, c.spec);
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.status().code(), ErrorCode::kInvalidArgument);
    const std::string& message = parsed.status().message();
    const std::string takes =
        IsSerialPort(c.port)
            ? " takes a serial device path (/dev/ttyUSB0), tcp:HOST[:PORT] or usblp:/dev/usb/lpN; "
            : " takes ppdev:/dev/parportN, vprinter:SOCKET or usblp:/dev/usb/lpN; ";
    EXPECT_EQ(message.rfind(std::string(PortNameText(c.port)) + takes + "got \"", 0), 0u)
        << message;
    EXPECT_NE(message.find(c.why), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << "a control character reached the text";
  }
}

TEST(PortsFilePath, FollowsXdgConfigHomeElseHome) {
  struct Case {
    std::map<std::string, std::string> env;
    fs::path expected;
  } cases[] = {
      {{{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}, "/cfg/qw77/ports.ini"},
      {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}}, "/home/u/.config/qw77/ports.ini"},
      {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/u"}}, "/home/u/.config/qw77/ports.ini"},
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PortsFilePath(FakeEnv(c.env)), c.expected);
}

class PortMapTest : public ::testing::Test {
 protected:
  // The sources with the ports file holding `file_text` (no file when nullopt).
  PortMapSources Sources(std::map<PortName, std::string> options,
                         std::map<std::string, std::string> env,
                         const std::optional<std::string>& file_text) {
    PortMapSources sources{std::move(options), FakeEnv(std::move(env)), {}};
    if (file_text) {
      sources.settings_file = file_;
      std::ofstream(file_, std::ios::binary | std::ios::trunc) << *file_text;
    }
    return sources;
  }
  testing::ScopedTempDir tmp_;
  const fs::path file_ = tmp_.path() / "ports.ini";
};

TEST_F(PortMapTest, FirstSourceThatNamesAPortWins) {
  struct Case {
    const char* name;
    std::map<PortName, std::string> options;
    std::map<std::string, std::string> env;
    std::optional<std::string> file;
    std::string expected;  // COM1..LPT2 as "SPEC <origin>", the ports file's name left out
  } cases[] = {
      {"nothing set",
       {},
       {},
       {},
       "/dev/ttyS0 <default>, /dev/ttyS1 <default>, /dev/ttyS2 <default>, "
       "ppdev:/dev/parport0 <default>, ppdev:/dev/parport1 <default>"},
      {"option > env > file > default, port by port",
       {{kCom1, "/dev/opt1"}},
       {{"QW77_COM1", "/dev/env1"},
        {"QW77_COM2", "/dev/env2"},
        {"QW77_LPT1", "usblp:/dev/usb/lp0"}},
       "; the bench\n[ports]\nCOM1 = /dev/file1\nCOM2 = /dev/file2\nCOM3 = tcp:file3\n"
       "LPT1 = vprinter:/f\nLPT2 = ppdev:/dev/parport5 ; the card\n",
       "/dev/opt1 <--com1>, /dev/env2 <QW77_COM2>, tcp:file3:9100 <line 5>, "
       "usblp:/dev/usb/lp0 <QW77_LPT1>, ppdev:/dev/parport5 <line 7>"},
      {"an empty variable is unset; keys and section in any case",
       {},
       {{"QW77_COM1", ""}, {"QW77_LPT2", ""}},
       "[Ports]\ncom1 = /dev/ttyUSB0\nLpt2: usblp:/dev/usb/lp1\n",
       "/dev/ttyUSB0 <line 2>, /dev/ttyS1 <default>, /dev/ttyS2 <default>, "
       "ppdev:/dev/parport0 <default>, usblp:/dev/usb/lp1 <line 3>"},
      {"QW77_PORT_ACCESS=vprinter puts LPT1 on the socket",
       {},
       {{"QW77_PORT_ACCESS", "vprinter:/tmp/qw77-lpt"}},
       "[ports]\nLPT1 = ppdev:/dev/parport3\nLPT2 = ppdev:/dev/parport4\n",
       "/dev/ttyS0 <default>, /dev/ttyS1 <default>, /dev/ttyS2 <default>, "
       "vprinter:/tmp/qw77-lpt <QW77_PORT_ACCESS>, ppdev:/dev/parport4 <line 3>"},
      {"QW77_PORT_ACCESS=ppdev is the environment naming the usual devices",
       {},
       {{"QW77_PORT_ACCESS", "ppdev"}},
       "[ports]\nLPT1 = vprinter:/tmp/s\n",
       "/dev/ttyS0 <default>, /dev/ttyS1 <default>, /dev/ttyS2 <default>, "
       "ppdev:/dev/parport0 <QW77_PORT_ACCESS>, ppdev:/dev/parport1 <QW77_PORT_ACCESS>"},
      {"QW77_LPT1 and --lpt2 win over QW77_PORT_ACCESS",
       {{kLpt2, "usblp:/dev/usb/lp2"}},
       {{"QW77_PORT_ACCESS", "ppdev"}, {"QW77_LPT1", "vprinter:/tmp/s"}},
       {},
       "/dev/ttyS0 <default>, /dev/ttyS1 <default>, /dev/ttyS2 <default>, "
       "vprinter:/tmp/s <QW77_LPT1>, usblp:/dev/usb/lp2 <--lpt2>"},
  };
  for (const Case& c : cases) {
    Result<PortMap> map = LoadPortMap(Sources(c.options, c.env, c.file));
    ASSERT_TRUE(map.ok()) << c.name << ": " << map.status().message();
    std::string shown;
    for (const Binding& binding : *map) {
      std::string origin = binding.origin;
      if (origin.rfind(file_.string() + " ", 0) == 0) origin.erase(0, file_.string().size() + 1);
      shown += (shown.empty() ? "" : ", ") + binding.endpoint.Spec() + " <" + origin + ">";
    }
    EXPECT_EQ(shown, c.expected) << c.name;
  }
}

TEST_F(PortMapTest, ABadOptionOrVariableRefusesTheMapNamingIt) {
  struct Case {
    std::map<PortName, std::string> options;
    std::map<std::string, std::string> env;
    std::string message_start;
  } cases[] = {
      {{{kCom1, "ttyUSB0"}}, {}, "--com1: COM1 takes"},
      {{}, {{"QW77_LPT2", "tcp:printer"}}, "QW77_LPT2: LPT2 takes"},
      // A bad variable is said even where an option overrides it.
      {{{kCom3, "/dev/ttyUSB0"}}, {{"QW77_COM3", "usb0"}}, "QW77_COM3: COM3 takes"},
      {{}, {{"QW77_PORT_ACCESS", "winio"}}, "QW77_PORT_ACCESS takes ppdev or vprinter:SOCKET; got"},
      {{}, {{"QW77_PORT_ACCESS", "vprinter:"}}, "QW77_PORT_ACCESS: LPT1 takes"},
  };
  for (const Case& c : cases) {
    Result<PortMap> map = LoadPortMap(Sources(c.options, c.env, std::nullopt));
    ASSERT_FALSE(map.ok()) << c.message_start;
    EXPECT_EQ(map.status().code(), ErrorCode::kInvalidArgument);
    EXPECT_EQ(map.status().message().rfind(c.message_start, 0), 0u) << map.status().message();
  }
}

// Port by port, a bad setting refuses only the ports it concerns; the rest are bound.
TEST_F(PortMapTest, ByPortABadSettingRefusesOnlyItsPorts) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> env;
    std::optional<std::string> file;
    std::string refused;  // the refused ports, COM1..LPT2 as 0/1
  } cases[] = {
      {"nothing wrong", {{"QW77_COM1", "/dev/ttyUSB0"}}, {}, "00000"},
      {"a bad COM2", {{"QW77_COM1", "/dev/ttyUSB0"}, {"QW77_COM2", "garbage"}}, {}, "01000"},
      {"a bad parallel access", {{"QW77_PORT_ACCESS", "bogus"}}, {}, "00011"},
      {"a bad LPT2", {{"QW77_LPT2", "tcp:x"}}, {}, "00001"},
      {"a file that cannot be taken", {}, "[ports]\nCOM9 = /dev/x\n", "11111"},
  };
  for (const Case& c : cases) {
    const PortMapByPort map = LoadPortMapByPort(Sources({}, c.env, c.file));
    std::string refused;
    for (const Status& s : map.refused) refused += s.ok() ? '0' : '1';
    EXPECT_EQ(refused, c.refused) << c.name;
  }
  const PortMapByPort map =
      LoadPortMapByPort(Sources({}, {{"QW77_COM1", "/dev/ttyUSB0"}, {"QW77_COM2", "garbage"}}, {}));
  EXPECT_EQ(map.map[PortIndex(kCom1)].endpoint, Serial("/dev/ttyUSB0"));
  EXPECT_EQ(map.map[PortIndex(kCom2)].endpoint, DefaultEndpoint(kCom2));
  EXPECT_EQ(map.refused[PortIndex(kCom2)].message().rfind("QW77_COM2: COM2 takes", 0), 0u);
}

TEST_F(PortMapTest, ABadFileLineRefusesTheMapWithItsLine) {
  using namespace std::string_literals;
  struct Case {
    std::string file;
    std::string message_start;  // after "<file> "
  } cases[] = {
      {"[ports]\nCOM1 = /dev/ttyUSB0\nCOM9 = /dev/ttyUSB1\n", "line 3: \"COM9\" is no port"},
      {"COM1 = /dev/ttyUSB0\n[ports]\n", "line 1: COM1 stands before the [ports] line"},
      {"[ports]\nCOM1=/dev/ttyS0\n\n[serial]\n", "line 4: [serial] is no section"},
      {"; comment\n[ports]\n\nCOM1 /dev/ttyUSB0\n", "line 4: expected [ports], KEY = SPEC"},
      {"[ports\n", "line 1: expected [ports]"},
      {"[ports]\nLPT1 = /dev/parport0\n", "line 2: LPT1 takes ppdev:/dev/parportN"},
      {"[ports]\r\nCOM1=/dev/a\r\ncom1=/dev/b\r\n", "line 3: COM1 is set already on line 2"},
      {"[ports]\nCOM2=/dev/ttyUSB0\nCOM1=/dev/x\0y\n"s, "line 3: the line holds a control"},
      {"[ports]\nCOM\x1b[2J=/dev/x\n", "line 2: the line holds a control character"},
      {"[ports]\nCOM1 = /dev/" + std::string(250, 'x') + "\n", "line 2: the line is longer than"},
      // The first fault wins whichever kind it is.
      {"[ports]\nbroken\nCOM9=/dev/x\n", "line 2: expected"},
      {"[ports]\nCOM9=/dev/x\nbroken\n", "line 2: \"COM9\""},
  };
  for (const Case& c : cases) {
    Result<PortMap> map = LoadPortMap(Sources({}, {}, c.file));
    ASSERT_FALSE(map.ok()) << c.message_start;
    EXPECT_EQ(map.status().code(), ErrorCode::kInvalidArgument);
    EXPECT_EQ(map.status().message().rfind(file_.string() + " " + c.message_start, 0), 0u)
        << map.status().message();
  }
}

TEST_F(PortMapTest, AFileThatIsThereButCannotBeReadIsRefused) {
  struct Case {
    const char* what;
    void (*make)(const fs::path&);
  } cases[] = {
      {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
      // Opening a FIFO for reading would wait for a writer: start-up must not hang on one.
      {"a FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
      {"a file without read permission",
       [](const fs::path& p) {
         std::ofstream(p) << "[ports]\n";
         fs::permissions(p, fs::perms::none);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path path = tmp_.path() / c.what;
    c.make(path);
    if (::access(path.c_str(), R_OK) == 0 && fs::is_regular_file(path)) {
      continue;  // root reads it all the same
    }
    Result<PortMap> map = LoadPortMap(PortMapSources{{}, {}, path});
    ASSERT_FALSE(map.ok());
    EXPECT_NE(map.status().message().find(path.string()), std::string::npos)
        << map.status().message();
  }
  // A file that is not there is no fault: the defaults stand.
  Result<PortMap> map = LoadPortMap(PortMapSources{{}, {}, tmp_.path() / "none" / "ports.ini"});
  ASSERT_TRUE(map.ok()) << map.status().message();
  EXPECT_EQ((*map)[PortIndex(kCom1)].origin, "default");
}

}  // namespace
}  // namespace qw77
