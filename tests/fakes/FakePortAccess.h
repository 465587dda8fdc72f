// I/O ports and the BIOS data area in memory, with a printer's status register and a
// record of every access in order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/PortAccess.h"

namespace qw77::testing {

struct PortEvent {
  enum Kind { kRead, kWrite, kPhysRead } kind;
  std::uint32_t address;
  std::uint32_t value;
};

class FakePortAccess : public PortAccess {
 public:
  bool InitializeWinIo() override {
    ++initializations;
    return initialize_ok;
  }
  bool ShutdownWinIo() override {
    ++shutdowns;
    return true;
  }
  bool GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) override;
  bool SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) override;
  bool GetPhysLong(std::uint32_t address, std::uint32_t& value) override;

  // The BIOS data area: 16-bit words by physical address (408h LPT1, 40Ah LPT2).
  std::map<std::uint32_t, std::uint16_t> bios_words;
  // Value of a read at `port`; default: registers hold what was last written.
  std::function<std::uint8_t(std::uint16_t port)> on_read;
  std::function<void(std::uint16_t port, std::uint8_t value)> on_write;
  std::map<std::uint16_t, std::uint8_t> registers;
  std::vector<PortEvent> log;
  bool initialize_ok = true;
  bool refuse_all = false;  // every access answers false
  int refuse_after = -1;    // accesses that succeed before the refusals start (-1: never)
  int initializations = 0;
  int shutdowns = 0;

  std::vector<std::uint8_t> DataWrites(std::uint16_t data_port) const;
  // Every access tried, refused ones included (the log holds only those that succeeded).
  int Attempts() const { return accesses_; }

 private:
  bool Refused();
  int accesses_ = 0;
};

}  // namespace qw77::testing
