#include "platform/win32/Win32SerialLink.h"

#include <algorithm>
#include <thread>

#include "base/LineTiming.h"
#include "base/WindowsError.h"
#include "platform/posix/TermiosSerialControl.h"

namespace qw77 {
namespace {

using SteadyTime = std::chrono::steady_clock;

BYTE ParityOf(Parity parity) {
  switch (parity) {
    case Parity::kEven:
      return EVENPARITY;
    case Parity::kOdd:
      return ODDPARITY;
    case Parity::kMark:
      return MARKPARITY;
    case Parity::kSpace:
      return SPACEPARITY;
    case Parity::kNone:
      break;
  }
  return NOPARITY;
}

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

}  // namespace

// Windows says "access denied" for a COM port that another program has open.
Status SerialOpenError(const std::string& device, DWORD error) {
  std::string text = "cannot open serial device " + device + ": " + WindowsErrorText(error);
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return {ErrorCode::kNotFound, text};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return {ErrorCode::kBusy, text + " (another program holds the port)"};
    default:
      return {ErrorCode::kIo, text};
  }
}

std::string Win32DevicePath(const std::string& device) {
  return device.rfind("\\\\.\\", 0) == 0 ? device : "\\\\.\\" + device;
}

Win32SerialLink::Win32SerialLink(std::string device, Win32SerialOptions options)
    : device_(std::move(device)), options_(options) {}

Win32SerialLink::~Win32SerialLink() {
  if (IsOpen()) (void)Close();
}

Status Win32SerialLink::Open(const SerialConfig& config) {
  if (Status checked = CheckSerialConfig(config); !checked.ok()) return checked;
  if (IsOpen()) return Apply(config);
  const std::string path = Win32DevicePath(device_);
  handle_ = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        0, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) return SerialOpenError(device_, GetLastError());
  if (Status applied = Apply(config); !applied.ok()) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return applied;
  }
  // Reads return at once with what has arrived; the write limit is counted per piece.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(
      SerialStallLimit(config, options_.line_buffer_bytes, options_.write_limit).count());
  SetCommTimeouts(handle_, &timeouts);
  PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
  rx_.clear();
  return Status::Ok();
}

Status Win32SerialLink::Apply(const SerialConfig& config) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    return {ErrorCode::kIo, device_ + " is not a serial line: " + WindowsErrorText(GetLastError())};
  }
  dcb.BaudRate = static_cast<DWORD>(config.baud);
  dcb.ByteSize = static_cast<BYTE>(config.data_bits);
  dcb.Parity = ParityOf(config.parity);
  dcb.fParity = config.parity == Parity::kNone ? FALSE : TRUE;
  dcb.StopBits = config.stop_bits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  dcb.fBinary = TRUE;
  const bool rts_cts = config.flow == FlowControl::kRtsCts;
  dcb.fOutxCtsFlow = rts_cts;
  dcb.fRtsControl = rts_cts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fOutX = dcb.fInX = FALSE;  // the printer's data holds XON and XOFF as plain bytes
  dcb.fErrorChar = dcb.fNull = dcb.fAbortOnError = FALSE;
  if (!SetCommState(handle_, &dcb)) {
    return {ErrorCode::kInvalidArgument, device_ + " does not take " + std::to_string(config.baud) +
                                             " baud with " + std::to_string(config.data_bits) +
                                             " data bits: " + WindowsErrorText(GetLastError())};
  }
  config_ = config;
  return Status::Ok();
}

WriteResult Win32SerialLink::Write(std::span<const std::uint8_t> bytes) {
  WriteResult result;
  if (!IsOpen()) {
    result.status = {ErrorCode::kNotOpen, device_ + " is not open"};
    return result;
  }
  // In pieces of the driver's buffer: each must be taken within the stall limit.
  while (result.written < bytes.size()) {
    const DWORD piece =
        static_cast<DWORD>(std::min(bytes.size() - result.written, options_.line_buffer_bytes));
    DWORD taken = 0;
    const BOOL ok = WriteFile(handle_, bytes.data() + result.written, piece, &taken, nullptr);
    result.written += taken;
    const auto now = SteadyTime::now();
    wire_free_at_ =
        std::max(wire_free_at_, now) + WireTime(taken, config_.BitsPerCharacter(), config_.baud);
    if (!ok) {
      result.status = {ErrorCode::kIo,
                       "writing to " + device_ + " failed: " + WindowsErrorText(GetLastError())};
      return result;
    }
    if (taken < piece) {
      result.status = {ErrorCode::kTimedOut,
                       device_ + " took no data for " +
                           std::to_string(SerialStallLimit(config_, options_.line_buffer_bytes,
                                                           options_.write_limit)
                                              .count()) +
                           " ms (flow control holds the line, or the printer is off)"};
      return result;
    }
  }
  return result;
}

void Win32SerialLink::FillReceiveBuffer() {
  if (!IsOpen()) return;
  std::uint8_t chunk[4096];
  DWORD got = 0;
  while (ReadFile(handle_, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    rx_.insert(rx_.end(), chunk, chunk + got);
  }
}

std::size_t Win32SerialLink::Available() {
  FillReceiveBuffer();
  return rx_.size();
}

std::vector<std::uint8_t> Win32SerialLink::Read() {
  FillReceiveBuffer();
  std::vector<std::uint8_t> out(rx_.begin(), rx_.end());
  rx_.clear();
  return out;
}

// The output queue gets a bounded time to empty (FlushFileBuffers would wait for good on
// a line that flow control holds); what is left is dropped. A driver may hold bytes its
// queue does not report (wine's, on a pseudo-terminal, reports none): closing also waits
// until what was written should have left at the baud, at most what such a driver holds.
Status Win32SerialLink::Close() {
  if (!IsOpen()) return Status::Ok();
  Status result;
  const auto wire_done = std::min(
      wire_free_at_, SteadyTime::now() + WireTime(kSerialHiddenBufferBytes,
                                                  config_.BitsPerCharacter(), config_.baud));
  std::this_thread::sleep_until(wire_done);
  const auto deadline = SteadyTime::now() + options_.close_limit;
  for (;;) {
    COMSTAT stat{};
    DWORD errors = 0;
    if (!ClearCommError(handle_, &errors, &stat) || stat.cbOutQue == 0) break;
    if (SteadyTime::now() >= deadline) {
      result = {ErrorCode::kTimedOut, std::to_string(stat.cbOutQue) + " byte(s) did not leave " +
                                          device_ + " within " +
                                          std::to_string(options_.close_limit.count()) + " ms"};
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  rx_.clear();
  return result;
}

}  // namespace qw77
