#include "tools/picture/PinnedFonts.h"

#include <iterator>

#include "platform/gdi/swell_font.h"

namespace kestrune::picture {

PinnedFonts::PinnedFonts() : ready_(SWELL_SetFontFiles(kDejaVuFontFiles, int(std::size(kDejaVuFontFiles)))) {}

PinnedFonts::~PinnedFonts() {
  if (ready_) SWELL_SetFontFiles(nullptr, 0);
}

}  // namespace kestrune::picture
