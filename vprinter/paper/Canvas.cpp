#include "vprinter/paper/Canvas.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/Errno.h"

namespace qw77::vprinter {

void Canvas::Grow(int rows) {
  if (rows > height_) height_ = rows;
}

const std::uint8_t* Canvas::Row(int y) const {
  const auto band = static_cast<std::size_t>(y / kBandRows);
  if (y < 0 || y >= height_ || band >= bands_.size() || bands_[band].empty()) return nullptr;
  return bands_[band].data() + static_cast<std::size_t>(y % kBandRows) * width_;
}

std::uint8_t* Canvas::RowForDrawing(int y) {
  const auto band = static_cast<std::size_t>(y / kBandRows);
  if (band >= bands_.size()) bands_.resize(band + 1);
  if (bands_[band].empty()) {
    bands_[band].assign(BandBytes(), 255);
    ++held_bands_;
  }
  return bands_[band].data() + static_cast<std::size_t>(y % kBandRows) * width_;
}

void Canvas::Mark(int x, int y, std::uint8_t ink) {
  if (x < 0 || x >= width_ || y < 0) return;
  Grow(y + 1);
  std::uint8_t& dot = RowForDrawing(y)[x];
  if (ink < dot) dot = ink;
  inked_ = true;
}

std::uint8_t Canvas::At(int x, int y) const {
  const std::uint8_t* row = x >= 0 && x < width_ ? Row(y) : nullptr;
  return row ? row[x] : 255;
}

namespace {

// libpng reports errors by longjmp: this function holds nothing that needs destroying or
// that is read after the jump, so the jump cannot leak or clobber anything.
bool WriteGreyRows(png_structp png, png_infop info, std::FILE* f, const Canvas& canvas, int rows,
                   const std::uint8_t* blank) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.width()), static_cast<png_uint_32>(rows),
               8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // 8 dots per millimetre, so viewers show the ticket at its true size.
  png_set_pHYs(png, info, 8000, 8000, PNG_RESOLUTION_METER);
  // Each row against the one above only: a ticket is mostly rows like their neighbours, and
  // trying every filter on every row took more than twice as long for a few per cent.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_write_info(png, info);
  for (int y = 0; y < rows; ++y) {
    const std::uint8_t* row = canvas.Row(y);
    png_write_row(png, row ? row : blank);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

Status Canvas::WritePng(const std::string& path) const {
  const std::string temp = path + ".part";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return ErrnoStatus(errno, "cannot create " + temp);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // A ticket with no rows still makes a valid image: one blank row.
  const std::vector<std::uint8_t> blank(static_cast<std::size_t>(width_), 255);
  const bool ok =
      png && info && WriteGreyRows(png, info, f, *this, height_ > 0 ? height_ : 1, blank.data());
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed) {
    std::remove(temp.c_str());
    return {ErrorCode::kIo, "cannot write " + path};
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const Status failed = ErrnoStatus(errno, "cannot rename to " + path);
    std::remove(temp.c_str());
    return failed;
  }
  return Status::Ok();
}

Result<Canvas> Canvas::ReadPng(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    return Status{ErrorCode::kNotFound, "cannot read " + path};
  }
  image.format = PNG_FORMAT_GRAY;
  std::vector<std::uint8_t> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
    png_image_free(&image);
    return Status{ErrorCode::kFormat, "cannot decode " + path};
  }
  Canvas canvas(static_cast<int>(image.width));
  canvas.Grow(static_cast<int>(image.height));
  for (int y = 0; y < canvas.height_; ++y) {
    const std::uint8_t* row = buffer.data() + static_cast<std::size_t>(y) * image.width;
    if (std::all_of(row, row + image.width, [](std::uint8_t v) { return v == 255; })) continue;
    std::copy(row, row + image.width, canvas.RowForDrawing(y));
    canvas.inked_ = true;
  }
  return canvas;
}

}  // namespace qw77::vprinter
