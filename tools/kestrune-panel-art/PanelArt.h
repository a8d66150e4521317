#pragma once
// Kestrune's six panel images: drawing them, writing them as PNG files, and composing the panel
// the way the editor shows it.

#include <array>
#include <iterator>
#include <memory>
#include <string>

#include "effect/PanelLayout.h"
#include "rasterizer/lice_bitmap.h"

namespace kestrune::panelart {

using Image = std::unique_ptr<LICE_IBitmap>;

// The images, each sized by its PanelLayout entry (frames stacked vertically).
struct PanelArt {
  // One image per entry of PanelLayout::kImages, in that order.
  std::array<Image, std::size(PanelLayout::kImages)> images;

  // The image of a layout entry, matched by resource id; null when it is not one of the six.
  LICE_IBitmap* For(const PanelImage& place) const;
  // The slot holding that image; place must be one of PanelLayout::kImages.
  Image& Slot(const PanelImage& place);
};

// Draws all six images into art. Deterministic: the same program gives the same pixels. Returns
// false and a reason, drawing nothing, when the pinned fonts cannot be used.
bool DrawPanelArt(PanelArt& art, std::string& error);

// File name of a layout entry's image inside its folder, e.g. "bg.png".
std::string FileName(const PanelImage& place);

// Writes the six images into folder as PNG files named by FileName, each completely or not at
// all. Returns false and a reason on the first failure.
bool WritePanelArt(const PanelArt& art, const std::string& folder, std::string& error);

// Reads the six images from PNG files in folder; false and a reason when one is missing, cannot
// be decoded or does not have its layout size.
bool ReadPanelArt(const std::string& folder, PanelArt& art, std::string& error);

// Positions of the five controls, normalised 0..1 as the editor holds them.
struct ControlValues {
  double bypass = 0.0, circuit = 0.0, out = 0.5, hi = 0.70710678118654752, lo = 0.70710678118654752;
};

// Frame index (from 0) that a control of `frames` frames shows at the normalised value.
int FrameForValue(int frames, double value);

// The editor's picture: the background with every control's frame for its value drawn over it by
// alpha, in the editor's drawing order.
Image ComposePanel(const PanelArt& art, const ControlValues& values);

}  // namespace kestrune::panelart
