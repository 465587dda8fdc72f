#include "platform/factory/RoutedPortAccess.h"

#include <utility>

namespace qw77 {

RoutedPortAccess::RoutedPortAccess(std::unique_ptr<PortAccess> lpt1,
                                   std::unique_ptr<PortAccess> lpt2) {
  slots_[0].access = std::move(lpt1);
  slots_[1].access = std::move(lpt2);
}

bool RoutedPortAccess::InitializeWinIo() {
  failure_.clear();
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Slot& slot = slots_[i];
    slot.child_base = 0;
    if (!slot.access) continue;
    if (!slot.access->InitializeWinIo()) {
      failure_ = std::string(i == 0 ? "LPT1: " : "LPT2: ") + slot.access->FailureReason();
      return false;
    }
    std::uint32_t word = 0;
    if (slot.access->GetPhysLong(0x408, word)) slot.child_base = static_cast<std::uint16_t>(word);
  }
  return true;
}

bool RoutedPortAccess::ShutdownWinIo() {
  bool ok = true;
  for (Slot& slot : slots_) {
    if (slot.access) ok = slot.access->ShutdownWinIo() && ok;
  }
  return ok;
}

RoutedPortAccess::Slot* RoutedPortAccess::Route(std::uint16_t port, std::uint16_t& child_port) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Slot& slot = slots_[i];
    if (slot.child_base == 0 || port < kBases[i] || port > kBases[i] + 2) continue;
    child_port = static_cast<std::uint16_t>(slot.child_base + (port - kBases[i]));
    return &slot;
  }
  return nullptr;
}

bool RoutedPortAccess::GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) {
  std::uint16_t child_port = 0;
  Slot* slot = Route(port, child_port);
  return slot != nullptr && slot->access->GetPortVal(child_port, value, size);
}

bool RoutedPortAccess::SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) {
  std::uint16_t child_port = 0;
  Slot* slot = Route(port, child_port);
  return slot != nullptr && slot->access->SetPortVal(child_port, value, size);
}

bool RoutedPortAccess::GetPhysLong(std::uint32_t address, std::uint32_t& value) {
  // The BIOS data area lists LPT1 at 408h and LPT2 at 40Ah, two bytes apart.
  auto base = [this](std::size_t i) -> std::uint32_t {
    return slots_[i].child_base != 0 ? kBases[i] : 0;
  };
  if (address == 0x408) {
    value = base(0) | base(1) << 16;
  } else if (address == 0x40A) {
    value = base(1);
  } else {
    value = 0;
  }
  return true;
}

bool RoutedPortAccess::Flush() {
  bool ok = true;
  for (Slot& slot : slots_) {
    if (slot.access && slot.child_base != 0) ok = slot.access->Flush() && ok;
  }
  return ok;
}

}  // namespace qw77
