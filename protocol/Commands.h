// The printer's command bytes for the maintenance actions and the status exchange.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qw77 {

// DLE EOT n asks for status n. The first request carries a leading CR, and it is also the
// probe that opens every serial job: any reply says that a printer is listening.
inline constexpr std::array<std::uint8_t, 5> kStatusRequest1 = {0x0D, 0x10, 0x04, 0x01, 0x0D};
inline constexpr std::array<std::uint8_t, 4> kStatusRequest2 = {0x10, 0x04, 0x02, 0x0D};
inline constexpr std::array<std::uint8_t, 4> kStatusRequest3 = {0x10, 0x04, 0x03, 0x0D};
inline constexpr std::array<std::uint8_t, 4> kStatusRequest4 = {0x10, 0x04, 0x04, 0x0D};
inline constexpr std::array<std::span<const std::uint8_t>, 4> kStatusRequests = {
    kStatusRequest1, kStatusRequest2, kStatusRequest3, kStatusRequest4};
inline constexpr std::span<const std::uint8_t> kProbe = kStatusRequest1;

// Stores the current text settings in the printer's memory (CR BEL CR).
inline constexpr std::array<std::uint8_t, 3> kStoreSettings = {0x0D, 0x07, 0x0D};
// Starts the self test (BS).
inline constexpr std::array<std::uint8_t, 1> kSelfTest = {0x08};
// Over a parallel port both go through the spool file framed by CRs, with a line end.
inline constexpr std::array<std::uint8_t, 5> kStoreSettingsSpool = {0x0D, 0x07, 0x0D, 0x0D, 0x0A};
inline constexpr std::array<std::uint8_t, 5> kSelfTestSpool = {0x0D, 0x08, 0x0D, 0x0D, 0x0A};

}  // namespace qw77
