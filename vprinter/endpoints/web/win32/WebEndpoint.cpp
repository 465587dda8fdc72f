// The web view's HTTP server library is not built for Windows yet: the Windows build refuses
// --http, saying so, and makes no endpoint.
#include "vprinter/endpoints/web/WebEndpoint.h"

namespace qw77::vprinter::web {

Result<std::unique_ptr<WebEndpoint>> WebEndpoint::Open(Printer&, WebOptions) {
  return Status(ErrorCode::kInvalidArgument,
                "web view: --http is not in the Windows build yet (its HTTP server library is "
                "not built for Windows); the tickets are PNG files in the --out folder");
}

// Never called: Open makes no endpoint.
WebEndpoint::~WebEndpoint() = default;
bool WebEndpoint::loopback() const {
  return true;
}
void WebEndpoint::SetInterfaces(std::function<std::vector<InterfaceInfo>()>) {}
void WebEndpoint::Prepare(std::vector<pollfd>&, Micros, Micros&) {}
void WebEndpoint::Service(const std::vector<pollfd>&, Micros) {}

}  // namespace qw77::vprinter::web
