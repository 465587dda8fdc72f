// What the ticket benchmarks share: the 448 x 400 logo they print and a platform that only
// tells where the program lives (the logos are read from there).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assets/MonoBitmap.h"
#include "platform/System.h"

namespace qw77::bench {

// The largest logo the window prints, with a pattern that defeats no compression.
inline std::vector<std::uint8_t> Logo448x400() {
  assets::MonoPicture picture(448, 400);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 448; ++x) picture.Set(x, y, (x * y) % 7 < 3);
  }
  return assets::EncodeMonoBmp(picture);
}

// Only the program directory is asked for; the rest of the platform stays unused.
class BenchSystem : public System {
 public:
  explicit BenchSystem(std::string dir) : dir_(std::move(dir)) {}
  OsFamily Family() override { return OsFamily::kPosix; }
  Status DefineDeviceAlias(const DeviceAlias&) override { return Status::Ok(); }
  std::optional<std::string> GetEnv(std::string_view) override { return std::nullopt; }
  Result<ProcessId> StartProcess(const std::vector<std::string>&) override {
    return Status(ErrorCode::kInvalidArgument, "not here");
  }
  ProcessPoll PollProcess(ProcessId) override { return {}; }
  void ReleaseProcess(ProcessId) override {}
  std::string ProgramDirectory() override { return dir_; }

 private:
  std::string dir_;
};

}  // namespace qw77::bench
