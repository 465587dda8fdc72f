// The ports on Windows: the ports file in %APPDATA%\qw77 with Windows' SPECs (COMn, \\.\COMn,
// tcp:), read as a Windows editor writes it, and what "qw77-cli.exe ports" lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/fakes/TestRig.h"
#include "transport/PortListing.h"
#include "transport/PortMap.h"

namespace qw77 {
namespace {

namespace fs = std::filesystem;

EnvLookup Env(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    auto found = variables.find(std::string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

TEST(WindowsPorts, TheFileLiesInAppData) {
  EXPECT_EQ(PortsFilePath(Env({{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}})),
            fs::path("C:\\Users\\u\\AppData\\Roaming\\qw77\\ports.ini"));
  EXPECT_EQ(PortsFilePath(Env({{"APPDATA", "Roaming"}})), fs::path());
  EXPECT_EQ(PortsFilePath(Env({{"HOME", "C:\\Users\\u"}})), fs::path());
}

// A ports file of exactly `size` bytes: comment lines after the header, blank lines to fill.
std::string FileOfSize(std::size_t size) {
  std::string text = "[ports]\r\n";
  while (text.size() + 100 <= size) text += "; " + std::string(96, 'x') + "\r\n";
  return text + std::string(size - text.size(), '\n');
}

class WindowsPortsFile : public ::testing::Test {
 protected:
  Result<PortMap> Load(const std::string& text) {
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
    return LoadPortMap(PortMapSources{{}, {}, file_});
  }
  testing::ScopedTempDir tmp_;
  const fs::path file_ = tmp_.path() / "ports.ini";
};

TEST_F(WindowsPortsFile, TakesComPortsAndNetworkPrintersInNotepadsLines) {
  Result<PortMap> map = Load(
      "\xEF\xBB\xBF[ports]\r\nCOM1 = COM5\r\ncom2 = \\\\.\\COM256\r\nCOM3 = tcp:printer:9101\r\n");
  ASSERT_TRUE(map.ok()) << map.status().message();
  EXPECT_EQ((*map)[0].endpoint.Spec(), "COM5");
  EXPECT_EQ((*map)[1].endpoint.Spec(), "\\\\.\\COM256");
  EXPECT_EQ((*map)[2].endpoint.Spec(), "tcp:printer:9101");
  EXPECT_EQ((*map)[2].origin, file_.string() + " line 4");
}

TEST_F(WindowsPortsFile, RefusesWhatIsNoComPortWithItsLine) {
  for (const char* spec : {"COM0", "COM257", "\\\\.\\COM999", "COM", "/dev/ttyUSB0", "ttyS0"}) {
    SCOPED_TRACE(spec);
    Result<PortMap> map = Load(std::string("[ports]\r\nCOM1 = ") + spec + "\r\n");
    ASSERT_FALSE(map.ok());
    const std::string& message = map.status().message();
    EXPECT_EQ(message.rfind(file_.string() +
                                " line 2: COM1 takes a COM port (COM1 to COM256, or \\\\.\\COMn) "
                                "or tcp:HOST[:PORT]; got \"",
                            0),
              0u)
        << message;
    EXPECT_TRUE(message.ends_with("\" (a COM port is COM1 to COM256)")) << message;
  }
}

TEST_F(WindowsPortsFile, AFolderOrAnOversizedFileIsRefusedAndNoFileIsNoFault) {
  fs::create_directory(tmp_.path() / "folder.ini");
  Result<PortMap> map = LoadPortMap(PortMapSources{{}, {}, tmp_.path() / "folder.ini"});
  ASSERT_FALSE(map.ok());
  EXPECT_NE(map.status().message().find("is not a regular file"), std::string::npos);

  EXPECT_TRUE(Load(FileOfSize(64 * 1024)).ok());
  map = Load(FileOfSize(64 * 1024 + 1));
  ASSERT_FALSE(map.ok());
  EXPECT_NE(map.status().message().find("is larger than 64 KiB"), std::string::npos);

  map = LoadPortMap(PortMapSources{{}, {}, tmp_.path() / "none" / "ports.ini"});
  ASSERT_TRUE(map.ok()) << map.status().message();
  EXPECT_EQ((*map)[0].endpoint.Spec(), "COM1");
}

// The COM ports reach Windows' own by default; the parallel ports are not there, bound or not.
TEST(WindowsPorts, TheListingShowsComPortsAndNoParallelPort) {
  Result<PortMap> map =
      LoadPortMap(PortMapSources{{}, Env({{"QW77_LPT2", "usblp:/dev/usb/lp0"}}), {}});
  ASSERT_TRUE(map.ok()) << map.status().message();
  DeviceInfo com1;
  com1.dev_path = "COM1";
  com1.kind = "serial port";
  com1.model = "\\Device\\Serial0";
  std::ostringstream out;
  WritePortListing(out, *map, {com1});
  EXPECT_EQ(out.str(),
            "Devices found: 1\n\nCOM1\n  kind     serial port\n  model    \\Device\\Serial0\n\n"
            "Ports:\n"
            "  COM1 - COM1, serial port \\Device\\Serial0  (default)\n"
            "  COM2 - COM2  (default)\n"
            "  COM3 - COM3  (default)\n"
            "  LPT1 - not available on Windows  (default)\n"
            "  LPT2 - usblp:/dev/usb/lp0: not available on Windows  (from QW77_LPT2)\n");
}

}  // namespace
}  // namespace qw77
