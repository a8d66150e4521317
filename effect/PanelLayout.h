#pragma once

// Where everything on Kestrune's panel sits. The editor layout places its controls by these
// numbers and the panel-art generator draws the images to fit them; the images themselves are
// the truth about frame sizes once they are drawn, and they are drawn to these.

// One image of the panel: its resource name and id, the top-left corner of its control in the
// editor, the size of one frame and the number of frames, stacked vertically.
struct PanelImage
{
  const char* name;
  int resourceId;
  int x, y;
  int frameWidth, frameHeight;
  int frames;

  // Centre of the control's rectangle, in editor pixels (pixel i spans i..i+1).
  constexpr double CentreX() const { return x + frameWidth / 2.0; }
  constexpr double CentreY() const { return y + frameHeight / 2.0; }
};

namespace PanelLayout
{
// The editor: 465 x 488 pixels, symmetric about x = 232.5.
constexpr int kWidth = 465;
constexpr int kHeight = 488;

constexpr PanelImage kBackground{"resources/img/bg.png", 101, 0, 0, kWidth, kHeight, 1};
// Bypass: frame 0 plays the effect, frame 1 passes the input through.
constexpr PanelImage kBypass{"resources/img/by.png", 102, 194, 317, 77, 60, 2};
// Circuit: frame 0 the plain circuit, frame 1 the bright one.
constexpr PanelImage kCircuit{"resources/img/BR.png", 103, 204, 46, 57, 80, 2};
constexpr PanelImage kOut{"resources/img/OUT.png", 105, 185, 165, 95, 95, 31};
constexpr PanelImage kHi{"resources/img/HI.png", 106, 47, 40, 92, 92, 31};
constexpr PanelImage kLo{"resources/img/LO.png", 108, 326, 40, 92, 92, 31};

// The six images in the order the editor loads them.
constexpr PanelImage kImages[] = {kBackground, kBypass, kCircuit, kOut, kHi, kLo};

// Knobs sweep 270 degrees: frame k of n points at -135 + 270 k / (n - 1) degrees, clockwise from
// straight up.
constexpr double kKnobSweepDegrees = 270.0;

// The product page link: left, top, right, bottom (it reaches below the editor; only
// 367..467 x 460..488 is visible).
constexpr int kLinkLeft = 367, kLinkTop = 460, kLinkRight = 467, kLinkBottom = 560;
constexpr const char* kProductPage = "https://www.orvantic.com/product/kestrune/";
}  // namespace PanelLayout
