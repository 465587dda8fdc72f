// LPT1 and LPT2 on two different interfaces: each child presents its one port as its own
// LPT1, and this access shows them at the usual bases (378h and 278h), routing every register
// access to its child at the child's own base.
#pragma once

#include <array>
#include <memory>

#include "platform/PortAccess.h"

namespace qw77 {

class RoutedPortAccess : public PortAccess {
 public:
  // A null child leaves that port absent.
  RoutedPortAccess(std::unique_ptr<PortAccess> lpt1, std::unique_ptr<PortAccess> lpt2);

  bool InitializeWinIo() override;
  bool ShutdownWinIo() override;
  bool GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) override;
  bool SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) override;
  bool GetPhysLong(std::uint32_t address, std::uint32_t& value) override;
  bool Flush() override;
  std::string FailureReason() const override { return failure_; }

  static constexpr std::array<std::uint16_t, 2> kBases = {0x378, 0x278};

 private:
  struct Slot {
    std::unique_ptr<PortAccess> access;
    std::uint16_t child_base = 0;  // 0: the child has no port
  };
  // The slot whose registers `port` addresses, with the address in the child's terms.
  Slot* Route(std::uint16_t port, std::uint16_t& child_port);

  std::array<Slot, 2> slots_;
  std::string failure_;
};

}  // namespace qw77
