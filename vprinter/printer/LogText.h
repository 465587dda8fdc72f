// How the printer's log writes bytes and values; shared by the files of the Printer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace qw77::vprinter::log_text {

inline std::string Hex(std::uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", b);
  return buf;
}

inline std::string HexBytes(std::span<const std::uint8_t> b, std::size_t limit = 16) {
  std::string s;
  for (std::size_t i = 0; i < b.size() && i < limit; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b[i]);
    if (!s.empty()) s += ' ';
    s += buf;
  }
  if (b.size() > limit) s += " ...";
  return s;
}

// Printable bytes as they are, the rest as \xNN, in double quotes.
inline std::string Quoted(std::span<const std::uint8_t> b) {
  std::string s = "\"";
  for (std::uint8_t c : b) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      s += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      s += buf;
    }
  }
  return s + "\"";
}

inline std::string Dec(int v) {
  return std::to_string(v);
}

// m xL xH yL yH of a raster image command.
inline std::string RasterParams(std::span<const std::uint8_t> b) {
  return "m=" + Dec(b[0]) + " xL=" + Dec(b[1]) + " xH=" + Dec(b[2]) + " yL=" + Dec(b[3]) +
         " yH=" + Dec(b[4]);
}

}  // namespace qw77::vprinter::log_text
