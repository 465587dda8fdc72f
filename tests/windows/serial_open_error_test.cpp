// What a COM port that Windows will not open means: the Win32 link's reading of CreateFile's
// error, and what qw77-cli.exe makes of it. A port held by another program cannot be staged
// under wine (it keeps no COM port exclusive), so this table is where that case is shown.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/win32/Win32SerialLink.h"
#include "tests/cli/CliRig.h"

namespace qw77 {
namespace {

TEST(SerialOpenError, SaysWhyAndTheCliExitsWithPortUnusable) {
  struct Case {
    DWORD error;
    ErrorCode code;
    bool held;  // the message says another program holds the port
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, ErrorCode::kNotFound, false},
      {ERROR_PATH_NOT_FOUND, ErrorCode::kNotFound, false},
      {ERROR_ACCESS_DENIED, ErrorCode::kBusy, true},
      {ERROR_SHARING_VIOLATION, ErrorCode::kBusy, true},
      {ERROR_BUSY, ErrorCode::kBusy, true},
      {ERROR_GEN_FAILURE, ErrorCode::kIo, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const Status s = SerialOpenError("COM7", c.error);
    EXPECT_EQ(s.code(), c.code);
    const std::string& text = s.message();
    EXPECT_EQ(text.rfind("cannot open serial device COM7: ", 0), 0u) << text;
    EXPECT_NE(text.find("(error " + std::to_string(c.error) + ")"), std::string::npos) << text;
    EXPECT_EQ(text.find("another program holds the port") != std::string::npos, c.held) << text;

    testing::CliRig cli;
    cli.com1.open_error = s;
    EXPECT_EQ(cli.Run({"status", "--port", "COM1", "--json"}), 3) << cli.err;
    const auto line = nlohmann::json::parse(cli.out);
    EXPECT_EQ(line["outcome"], "port_unusable") << cli.out;
    // The cause follows the message on standard error, its first letter a capital.
    EXPECT_NE(cli.err.find("C" + text.substr(1)), std::string::npos) << cli.err;
  }
}

}  // namespace
}  // namespace qw77
