// What the printer keeps in non-volatile memory besides its graphics: the user setup
// (memory switches, customised values, serial settings), the maintenance counters, the NV
// bit images and how often the memory was written. With a state file it all lasts from one
// run to the next; the file is written whole and renamed over the old one, so a run killed
// at any moment leaves either the old state or the new.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "vprinter/paper/Renderer.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Graphics.h"

namespace qw77::vprinter {

// The maintenance counters, in the order of their numbers: 20, 21, 50, 70 can be reset,
// 148, 149, 178, 198 (the same plus 128) count from the printer's first day.
enum class Counter { kLinesFed, kCharacters, kCuts, kOperatingMs };
inline constexpr int kCounterCount = 4;
inline constexpr std::array<int, kCounterCount> kCounterNumbers = {20, 21, 50, 70};
inline constexpr int kCumulativeOffset = 128;

struct Counters {
  std::array<std::int64_t, kCounterCount> resettable{};
  std::array<std::int64_t, kCounterCount> cumulative{};
  void Add(Counter c, std::int64_t n) {
    resettable[static_cast<std::size_t>(c)] += n;
    cumulative[static_cast<std::size_t>(c)] += n;
  }
};

// The customised values a technician may set, by their number.
inline constexpr int kCustomPaperWidth = 3;  // 2: 58 mm, 3: 60 mm, 6: 80 mm
inline constexpr int kCustomDensity = 5;     // 0..8 darker, 65530..65535 lighter (-6..-1)
inline constexpr int kCustomSpeed = 6;       // 1 (slowest) .. 9

// An NV bit image is 1..1023 bytes wide (8 dots a byte) and 1..288 bytes tall.
inline constexpr int kMaxNvImageWidthBytes = 1023;
inline constexpr int kMaxNvImageHeightBytes = 288;

struct NvMemory {
  // Memory switches 1..8; bit 0 is a switch's bit 1.
  std::array<std::uint8_t, 8> switches{};
  std::map<int, int> customised;  // only the values a technician set
  // Serial settings 1..4 as the printer reports them: baud rate digits, parity (0 none,
  // 1 odd, 2 even), flow control (0 DTR/DSR, 1 XON/XOFF), data bits (7 or 8).
  std::map<int, std::string> serial = {{1, "9600"}, {2, "0"}, {3, "0"}, {4, "8"}};
  Counters counters;
  std::vector<Bitmap> bit_images;  // FS q images, numbered from 1
  // Writes to the memory asked for by a host: on which day, how many that day, in all.
  std::string write_day;
  int writes_today = 0;
  std::int64_t writes_total = 0;
};

// The whole state as the file holds it.
std::string StateToJson(const NvMemory& memory, const NvGraphics& graphics);
// Reads a state file's text into `memory` and `graphics`; on any fault (not JSON, a field
// missing or of the wrong kind, a value out of range) nothing is changed and the message
// says what is wrong.
Status StateFromJson(const std::string& text, NvMemory& memory, NvGraphics& graphics);

// Reads `path`; a file that does not exist yet is no fault (`found` false, nothing changed).
Status LoadStateFile(const std::string& path, NvMemory& memory, NvGraphics& graphics, bool& found);
Status SaveStateFile(const std::string& path, const NvMemory& memory, const NvGraphics& graphics);

// Whether `v` is a value the printer takes for customised value `a`.
bool ValidCustomValue(int a, int v);
// A serial setting `a` (1..4) as the set command sends it; empty when the printer refuses it.
std::string ValidSerialValue(int a, std::span<const std::uint8_t> d);

// Paper for the customised paper width `value` (a printer's own paper when it is unknown).
Paper PaperForWidth(int value, Paper current);
// The print density of the customised density `value`: -6..8.
int DensityFromCustom(int value);

}  // namespace qw77::vprinter
