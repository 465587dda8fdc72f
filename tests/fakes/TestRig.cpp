#include "tests/fakes/TestRig.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

namespace qw77::testing {

ScopedTempDir::ScopedTempDir() : previous_(std::filesystem::current_path()) {
  // A folder of our own: create_directory fails on one that exists, so try another name.
  std::random_device random;
  for (int attempt = 0; path_.empty(); ++attempt) {
    if (attempt == 100) throw std::runtime_error("no temporary folder could be made");
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / ("qw77-test-" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) path_ = candidate;
  }
  std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  std::filesystem::current_path(previous_, ec);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

}  // namespace qw77::testing
