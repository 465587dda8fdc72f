#include "platform/linux/PpdevLink.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>

#include "base/Errno.h"
#include "platform/ParallelRegisters.h"

namespace qw77 {

std::optional<std::uint16_t> ParseParportBase(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  unsigned long base = 0;
  auto [stop, ec] = std::from_chars(p, end, base);
  if (ec != std::errc() || stop == p) return std::nullopt;
  if (stop < end && *stop != '\t' && *stop != ' ' && *stop != '\n') return std::nullopt;
  if (base == 0 || base > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(base);
}

std::vector<ParportInfo> ListParports(const std::filesystem::path& proc_root) {
  std::vector<ParportInfo> ports;
  const std::filesystem::path dir = proc_root / "sys" / "dev" / "parport";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    constexpr std::string_view kPrefix = "parport";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    int index = 0;
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size();
    auto [stop, err] = std::from_chars(first, last, index);
    if (err != std::errc() || stop != last) continue;  // "default" and the like

    std::ifstream in(entry.path() / "base-addr");
    std::stringstream text;
    text << in.rdbuf();
    if (std::optional<std::uint16_t> base = ParseParportBase(text.str())) {
      ports.push_back({index, *base});
    }
  }
  std::sort(ports.begin(), ports.end(),
            [](const ParportInfo& a, const ParportInfo& b) { return a.index < b.index; });
  return ports;
}

std::optional<ParportInfo> ChooseParport(const std::vector<ParportInfo>& ports,
                                         ParportChoice choice) {
  if (choice.kind == ParportChoice::kPosition) {
    if (choice.number < 0 || static_cast<std::size_t>(choice.number) >= ports.size()) {
      return std::nullopt;
    }
    return ports[static_cast<std::size_t>(choice.number)];
  }
  for (const ParportInfo& port : ports) {
    if (port.index == choice.number) return port;
  }
  return std::nullopt;
}

PpdevLink::PpdevLink(ParportChoice choice, std::filesystem::path proc_root,
                     std::filesystem::path dev_root)
    : choice_(choice), proc_root_(std::move(proc_root)), dev_root_(std::move(dev_root)) {}

PpdevLink::~PpdevLink() {
  Close();
}

Status PpdevLink::Open() {
  Close();
  const std::optional<ParportInfo> port = ChooseParport(ListParports(proc_root_), choice_);
  if (!port) return Status::Ok();  // no such port: the link is absent
  device_ = dev_root_ / ("parport" + std::to_string(port->index));
  const int fd = ::open(device_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return ErrnoStatus(errno, "cannot open " + device_.string());
  if (ioctl(fd, PPCLAIM) != 0) {
    const int error = errno;
    ::close(fd);
    return ErrnoStatus(error, "cannot claim " + device_.string());
  }
  fd_ = fd;
  return Status::Ok();
}

void PpdevLink::Close() {
  if (fd_ < 0) return;
  (void)ioctl(fd_, PPRELEASE);
  ::close(fd_);
  fd_ = -1;
}

Status PpdevLink::Control(unsigned long request, unsigned char* value, const char* what) {
  if (fd_ < 0) return {ErrorCode::kNotOpen, std::string("no parallel port to ") + what};
  if (ioctl(fd_, request, value) != 0) {
    return ErrnoStatus(errno, std::string("cannot ") + what + " on " + device_.string());
  }
  return Status::Ok();
}

Status PpdevLink::WriteData(std::uint8_t byte) {
  unsigned char value = byte;
  return Control(PPWDATA, &value, "write the data lines");
}

Status PpdevLink::SetControl(const ParallelControlLines& lines) {
  // The driver keeps the direction bit to itself.
  unsigned char value = ControlRegister(lines);
  return Control(PPWCONTROL, &value, "set the control lines");
}

Result<ParallelStatusLines> PpdevLink::ReadStatus() {
  unsigned char value = 0;
  if (Status read = Control(PPRSTATUS, &value, "read the status lines"); !read.ok()) return read;
  return StatusFromRegister(value);
}

}  // namespace qw77
