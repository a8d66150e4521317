#pragma once

// Kestrune's panel as it must look, composed straight from the committed images in resources/img
// (decoded here with libpng's own reader) and the positions of the editor layout, without the
// editor framework or the rasteriser; and Kestrune with its editor on the headless host, for
// tests that drive the panel through the VST 2 interface without a display.

#include "tests/graphics/EditorTestKit.h"
#include "vst2/VstInterface.h"

namespace kestrune_panel_test {

// Normalised values of the five parameters the panel shows.
struct PanelValues
{
  double out = 0.5;
  double circuit = 0.0;
  double hi = 0.7071067811865476; // plain 0.5 on a square-law knob
  double lo = 0.7071067811865476;
  double bypass = 0.0;
};

// Where the layout puts each control's top-left corner, in editor pixels.
constexpr int kBypassX = 194, kBypassY = 317;
constexpr int kCircuitX = 204, kCircuitY = 46;
constexpr int kOutX = 185, kOutY = 165;
constexpr int kHiX = 47, kHiY = 40;
constexpr int kLoX = 326, kLoY = 40;
constexpr int kPanelWidth = 465, kPanelHeight = 488;
constexpr const char* kProductPage = "https://www.orvantic.com/product/kestrune/";

// resources/img/<fileName> from the source tree ($KESTRUNE_SOURCE_DIR), as pixels 0xAARRGGBB; an
// empty picture when it cannot be read.
editor_test::Picture CommittedImage(const char* fileName);

// The panel for these values: bg.png copied whole, then for each control in the layout's order the
// frame round(value x (frames - 1)) of its strip (frames stacked vertically) composed over it at
// the control's corner by the default blend.
editor_test::Picture ComposePanel(const PanelValues& values);

// The entry point of Kestrune whose editor is an IGraphicsHeadless holding the module's panel
// images (for TestHost::UseEntryPoint).
AEffect* HeadlessKestruneEntry(audioMasterCallback hostCallback);

} // namespace kestrune_panel_test
