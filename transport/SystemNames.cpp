// What every system answers alike: its inet_pton reads numeric addresses (declared in its
// own header).
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include "transport/SystemNames.h"

namespace qw77 {

bool IsIpv4Address(const std::string& text) {
  in_addr parsed{};
  return inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

bool IsIpv6Address(const std::string& text) {
  in6_addr parsed{};
  return inet_pton(AF_INET6, text.c_str(), &parsed) == 1;
}

}  // namespace qw77
