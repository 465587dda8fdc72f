// What a COM port is when it reaches a printer through a plain byte stream (a network
// socket, a printer-class device) rather than a serial line: the configuration is still
// checked, so a job behaves the same whatever the port reaches, but has no effect; flow
// control is the stream's own; replies wait in a queue until the job reads them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/SerialLink.h"

namespace qw77 {

class StreamSerialControl : public SerialLink {
 public:
  // Checks the configuration, then opens the stream if it is closed.
  Status Open(const SerialConfig& config) final;
  std::size_t Available() override;
  std::vector<std::uint8_t> Read() override;

 protected:
  // Opens the stream itself; called only while it is closed.
  virtual Status OpenStream() = 0;
  // Moves what the stream has brought into rx_.
  virtual void Receive() = 0;

  std::deque<std::uint8_t> rx_;
};

}  // namespace qw77
