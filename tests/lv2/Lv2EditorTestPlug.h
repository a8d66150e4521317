// The LV2 editor test plug-in's identity and layout, shared by the module and the tests that
// drive its editor.
#pragma once

#include "graphics/IGraphicsStructs.h"

namespace lv2_editor_test {

constexpr const char* kPluginUri = "https://www.orvantic.com/plugins/test/editor";
constexpr const char* kUiUri = "https://www.orvantic.com/plugins/test/editor#ui";

// Parameters, and so control ports 0 and 1: a 0..1 level, and a bypass switch published as the
// enable switch (port 1 reads 1 while the effect plays).
enum EParams
{
  kLevel,
  kBypass,
  kNumParams
};

constexpr int kWidth = 100, kHeight = 60;
constexpr int kSwitchX = 10, kSwitchY = 10, kSwitchW = 30, kSwitchH = 30;
constexpr int kBarX = 50, kBarY = 10, kBarW = 40, kBarH = 40;

constexpr IColor kBackgroundColor(255, 40, 40, 40);
constexpr IColor kOffColor(255, 0, 128, 0);
constexpr IColor kOnColor(255, 200, 0, 0);
constexpr IColor kBarColor(255, 255, 255, 255);

} // namespace lv2_editor_test
