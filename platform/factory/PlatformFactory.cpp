#include "platform/factory/PlatformFactory.h"

#include <cstdlib>
#include <string>

#include "platform/linux/PpdevPortAccess.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SteadyClock.h"
#include "platform/posix/TermiosSerialControl.h"
#include "platform/posix/VPrinterPortAccess.h"

namespace qw77 {
namespace {

// Stands in when the chosen port access does not exist: it refuses everything, and says
// why through FailureReason.
class UnavailablePortAccess : public PortAccess {
 public:
  explicit UnavailablePortAccess(std::string reason) : reason_(std::move(reason)) {}
  bool InitializeWinIo() override { return false; }
  bool ShutdownWinIo() override { return true; }
  bool GetPortVal(std::uint16_t, std::uint32_t&, std::uint8_t) override { return false; }
  bool SetPortVal(std::uint16_t, std::uint32_t, std::uint8_t) override { return false; }
  bool GetPhysLong(std::uint32_t, std::uint32_t&) override { return false; }
  std::string FailureReason() const override { return reason_; }

 private:
  std::string reason_;
};

using PortAccessMaker = std::unique_ptr<PortAccess> (*)(std::string_view argument);

struct PortAccessKind {
  std::string_view name;
  PortAccessMaker make;
};

// Each kind of port access by its name in QW77_PORT_ACCESS; the text after the first ':'
// is handed to the maker as its argument.
constexpr PortAccessKind kPortAccessKinds[] = {
    {"ppdev",
     [](std::string_view) -> std::unique_ptr<PortAccess> {
       return std::make_unique<PpdevPortAccess>();
     }},
    // The virtual printer's parallel interface: "vprinter:<socket path>".
    {"vprinter",
     [](std::string_view socket_path) -> std::unique_ptr<PortAccess> {
       return MakeVPrinterPortAccess(std::string(socket_path));
     }},
};

}  // namespace

std::unique_ptr<PortAccess> MakePortAccess(std::optional<std::string_view> choice) {
  std::string_view text = choice.value_or("");
  if (text.empty()) text = "ppdev";
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const std::string_view argument =
      colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  std::string known;
  for (const PortAccessKind& kind : kPortAccessKinds) {
    if (kind.name == name) return kind.make(argument);
    known += (known.empty() ? "" : ", ") + std::string(kind.name);
  }
  return std::make_unique<UnavailablePortAccess>(std::string(kPortAccessVariable) + "=\"" +
                                                 std::string(text) +
                                                 "\" names no port access (known: " + known + ")");
}

std::unique_ptr<PortAccess> MakePortAccess() {
  const char* value = std::getenv(kPortAccessVariable);
  return MakePortAccess(value ? std::optional<std::string_view>(value) : std::nullopt);
}

std::array<std::unique_ptr<SerialControl>, 3> MakeSerialControls() {
  return {std::make_unique<TermiosSerialControl>(1), std::make_unique<TermiosSerialControl>(2),
          std::make_unique<TermiosSerialControl>(3)};
}

std::unique_ptr<System> MakeSystem() {
  return std::make_unique<PosixSystem>();
}

std::unique_ptr<Clock> MakeClock() {
  return std::make_unique<SteadyClock>();
}

}  // namespace qw77
