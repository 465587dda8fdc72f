#include "vprinter/paper/FontFiles.h"

namespace qw77::vprinter {

// The Uni2 sets: the Lat15 glyphs unchanged, plus the box drawing and Greek letters of the
// PC437 table and the few PC850 signs Lat15 lacks. GNU Unifont draws every character of the
// code pages; what the two lack is taken from it, scaled to their cells.
FontFiles DefaultFontFiles() {
  return {"/usr/share/consolefonts/Uni2-Terminus24x12.psf.gz",
          "/usr/share/consolefonts/Uni2-Terminus16.psf.gz", "/usr/share/unifont/unifont.hex",
          "install console-setup-linux and unifont"};
}

}  // namespace qw77::vprinter
