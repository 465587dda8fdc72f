#include "ticket/Logo.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ticket/SampleTicket.h"
#include "ui/FrmMenu.h"

namespace qw77 {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;  // the smallest header with the fields we read
constexpr std::size_t kLargestInfoHeaderBytes = 124;

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::int32_t I32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}

Status Bad(std::string_view label, const std::string& what) {
  return {ErrorCode::kFormat, std::string(label) + " " + what};
}

std::string ProgramFolder(FrmMenu& frm) {
  System* system = frm.Svc().system;
  return system != nullptr ? system->ProgramDirectory() : ".";
}

// Anything at all at `path`, also something we may not look at: its read then says what
// is wrong, rather than another file being taken in its place.
bool SomethingAt(const std::string& path) {
  std::error_code ec;
  return std::filesystem::status(path, ec).type() != std::filesystem::file_type::not_found;
}

}  // namespace

std::string_view LogoFileName(int option_index) {
  switch (option_index) {
    case 0:
      return "SPACE.BMP";
    case 1:
      return "ORVAL.BMP";
    default:
      return "CUADROS.BMP";
  }
}

int SelectedLogoOption(const WindowState& state) {
  for (int i = 0; i < 2; ++i) {
    if (state.Selected("Option1", i)) return i;
  }
  return 2;
}

std::string LogoPath(FrmMenu& frm, int option_index) {
  return ProgramFolder(frm) + "/" + std::string(LogoFileName(option_index));
}

Result<std::string> FindLogo(FrmMenu& frm, int option_index) {
  std::string beside = LogoPath(frm, option_index);
  if (SomethingAt(beside)) return beside;
  System* system = frm.Svc().system;
  const std::string data_folder = system != nullptr ? system->DataDirectory() : "";
  if (data_folder.empty()) {
    return Status(ErrorCode::kNotFound, "The logo file " + beside + " was not found.");
  }
  const std::string name(LogoFileName(option_index));
  std::string installed = data_folder + "/" + name;
  if (SomethingAt(installed)) return installed;
  return Status(ErrorCode::kNotFound, "The logo file " + name +
                                          " is neither beside the program, in " +
                                          ProgramFolder(frm) + ", nor in " + data_folder + ".");
}

Status AppendLogoBlock(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> file,
                       std::string_view label) {
  if (file.size() < kFileHeaderBytes + kInfoHeaderBytes) {
    return Bad(label, "is too short (" + std::to_string(file.size()) +
                          " bytes) to be a bitmap: its headers alone take 54 bytes.");
  }
  if (file[0] != 'B' || file[1] != 'M') return Bad(label, "is not a bitmap file.");
  const std::uint32_t data_offset = U32(file, 10);
  const std::uint32_t header_bytes = U32(file, 14);
  const std::int32_t width = I32(file, 18);
  const std::int32_t height = I32(file, 22);
  const std::uint16_t planes = U16(file, 26);
  const std::uint16_t bits_per_pixel = U16(file, 28);
  const std::uint32_t compression = U32(file, 30);

  if (header_bytes < kInfoHeaderBytes || header_bytes > kLargestInfoHeaderBytes) {
    return Bad(label, "has a bitmap header of " + std::to_string(header_bytes) +
                          " bytes, which is not a layout we read.");
  }
  if (planes != 1) {
    return Bad(label, "has " + std::to_string(planes) + " colour planes; a bitmap has one.");
  }
  if (bits_per_pixel != 1) {
    return Bad(label, "has " + std::to_string(bits_per_pixel) +
                          " bits per pixel; a logo must be black and white, 1 bit per pixel.");
  }
  if (compression != 0) {
    return Bad(label, "is compressed; a logo must be stored uncompressed.");
  }
  if (width < 1 || width > kMaxLogoWidthDots) {
    return Bad(label, "is " + std::to_string(width) + " dots wide; a logo must be 1 to " +
                          std::to_string(kMaxLogoWidthDots) + " dots wide.");
  }
  if (height < 0) {
    return Bad(label,
               "stores its rows top row first (negative height); a logo must be stored bottom "
               "row first.");
  }
  if (height < 1 || height > kMaxLogoHeightRows) {
    return Bad(label, "is " + std::to_string(height) + " rows high; a logo must be 1 to " +
                          std::to_string(kMaxLogoHeightRows) + " rows high.");
  }
  if (data_offset < kFileHeaderBytes + header_bytes) {
    return Bad(label, "says its pixels start at byte " + std::to_string(data_offset) +
                          ", inside its own header.");
  }
  // Stored rows are padded to whole 32-bit words; the printer takes whole bytes.
  const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  const std::size_t row_bytes = (static_cast<std::size_t>(width) + 7) / 8;
  const std::size_t rows = static_cast<std::size_t>(height);
  // Worked in 64 bits: the offset may be anything up to 4 GiB.
  const std::uint64_t needed = std::uint64_t{data_offset} + std::uint64_t{stride} * rows;
  if (needed > file.size()) {
    return Bad(label, "is cut short: its " + std::to_string(rows) + " rows need " +
                          std::to_string(needed) + " bytes, but the file holds " +
                          std::to_string(file.size()) + ".");
  }

  std::int16_t xl, xh, yl, yh;
  SplitLowHigh(static_cast<std::int16_t>(row_bytes), xl, xh);
  SplitLowHigh(static_cast<std::int16_t>(height), yl, yh);
  out.reserve(out.size() + 8 + row_bytes * rows);
  out.insert(out.end(),
             {0x1D, 0x76, 0x30, 0x00, static_cast<std::uint8_t>(xl), static_cast<std::uint8_t>(xh),
              static_cast<std::uint8_t>(yl), static_cast<std::uint8_t>(yh)});
  // Dots past the width in the last byte of a row are padding, not picture.
  const unsigned spare_bits =
      static_cast<unsigned>(row_bytes * 8 - static_cast<std::size_t>(width));
  const std::uint8_t last_mask = static_cast<std::uint8_t>(0xFFu << spare_bits);
  for (std::size_t r = 1; r <= rows; ++r) {
    // The file stores the bottom row first; the printer wants the top row first.
    const std::size_t start = data_offset + stride * (rows - r);
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(start),
               file.begin() + static_cast<std::ptrdiff_t>(start + row_bytes));
    out.back() &= last_mask;
  }
  return Status::Ok();
}

Result<std::vector<std::uint8_t>> ReadLogoFile(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    return Status(ErrorCode::kNotFound, "The logo file " + path + " was not found.");
  }
  if (!std::filesystem::is_regular_file(status)) {
    return Status(ErrorCode::kFormat, "The logo file " + path + " is not a file.");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    return Status(ErrorCode::kIo,
                  "The logo file " + path + " cannot be read (" + ec.message() + ").");
  }
  if (size > kMaxLogoFileBytes) {
    return Status(ErrorCode::kFormat, "The logo file " + path + " is " + std::to_string(size) +
                                          " bytes long, more than any logo needs.");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error_number = errno;
    return Status(
        error_number == EACCES ? ErrorCode::kPermission : ErrorCode::kIo,
        "The logo file " + path + " cannot be opened (" + std::strerror(error_number) + ").");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
    return Status(ErrorCode::kIo, "The logo file " + path + " could not be read to its end.");
  }
  return bytes;
}

}  // namespace qw77
