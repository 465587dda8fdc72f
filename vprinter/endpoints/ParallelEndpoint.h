// The printer's parallel interface. ParallelRegisters is the register level a PC sees at
// the port's three addresses; ParallelEndpoint carries register reads and writes over a
// Unix-domain socket so the application can reach that port without hardware.
//
// Socket protocol (stream socket, one client at a time, every request answered):
//   request: 3 bytes  op ('R' read or 'W' write), register (0 data, 1 status, 2 control),
//            value (written value; 0 for a read)
//   reply:   1 byte   the register's value for 'R', the value written for 'W'
// A malformed request closes that connection. A second client while one is connected is
// closed at once (a port has one user); a client that leaves kMaxUnsentReplyBytes replies
// unread gets no more requests read until it reads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vprinter/endpoints/Endpoint.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

inline constexpr std::uint8_t kParallelRead = 'R';
inline constexpr std::uint8_t kParallelWrite = 'W';

class ParallelRegisters {
 public:
  explicit ParallelRegisters(StatusModel& status) : status_(status) {}

  std::uint8_t Read(int reg, Millis now) const;
  // A write to the control register that asserts the strobe (bit 0 going to 1) hands the
  // data register's byte to the printer; that byte is returned. A byte strobed while the
  // printer shows busy is lost, as on the real interface, and counted.
  std::optional<std::uint8_t> Write(int reg, std::uint8_t value, Millis now);
  bool Busy(Millis now) const;
  // Busy while the printer takes no input from this port (another interface's ticket).
  void Hold(bool held) { held_ = held; }
  int bytes_lost() const { return lost_; }
  bool busy_started() const { return busy_started_; }

 private:
  StatusModel& status_;
  std::uint8_t data_ = 0;
  std::uint8_t control_ = 0xCC;
  Millis busy_until_ = 0;
  Millis last_byte_ = -1;
  bool busy_started_ = false;
  bool held_ = false;
  int lost_ = 0;
};

class ParallelEndpoint : public Endpoint {
 public:
  static Result<std::unique_ptr<ParallelEndpoint>> Open(Printer& printer, std::string path);
  ~ParallelEndpoint() override;
  ParallelEndpoint(const ParallelEndpoint&) = delete;
  ParallelEndpoint& operator=(const ParallelEndpoint&) = delete;

  const std::string& path() const { return path_; }
  bool connected() const { return client_.has_value(); }
  ParallelRegisters& registers() { return registers_; }
  std::size_t unsent_bytes() const;

  void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) override;
  void Service(const std::vector<pollfd>& fds, Micros now) override;

 private:
  struct Client {
    int fd;
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
  };
  ParallelEndpoint(Printer& printer, std::string path)
      : printer_(printer), path_(std::move(path)), registers_(printer.status()) {}
  void Accept();
  bool ServeClient(Client& c, short revents, Micros now);  // false: drop the client
  void Drop(const std::string& why);

  Printer& printer_;
  std::string path_;
  ParallelRegisters registers_;
  int listen_fd_ = -1;
  std::optional<Client> client_;
};

}  // namespace qw77::vprinter
