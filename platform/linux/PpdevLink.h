// The kernel's parallel ports (its parport list under /proc) and a link to one of them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ParallelLink.h"

namespace qw77 {

// One parallel port the kernel registered: parport<index> at I/O base `base`.
struct ParportInfo {
  int index = 0;
  std::uint16_t base = 0;
  friend bool operator==(const ParportInfo&, const ParportInfo&) = default;
};

// The base address from the text of a base-addr file ("888\t1912\n": the first number is
// the base, in decimal). nullopt for anything else or a base outside 1..FFFFh.
std::optional<std::uint16_t> ParseParportBase(std::string_view text);

// The ports under <proc_root>/sys/dev/parport, ordered by index; a missing folder means
// no ports. Entries whose base-addr cannot be read are left out.
std::vector<ParportInfo> ListParports(const std::filesystem::path& proc_root);

// Which of the kernel's ports a link takes.
struct ParportChoice {
  enum Kind {
    kPosition,  // the n-th port the kernel lists (0: the first), whatever its number
    kIndex,     // parport<n> itself
  } kind = kPosition;
  int number = 0;
};

// The port of `ports` (ordered by index) that `choice` takes; nullopt when there is none.
std::optional<ParportInfo> ChooseParport(const std::vector<ParportInfo>& ports,
                                         ParportChoice choice);

// One of the kernel's parallel ports through its ppdev driver, /dev/parport<index>: no root,
// no raw I/O ports. Open claims the port; a port the kernel does not list is absent.
class PpdevLink : public ParallelLink {
 public:
  explicit PpdevLink(ParportChoice choice, std::filesystem::path proc_root = "/proc",
                     std::filesystem::path dev_root = "/dev");
  ~PpdevLink() override;
  PpdevLink(const PpdevLink&) = delete;
  PpdevLink& operator=(const PpdevLink&) = delete;

  Status Open() override;
  void Close() override;
  bool Present() const override { return fd_ >= 0; }
  Status WriteData(std::uint8_t byte) override;
  Status SetControl(const ParallelControlLines& lines) override;
  Result<ParallelStatusLines> ReadStatus() override;

 private:
  // The ioctl `request` on the claimed port, or the failure of `what` with errno's cause.
  Status Control(unsigned long request, unsigned char* value, const char* what);

  ParportChoice choice_;
  std::filesystem::path proc_root_;
  std::filesystem::path dev_root_;
  std::filesystem::path device_;
  int fd_ = -1;
};

}  // namespace qw77
