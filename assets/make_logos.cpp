// Draws the three logo bitmaps that the sample ticket can print and writes them into the
// folder named on the command line (the build's bin folder, beside the executables):
//   SPACE.BMP    a planet with a ring, a crescent moon and a field of stars
//   ORVAL.BMP    a double oval with a bold border
//   CUADROS.BMP  rows of squares: filled, framed and nested
// The pictures are drawn here rather than kept as binary files so that the build is their
// only source. Every width is a multiple of 32 dots and at most 448, which fits 60 mm paper.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/MonoBitmap.h"

namespace {

using qw77::assets::MonoPicture;

// Inside the ellipse centred on (cx, cy) with half-axes rx, ry.
bool InEllipse(double x, double y, double cx, double cy, double rx, double ry) {
  const double dx = (x - cx) / rx;
  const double dy = (y - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

MonoPicture DrawSpace() {
  MonoPicture p(384, 192);
  // Stars: a small fixed pseudo-random sequence, so every build draws the same sky.
  std::uint32_t seed = 0x2545F491u;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int i = 0; i < 140; ++i) {
    const int x = static_cast<int>(next() % 384);
    const int y = static_cast<int>(next() % 192);
    p.Set(x, y);
    if (i % 9 == 0) {  // a few bright stars drawn as crosses
      for (int d = 1; d <= 3; ++d) {
        p.Set(x - d, y);
        p.Set(x + d, y);
        p.Set(x, y - d);
        p.Set(x, y + d);
      }
    }
  }
  // The planet: a disc shaded with diagonal stripes, dark on its lower-right side.
  const double cx = 150, cy = 100, r = 54;
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 384; ++x) {
      if (!InEllipse(x, y, cx, cy, r, r)) continue;
      const bool edge = !InEllipse(x, y, cx, cy, r - 3, r - 3);
      const bool shade = InEllipse(x, y, cx + 18, cy + 18, r, r) &&
                         !InEllipse(x, y, cx - 10, cy - 10, r - 6, r - 6);
      const bool stripe = ((x + y) / 4) % 3 == 0;
      p.Set(x, y, edge || shade || stripe);
    }
  }
  // Its ring: a thin tilted band, hidden where it passes behind the planet.
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 384; ++x) {
      const double tx = x - cx, ty = (y - cy) + 0.25 * (x - cx);
      const bool band = InEllipse(tx, ty, 0, 0, 110, 22) && !InEllipse(tx, ty, 0, 0, 98, 16);
      const bool behind = ty < 0 && InEllipse(x, y, cx, cy, r, r);
      if (band && !behind) p.Set(x, y);
    }
  }
  // A crescent moon in the upper right.
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 384; ++x) {
      if (InEllipse(x, y, 320, 50, 28, 28) && !InEllipse(x, y, 332, 42, 26, 26)) p.Set(x, y);
    }
  }
  return p;
}

MonoPicture DrawOval() {
  MonoPicture p(320, 160);
  const double cx = 159.5, cy = 79.5;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 320; ++x) {
      const bool outer = InEllipse(x, y, cx, cy, 156, 76) && !InEllipse(x, y, cx, cy, 144, 66);
      const bool inner = InEllipse(x, y, cx, cy, 132, 56) && !InEllipse(x, y, cx, cy, 128, 52);
      // A dotted fill between the two rims gives the border some weight on paper.
      const bool dots = InEllipse(x, y, cx, cy, 144, 66) && !InEllipse(x, y, cx, cy, 132, 56) &&
                        x % 4 == 0 && y % 4 == 0;
      p.Set(x, y, outer || inner || dots);
    }
  }
  return p;
}

MonoPicture DrawSquares() {
  MonoPicture p(384, 128);
  const int cell = 64;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 384; ++x) {
      const int col = x / cell, row = y / cell;
      const int u = x % cell, v = y % cell;
      bool black = false;
      switch ((col + 2 * row) % 3) {
        case 0:  // a filled square with a margin
          black = u >= 6 && u < 58 && v >= 6 && v < 58;
          break;
        case 1:  // a framed square
          black = u >= 6 && u < 58 && v >= 6 && v < 58 && (u < 12 || u >= 52 || v < 12 || v >= 52);
          break;
        default:  // squares nested inside each other
          for (int k = 6; k < 32; k += 8) {
            if (u >= k && u < 64 - k && v >= k && v < 64 - k &&
                (u < k + 3 || u >= 61 - k || v < k + 3 || v >= 61 - k)) {
              black = true;
            }
          }
          break;
      }
      p.Set(x, y, black);
    }
  }
  return p;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  struct Logo {
    const char* name;
    MonoPicture picture;
  };
  const Logo logos[] = {
      {"SPACE.BMP", DrawSpace()},
      {"ORVAL.BMP", DrawOval()},
      {"CUADROS.BMP", DrawSquares()},
  };
  for (const Logo& logo : logos) {
    const std::string path = folder + "/" + logo.name;
    if (!WriteFile(path, qw77::assets::EncodeMonoBmp(logo.picture))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
