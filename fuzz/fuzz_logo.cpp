// Feeds arbitrary bytes to the logo reader as if they were a bitmap file. Besides the
// sanitizers' checks, a block that is accepted must be exactly as long as its own header says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "protocol/LogoBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> out = {0xAB};
  const qw77::Status st = qw77::AppendLogoBlock(out, std::span<const std::uint8_t>(data, size));
  if (!st.ok()) {
    if (out.size() != 1 || st.message().empty()) std::abort();
    return 0;
  }
  if (out.size() < 9) std::abort();
  const std::size_t row_bytes = out[5] | static_cast<std::size_t>(out[6]) << 8;
  const std::size_t rows = out[7] | static_cast<std::size_t>(out[8]) << 8;
  if (row_bytes < 1 || row_bytes > 128 || rows < 1 || rows > 4095) std::abort();
  if (out.size() != 9 + row_bytes * rows) std::abort();
  return 0;
}
