// Raw I/O-port and physical-memory access for the parallel link. Every call answers
// true on success; false means the access was refused.
#pragma once

#include <cstdint>
#include <string>

namespace qw77 {

class PortAccess {
 public:
  virtual ~PortAccess() = default;

  // Prepares access; false when a port exists that cannot be opened.
  virtual bool InitializeWinIo() = 0;
  virtual bool ShutdownWinIo() = 0;

  // Reads `size` bytes (always 1 here) from an I/O port into the low bits of `value`.
  virtual bool GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) = 0;
  // Puts the low `size` bytes of `value` on an I/O port at once.
  virtual bool SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) = 0;
  // The little-endian 32-bit word at a physical address (the BIOS data area at 400h..).
  virtual bool GetPhysLong(std::uint32_t address, std::uint32_t& value) = 0;

  // Hands on whatever the access has buffered of the data strobed so far (a device that
  // takes bytes in transfers rather than one at a time); false when that failed.
  virtual bool Flush() { return true; }

  // Why the last InitializeWinIo failed, for the log ("" when it did not).
  virtual std::string FailureReason() const { return {}; }
};

}  // namespace qw77
