// The platform services of a Windows machine: COM ports over Win32 (or a network printer
// over Winsock). Parallel ports and the USB printer class are not reached from Windows in
// this build: asked for, they are refused with what there is instead.
#include "platform/factory/PlatformFactory.h"

#include "platform/posix/SteadyClock.h"
#include "platform/win32/Win32SerialLink.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WinsockTcpLink.h"

namespace qw77 {
namespace {

constexpr const char* kWhatThereIs =
    "on Windows the printers are reached on COM1 to COM3: a COM port (COMn) or a network "
    "printer (tcp:HOST[:PORT])";

// A COM port bound to what Windows cannot reach here: opening it says so.
class RefusedSerialLink : public SerialLink {
 public:
  explicit RefusedSerialLink(std::string reason) : reason_(std::move(reason)) {}
  Status Open(const SerialConfig&) override { return {ErrorCode::kInvalidArgument, reason_}; }
  bool IsOpen() const override { return false; }
  WriteResult Write(std::span<const std::uint8_t>) override {
    return {0, {ErrorCode::kNotOpen, reason_}};
  }
  std::size_t Available() override { return 0; }
  std::vector<std::uint8_t> Read() override { return {}; }
  Status Close() override { return Status::Ok(); }

 private:
  std::string reason_;
};

// A parallel port's link: it fails to open, saying what Windows offers instead.
std::unique_ptr<ParallelLink> RefuseParallel(const Endpoint& lpt) {
  return std::make_unique<NoParallelPort>(
      "a parallel port (bound to " + lpt.Spec() + ") is not available on Windows; " + kWhatThereIs,
      true);
}

}  // namespace

std::array<std::unique_ptr<ParallelLink>, 2> MakeParallelLinks(const Endpoint& lpt1,
                                                               const Endpoint& lpt2) {
  return {RefuseParallel(lpt1), RefuseParallel(lpt2)};
}

std::unique_ptr<SerialLink> MakeSerialControl(int, const Endpoint& endpoint) {
  switch (endpoint.kind) {
    case EndpointKind::kSerialDevice:
      return std::make_unique<Win32SerialLink>(endpoint.path);
    case EndpointKind::kTcp:
      return std::make_unique<WinsockTcpLink>(endpoint.host, endpoint.tcp_port);
    case EndpointKind::kUsbLp:
      return std::make_unique<RefusedSerialLink>("the USB printer class (" + endpoint.Spec() +
                                                 ") is not available on Windows; " + kWhatThereIs);
    case EndpointKind::kPpdev:
    case EndpointKind::kVPrinter:
      break;
  }
  return nullptr;
}

std::array<std::unique_ptr<SerialLink>, 3> MakeSerialControls() {
  return {std::make_unique<Win32SerialLink>("COM1"), std::make_unique<Win32SerialLink>("COM2"),
          std::make_unique<Win32SerialLink>("COM3")};
}

std::unique_ptr<System> MakeSystem() {
  return std::make_unique<Win32System>();
}

std::unique_ptr<Clock> MakeClock() {
  return std::make_unique<SteadyClock>();
}

}  // namespace qw77
