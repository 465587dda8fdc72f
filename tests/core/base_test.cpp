// The helpers every room shares: errno to Status, whole-file replacement, UTF-8 decoding,
// line timing and deadlines.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Deadline.h"
#include "base/Errno.h"
#include "base/FileReplace.h"
#include "base/LineTiming.h"
#include "base/Utf8.h"

namespace qw77 {
namespace {

TEST(Errno, EachErrorNumberHasItsCode) {
  const struct {
    int error_number;
    ErrorCode code;
  } cases[] = {
      {0, ErrorCode::kNone},           {ENOENT, ErrorCode::kNotFound},
      {ENODEV, ErrorCode::kNotFound},  {ECONNREFUSED, ErrorCode::kNotFound},
      {EBUSY, ErrorCode::kBusy},       {EACCES, ErrorCode::kPermission},
      {EROFS, ErrorCode::kPermission}, {ETIMEDOUT, ErrorCode::kTimedOut},
      {EIO, ErrorCode::kIo},           {EISDIR, ErrorCode::kIo},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorCodeForErrno(c.error_number), c.code) << c.error_number;
  const Status st = ErrnoStatus(ENOENT, "cannot open /dev/ttyS9");
  EXPECT_EQ(st.code(), ErrorCode::kNotFound);
  EXPECT_EQ(st.message(), "cannot open /dev/ttyS9: " + ErrnoText(ENOENT));
}

TEST(Utf8, DecodesWellFormedAndRefusesTheRest) {
  const struct {
    const char* text;
    char32_t code;
    std::size_t next;
  } cases[] = {
      {"A", U'A', 1},
      {"\xC3\xA9", 0xE9, 2},                    // é
      {"\xE2\x82\xAC", 0x20AC, 3},              // €
      {"\xF0\x9F\x98\x80", 0x1F600, 4},         // outside the basic plane
      {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},        // the last code point
      {"\xF4\x90\x80\x80", kMalformedUtf8, 1},  // one beyond it
      {"\xC0\xAF", kMalformedUtf8, 1},          // overlong
      {"\xED\xA0\x80", kMalformedUtf8, 1},      // a surrogate
      {"\x80", kMalformedUtf8, 1},              // a stray continuation byte
      {"\xE2\x82", kMalformedUtf8, 1},          // cut short
      {"\xFF", kMalformedUtf8, 1},
  };
  for (const auto& c : cases) {
    std::size_t i = 0;
    EXPECT_EQ(DecodeUtf8(c.text, i), c.code) << c.text;
    EXPECT_EQ(i, c.next) << c.text;
  }
}

TEST(LineTiming, WireTimeCountsEveryBitOfEveryCharacter) {
  using std::chrono::microseconds;
  EXPECT_EQ(WireTime(1, 10, 9600), microseconds(1041));        // 8N1
  EXPECT_EQ(WireTime(4096, 11, 4800), microseconds(9386666));  // 8E1
  EXPECT_EQ(WireTime(0, 10, 9600), microseconds(0));
  EXPECT_EQ(WireTime(100, 10, 0), microseconds(0));  // a line without a rate
}

TEST(Deadline, RoundsUpAndNeverGoesBelowZero) {
  const auto now = std::chrono::steady_clock::now();
  using std::chrono::microseconds;
  EXPECT_EQ(MillisecondsUntil(now, now), 0);
  EXPECT_EQ(MillisecondsUntil(now - microseconds(1), now), 0);
  EXPECT_EQ(MillisecondsUntil(now + microseconds(1), now), 1);
  EXPECT_EQ(MillisecondsUntil(now + microseconds(1000), now), 1);
  EXPECT_EQ(MillisecondsUntil(now + microseconds(1001), now), 2);
  EXPECT_EQ(MillisecondsUntil(now + std::chrono::hours(24 * 365 * 100), now), INT_MAX);
}

class FileReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("qw77-replace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  std::filesystem::path dir_;
};

TEST_F(FileReplaceTest, ReplacesTheWholeFileAndLeavesNoTemporary) {
  const std::string path = (dir_ / "ticket.bin").string();
  std::ofstream(path) << "an older and longer content";
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  ASSERT_EQ(ReplaceFile(path, bytes), 0);
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileReplaceTest, AFailedRenameKeepsWhatWasThereAndRemovesTheTemporary) {
  std::filesystem::create_directory(dir_ / "ticket.bin");
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(ReplaceFile((dir_ / "ticket.bin").string(), bytes), EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "ticket.bin"));
  EXPECT_EQ(Entries(), 1u);
  EXPECT_EQ(ReplaceFile((dir_ / "no-such-folder" / "x").string(), bytes), ENOENT);
}

}  // namespace
}  // namespace qw77
