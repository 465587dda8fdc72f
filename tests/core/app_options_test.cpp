// The qw77 executable's options: its own are taken, Qt's are handed on in order.
#include <gtest/gtest.h>

#include "app/AppOptions.h"

namespace qw77 {
namespace {

TEST(AppOptions, TakesItsOwnAndLeavesTheRestForQt) {
  struct Case {
    std::vector<std::string> args;
    std::map<PortName, std::string> specs;
    std::string flags;  // which of list-ports, version and help were set
    std::vector<std::string> remaining;
  } cases[] = {
      {{"qw77"}, {}, "", {"qw77"}},
      {{"qw77", "--com1", "/dev/ttyUSB0", "-platform", "offscreen", "--lpt2=vprinter:/tmp/s"},
       {{PortName::kCom1, "/dev/ttyUSB0"}, {PortName::kLpt2, "vprinter:/tmp/s"}},
       "",
       {"qw77", "-platform", "offscreen"}},
      {{"/usr/bin/qw77", "-display", ":1", "--list-ports", "-reverse", "--com3", "tcp:p:9100"},
       {{PortName::kCom3, "tcp:p:9100"}},
       "list-ports",
       {"/usr/bin/qw77", "-display", ":1", "-reverse"}},
      {{"qw77", "--version"}, {}, "version", {"qw77"}},
      {{"qw77", "--help"}, {}, "help", {"qw77"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    Result<AppOptions> options = ParseAppOptions(c.args);
    ASSERT_TRUE(options.ok()) << options.status().message();
    EXPECT_EQ(options->port_specs, c.specs);
    const std::string flags = std::string(options->list_ports ? "list-ports" : "") +
                              (options->version ? "version" : "") + (options->help ? "help" : "");
    EXPECT_EQ(flags, c.flags);
    EXPECT_EQ(options->remaining, c.remaining);
    EXPECT_EQ(options->help_text.find("--lpt2 SPEC") != std::string::npos, options->help);
  }
}

TEST(AppOptions, RefusesBadUsageWithTheParsersMessage) {
  struct Case {
    std::vector<std::string> args;
    std::string_view message;
  } cases[] = {
      {{"qw77", "--com1"}, "--com1"},
      {{"qw77", "--lpt1", "ppdev:/dev/parport0", "--lpt1", "ppdev:/dev/parport1"}, "--lpt1"},
  };
  for (const Case& c : cases) {
    Result<AppOptions> options = ParseAppOptions(c.args);
    ASSERT_FALSE(options.ok()) << c.args.back();
    EXPECT_EQ(options.status().code(), ErrorCode::kInvalidArgument);
    EXPECT_NE(options.status().message().find(c.message), std::string::npos)
        << options.status().message();
  }
}

}  // namespace
}  // namespace qw77
