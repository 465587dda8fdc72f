// The printer's serial interface is a pseudo-terminal and its parallel one a Unix-domain
// socket: Linux interfaces, which the Windows build refuses, naming what it has instead.
// No endpoint of either kind is ever made here, and no file is left to clean up after a
// crash.
#include "vprinter/endpoints/CrashCleanup.h"
#include "vprinter/endpoints/ParallelEndpoint.h"
#include "vprinter/endpoints/SerialEndpoint.h"

namespace qw77::vprinter {

bool SerialEndpoint::Available() {
  return false;
}

Result<std::unique_ptr<SerialEndpoint>> SerialEndpoint::Open(Printer&, SerialOptions) {
  return Status{ErrorCode::kInvalidArgument,
                "the serial interface is a pseudo-terminal, which Windows does not have; "
                "on Windows the printer takes tickets on TCP (--tcp) or from a file (--render)"};
}

Result<std::unique_ptr<ParallelEndpoint>> ParallelEndpoint::Open(Printer&, std::string) {
  return Status{ErrorCode::kInvalidArgument,
                "the parallel interface (--parallel-socket) is a Unix-domain socket, which this "
                "Windows build does not offer; on Windows the printer takes tickets on TCP "
                "(--tcp) or from a file (--render)"};
}

// Never called: Open makes no endpoint.
SerialLink::~SerialLink() = default;
SerialEndpoint::~SerialEndpoint() = default;
int SerialEndpoint::PacingBaud() const {
  return 0;
}
void SerialEndpoint::Prepare(std::vector<pollfd>&, Micros, Micros&) {}
void SerialEndpoint::Service(const std::vector<pollfd>&, Micros) {}
void SerialEndpoint::SendReply(std::span<const std::uint8_t>) {}
void SerialEndpoint::HangUp(const std::string&) {}
ParallelEndpoint::~ParallelEndpoint() = default;
std::size_t ParallelEndpoint::unsent_bytes() const {
  return 0;
}
void ParallelEndpoint::Prepare(std::vector<pollfd>&, Micros, Micros&) {}
void ParallelEndpoint::Service(const std::vector<pollfd>&, Micros) {}

bool RegisterCrashCleanup(const std::string&) {
  return true;
}
void UnregisterCrashCleanup(const std::string&) {}
void RemoveOnCrash() {}

}  // namespace qw77::vprinter
