// Parallel port registers through the kernel's ppdev driver: no root, no raw I/O ports.
// The ports the kernel knows are presented as the BIOS data area would list them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PortAccess.h"

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

// Physical addresses of the BIOS data area words that list LPT1 and LPT2.
inline constexpr std::uint32_t kBiosLpt1Word = 0x408;
inline constexpr std::uint32_t kBiosLpt2Word = 0x40A;

// The little-endian 32-bit word at `address` in a BIOS data area whose LPT1 and LPT2
// entries are `lpt_bases`; every other byte of memory reads 0.
std::uint32_t BiosDataLong(const std::array<std::uint16_t, 2>& lpt_bases, std::uint32_t address);

class PpdevPortAccess : public PortAccess {
 public:
  explicit PpdevPortAccess(std::filesystem::path proc_root = "/proc",
                           std::filesystem::path dev_root = "/dev");
  // Only parport<index>, presented as LPT1 (a port map's "ppdev:/dev/parport<index>").
  PpdevPortAccess(int only_index, std::filesystem::path proc_root = "/proc",
                  std::filesystem::path dev_root = "/dev");
  ~PpdevPortAccess() override;
  PpdevPortAccess(const PpdevPortAccess&) = delete;
  PpdevPortAccess& operator=(const PpdevPortAccess&) = delete;

  // Opens and claims /dev/parportN for LPT1 and LPT2 (the first two ports found). True with
  // no port at all; false when a port exists that cannot be opened or claimed.
  bool InitializeWinIo() override;
  bool ShutdownWinIo() override;
  // Only the status register (base + 1) can be read.
  bool GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) override;
  // Only the data (base) and control (base + 2) registers can be written.
  bool SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) override;
  bool GetPhysLong(std::uint32_t address, std::uint32_t& value) override;
  std::string FailureReason() const override { return failure_; }

 private:
  struct Lpt {
    ParportInfo info;
    int fd = -1;
  };
  // The port whose register `port` is, with the register's offset 0..2.
  Lpt* Find(std::uint16_t port, int& offset);

  std::filesystem::path proc_root_;
  std::filesystem::path dev_root_;
  std::optional<int> only_index_;
  std::vector<Lpt> lpts_;  // at most two: LPT1, LPT2
  bool ready_ = false;
  std::string failure_;
};

}  // namespace qw77
