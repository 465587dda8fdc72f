#include "tests/fakes/FakePortAccess.h"

namespace qw77::testing {

bool FakePortAccess::Refused() {
  ++accesses_;
  return refuse_all || (refuse_after >= 0 && accesses_ > refuse_after);
}

bool FakePortAccess::GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t) {
  if (Refused()) return false;
  std::uint8_t byte = on_read ? on_read(port) : registers[port];
  value = byte;
  log.push_back({PortEvent::kRead, port, byte});
  return true;
}

bool FakePortAccess::SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t) {
  if (Refused()) return false;
  auto byte = static_cast<std::uint8_t>(value & 0xFF);
  registers[port] = byte;
  log.push_back({PortEvent::kWrite, port, byte});
  if (on_write) on_write(port, byte);
  return true;
}

bool FakePortAccess::GetPhysLong(std::uint32_t address, std::uint32_t& value) {
  if (Refused()) return false;
  auto word = [&](std::uint32_t a) -> std::uint32_t {
    auto it = bios_words.find(a);
    return it == bios_words.end() ? 0 : it->second;
  };
  value = word(address) | (word(address + 2) << 16);
  log.push_back({PortEvent::kPhysRead, address, value});
  return true;
}

std::vector<std::uint8_t> FakePortAccess::DataWrites(std::uint16_t data_port) const {
  std::vector<std::uint8_t> out;
  for (const PortEvent& e : log) {
    if (e.kind == PortEvent::kWrite && e.address == data_port) {
      out.push_back(static_cast<std::uint8_t>(e.value));
    }
  }
  return out;
}

}  // namespace qw77::testing
