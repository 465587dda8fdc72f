// Where the printer's character generator is read from, on each system (its own file, picked
// by the build).
#pragma once

#include <string>

namespace qw77::vprinter {

struct FontFiles {
  std::string font_a;        // Uni2-Terminus24x12.psf.gz
  std::string font_b;        // Uni2-Terminus16.psf.gz
  std::string fallback;      // unifont.hex
  std::string install_hint;  // what to do when they are missing
};

FontFiles DefaultFontFiles();

}  // namespace qw77::vprinter
