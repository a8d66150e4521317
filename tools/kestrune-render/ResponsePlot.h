#pragma once
// The picture of a frequency response: gain over a logarithmic frequency axis from 20 Hz to
// 20 kHz, one curve per channel, drawn with the rasteriser and lettered in the pinned fonts.

#include <memory>
#include <string>

#include "rasterizer/lice_bitmap.h"
#include "tools/kestrune-render/ResponseMeasurement.h"

namespace kestrune::render {

// The gain axis: from bottom to top dB, a grid line every step dB.
struct GainAxis {
  double bottom = 0.0;
  double top = 0.0;
  double step = 0.0;
};

// The axis that shows every gain of the response with some room, at most kGainAxisDeepest dB
// below the loudest (deeper notches run off the bottom), at least 12 dB tall, with at most eight
// divisions of 1, 2, 3, 6, 10, 20 or 30 dB.
constexpr double kGainAxisDeepest = 90.0;
GainAxis ChooseGainAxis(const FrequencyResponse& response);

// Where things are in the picture, in pixels from its top-left corner (a pixel's centre at +0.5).
class PlotGeometry {
 public:
  static constexpr int kWidth = 900;
  static constexpr int kHeight = 520;
  // The plotting area.
  static constexpr int kLeft = 70;
  static constexpr int kRight = 872;
  static constexpr int kTop = 78;
  static constexpr int kBottom = 468;

  explicit PlotGeometry(const GainAxis& axis) : axis_(axis) {}
  const GainAxis& Axis() const { return axis_; }
  double XForFrequency(double hz) const;
  double YForGain(double db) const;

 private:
  GainAxis axis_;
};

// Colours of the curves, by channel.
constexpr LICE_pixel kCurveColours[] = {LICE_RGBA(255, 176, 64, 255), LICE_RGBA(84, 196, 255, 255)};

// What the picture says besides the curves: its title (e.g. the plug-in's name) and a line of
// details under it (rate, level, settings), cut short with an ellipsis when it does not fit.
struct PlotCaption {
  std::string title;
  std::string details;
};

// The response drawn as an opaque kWidth x kHeight picture: caption, legend (channels whose
// curves coincide share one entry), grid with labels, curves. Null and a reason when the pinned
// fonts cannot be used.
std::unique_ptr<LICE_IBitmap> DrawResponsePlot(const FrequencyResponse& response, const PlotCaption& caption,
                                               std::string& error);

}  // namespace kestrune::render
