#pragma once
// Lettering that does not depend on the fonts a machine happens to have: while a PinnedFonts
// lives, the process's fonts are the DejaVu faces of Debian's fonts-dejavu-core and nothing else.

namespace kestrune::picture {

// The faces pictures are lettered in: "DejaVu Sans" and "DejaVu Serif", regular and bold.
inline constexpr const char* kDejaVuFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
};

// Restricts font matching to kDejaVuFontFiles on construction and gives the system's fonts back on
// destruction. Fonts are created after it and used while it lives. Font matching is process-wide:
// one PinnedFonts at a time.
class PinnedFonts {
 public:
  PinnedFonts();
  ~PinnedFonts();
  PinnedFonts(const PinnedFonts&) = delete;
  PinnedFonts& operator=(const PinnedFonts&) = delete;

  // True when every file could be used; false (and the system's fonts unchanged) when one is
  // missing or unreadable.
  bool Ready() const { return ready_; }

 private:
  bool ready_;
};

}  // namespace kestrune::picture
