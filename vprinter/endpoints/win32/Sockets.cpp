#include "vprinter/endpoints/Sockets.h"

#include <mutex>

#include "base/WindowsError.h"

namespace qw77::vprinter {
namespace {

void MakeNonBlocking(SocketHandle socket) {
  u_long on = 1;
  ioctlsocket(socket, FIONBIO, &on);
  SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
}

long Outcome(int n) {
  if (n >= 0) return n;
  const int error = WSAGetLastError();
  return error == WSAEWOULDBLOCK || error == WSAEINTR ? kWouldBlock : kSocketFailed;
}

}  // namespace

Status StartSockets() {
  static std::once_flag once;
  static int result = 0;
  std::call_once(once, [] {
    WSADATA data{};
    result = WSAStartup(MAKEWORD(2, 2), &data);
  });
  if (result == 0) return Status::Ok();
  return Status{ErrorCode::kIo, "cannot start Windows sockets: " +
                                    WindowsErrorText(static_cast<unsigned long>(result))};
}

SocketHandle OpenStreamSocket(int family) {
  const SocketHandle s = socket(family, SOCK_STREAM, IPPROTO_TCP);
  if (s != kNoSocket) MakeNonBlocking(s);
  return s;
}

SocketHandle AcceptConnection(SocketHandle listener, sockaddr_storage& peer) {
  int length = sizeof peer;
  const SocketHandle s = accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
  if (s != kNoSocket) MakeNonBlocking(s);
  return s;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) closesocket(socket);
}

void SetSocketOption(SocketHandle socket, int level, int name, int value) {
  setsockopt(socket, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

long SendSome(SocketHandle socket, const std::uint8_t* data, std::size_t size) {
  return Outcome(send(socket, reinterpret_cast<const char*>(data), static_cast<int>(size), 0));
}

long ReceiveSome(SocketHandle socket, std::uint8_t* data, std::size_t size) {
  return Outcome(recv(socket, reinterpret_cast<char*>(data), static_cast<int>(size), 0));
}

int WaitForSockets(std::vector<pollfd>& fds, int timeout_ms) {
  if (fds.empty()) {
    Sleep(static_cast<DWORD>(timeout_ms));
    return 0;
  }
  return WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeout_ms);
}

std::string AddressLookupError(int rc) {
  return WindowsErrorText(static_cast<unsigned long>(rc));
}

std::string LastSocketError() {
  return WindowsErrorText(static_cast<unsigned long>(WSAGetLastError()));
}

bool LastSocketErrorIsAddressInUse() {
  return WSAGetLastError() == WSAEADDRINUSE;
}

// Windows has no pipe a socket wait can watch: a loopback connection stands in for one.
WakePair OpenWakePair() {
  if (!StartSockets()) return {};
  const SocketHandle listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == kNoSocket) return {};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  WakePair pair;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      listen(listener, 1) == 0 &&
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    pair.waker = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (pair.waker != kNoSocket &&
        connect(pair.waker, reinterpret_cast<sockaddr*>(&address), length) == 0) {
      pair.waiter = accept(listener, nullptr, nullptr);
    }
  }
  closesocket(listener);
  if (pair.waiter == kNoSocket) {
    CloseWakePair(pair);
    return {};
  }
  MakeNonBlocking(pair.waiter);
  MakeNonBlocking(pair.waker);
  return pair;
}

void CloseWakePair(WakePair& pair) {
  CloseSocket(pair.waiter);
  CloseSocket(pair.waker);
  pair = {};
}

void Wake(const WakePair& pair) {
  if (pair.waker == kNoSocket) return;
  const char c = 1;
  send(pair.waker, &c, 1, 0);
}

void DrainWakes(const WakePair& pair) {
  char buf[16];
  while (recv(pair.waiter, buf, sizeof buf, 0) > 0) {
  }
}

}  // namespace qw77::vprinter
