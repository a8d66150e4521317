#pragma once
// Lettering for the panel: text set in fixed typefaces from fonts-dejavu-core by the platform's
// text drawing, at the surface's fine scale, so it is placed to a fraction of a pixel and its
// edges are smoothed like every other shape's.

#include <string>

#include "tools/kestrune-panel-art/Surface.h"

namespace kestrune::panelart {

// A typeface and how to set it: family, weight (400 regular, 700 bold), em height in image pixels
// and extra space between letters in image pixels.
struct Type {
  const char* family;
  int weight;
  double size;
  double tracking = 0.0;
};

enum class Align { kLeft, kCentre, kRight };

// Sets text while it lives. Construction restricts the process's fonts to the pinned files, so the
// lettering never depends on what else a machine has installed; destruction gives the system's
// fonts back.
class Typesetter {
 public:
  Typesetter();
  ~Typesetter();
  Typesetter(const Typesetter&) = delete;
  Typesetter& operator=(const Typesetter&) = delete;

  // True when every pinned font file could be used.
  bool Ready() const { return ready_; }

  // Draws text on surface in colour at opacity alpha, its baseline at y, its left end, centre or
  // right end (by align) at x.
  void Draw(Surface& surface, const std::string& text, const Type& type, double x, double y, Align align,
            LICE_pixel colour, float alpha = 1.0f) const;

 private:
  bool ready_;
};

}  // namespace kestrune::panelart
