#include "platform/linux/PpdevPortAccess.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

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

std::uint32_t BiosDataLong(const std::array<std::uint16_t, 2>& lpt_bases, std::uint32_t address) {
  auto byte_at = [&](std::uint64_t a) -> std::uint32_t {
    if (a < kBiosLpt1Word || a >= kBiosLpt2Word + 2) return 0;
    const std::uint16_t word = lpt_bases[(a - kBiosLpt1Word) / 2];
    return (a % 2 == 0) ? (word & 0xFFu) : (word >> 8u);
  };
  std::uint32_t value = 0;
  for (std::uint32_t i = 0; i < 4; ++i) {
    value |= byte_at(std::uint64_t{address} + i) << (8 * i);
  }
  return value;
}

PpdevPortAccess::PpdevPortAccess(std::filesystem::path proc_root, std::filesystem::path dev_root)
    : proc_root_(std::move(proc_root)), dev_root_(std::move(dev_root)) {}

PpdevPortAccess::~PpdevPortAccess() {
  (void)ShutdownWinIo();
}

PpdevPortAccess::PpdevPortAccess(int only_index, std::filesystem::path proc_root,
                                 std::filesystem::path dev_root)
    : PpdevPortAccess(std::move(proc_root), std::move(dev_root)) {
  only_index_ = only_index;
}

bool PpdevPortAccess::InitializeWinIo() {
  (void)ShutdownWinIo();
  failure_.clear();
  std::vector<ParportInfo> found = ListParports(proc_root_);
  if (only_index_) {
    std::erase_if(found, [this](const ParportInfo& p) { return p.index != *only_index_; });
  }
  if (found.size() > 2) found.resize(2);  // the BIOS area lists LPT1 and LPT2 only

  std::vector<Lpt> opened;
  for (const ParportInfo& info : found) {
    const std::filesystem::path device = dev_root_ / ("parport" + std::to_string(info.index));
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    std::string why;
    if (fd < 0) {
      why = "cannot open " + device.string() + ": " + std::strerror(errno);
    } else if (ioctl(fd, PPCLAIM) != 0) {
      why = "cannot claim " + device.string() + ": " + std::strerror(errno);
      ::close(fd);
    }
    if (!why.empty()) {
      for (Lpt& lpt : opened) {
        (void)ioctl(lpt.fd, PPRELEASE);
        ::close(lpt.fd);
      }
      failure_ = why;
      return false;
    }
    opened.push_back({info, fd});
  }
  lpts_ = std::move(opened);
  ready_ = true;
  return true;
}

bool PpdevPortAccess::ShutdownWinIo() {
  for (Lpt& lpt : lpts_) {
    (void)ioctl(lpt.fd, PPRELEASE);
    ::close(lpt.fd);
  }
  lpts_.clear();
  ready_ = false;
  return true;
}

PpdevPortAccess::Lpt* PpdevPortAccess::Find(std::uint16_t port, int& offset) {
  for (Lpt& lpt : lpts_) {
    const int delta = static_cast<int>(port) - static_cast<int>(lpt.info.base);
    if (delta >= 0 && delta <= 2) {
      offset = delta;
      return &lpt;
    }
  }
  return nullptr;
}

bool PpdevPortAccess::GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) {
  int offset = 0;
  Lpt* lpt = Find(port, offset);
  if (lpt == nullptr || offset != 1 || size != 1) return false;
  unsigned char status = 0;
  if (ioctl(lpt->fd, PPRSTATUS, &status) != 0) return false;
  value = status;
  return true;
}

bool PpdevPortAccess::SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) {
  int offset = 0;
  Lpt* lpt = Find(port, offset);
  if (lpt == nullptr || size != 1) return false;
  unsigned char byte = static_cast<unsigned char>(value & 0xFFu);
  if (offset == 0) return ioctl(lpt->fd, PPWDATA, &byte) == 0;
  // The driver keeps the direction bit to itself; the strobe, autofeed, initialise and
  // select lines are what the jobs drive.
  if (offset == 2) return ioctl(lpt->fd, PPWCONTROL, &byte) == 0;
  return false;
}

bool PpdevPortAccess::GetPhysLong(std::uint32_t address, std::uint32_t& value) {
  if (!ready_) return false;
  std::array<std::uint16_t, 2> bases{};
  for (std::size_t i = 0; i < lpts_.size() && i < bases.size(); ++i) bases[i] = lpts_[i].info.base;
  value = BiosDataLong(bases, address);
  return true;
}

}  // namespace qw77
