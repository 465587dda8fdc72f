// A COM port driven through Win32: CreateFile on "\\.\COMn", its line settings in a DCB,
// reads that never block (COMMTIMEOUTS), writes with a progress limit, closing with a
// bounded drain. The causes of failures are Windows' own, in words.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <string>

#include "platform/SerialLink.h"

namespace qw77 {

// The Win32 name CreateFile opens for a COM port name: "COM5" and "\\.\COM5" both give
// "\\.\COM5" (COM10 and above open only that way).
std::string Win32DevicePath(const std::string& device);

// What a COM port that CreateFile refused with `error` (GetLastError) means for the jobs:
// kNotFound when it is not there, kBusy when another program holds it (the message says so),
// kIo for anything else; the message names the device and gives Windows' own words.
Status SerialOpenError(const std::string& device, DWORD error);

struct Win32SerialOptions {
  std::chrono::milliseconds write_limit{5000};
  std::size_t line_buffer_bytes = 4096;
  std::chrono::milliseconds close_limit{2000};
};

class Win32SerialLink : public SerialLink {
 public:
  // `device`: "COM5" or "\\.\COM5".
  explicit Win32SerialLink(std::string device, Win32SerialOptions options = {});
  ~Win32SerialLink() override;
  Win32SerialLink(const Win32SerialLink&) = delete;
  Win32SerialLink& operator=(const Win32SerialLink&) = delete;

  Status Open(const SerialConfig& config) override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  WriteResult Write(std::span<const std::uint8_t> bytes) override;
  std::size_t Available() override;
  std::vector<std::uint8_t> Read() override;
  Status Close() override;

  const std::string& device() const { return device_; }

 private:
  Status Apply(const SerialConfig& config);
  void FillReceiveBuffer();

  std::string device_;
  Win32SerialOptions options_;
  SerialConfig config_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::deque<std::uint8_t> rx_;
  // When the line will have sent everything handed to it, at its baud.
  std::chrono::steady_clock::time_point wire_free_at_{};
};

}  // namespace qw77
