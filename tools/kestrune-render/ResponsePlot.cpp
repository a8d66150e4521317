#include "tools/kestrune-render/ResponsePlot.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_line.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_shapes.h"
#include "rasterizer/lice_sysbitmap.h"
#include "tools/picture/PinnedFonts.h"

namespace kestrune::render {
namespace {

constexpr LICE_pixel Rgb(unsigned r, unsigned g, unsigned b) { return LICE_RGBA(r, g, b, 255); }

// Dark enamel and cream lettering, as on the panel; the curves in lamp colours.
constexpr LICE_pixel kBackground = Rgb(33, 36, 41);
constexpr LICE_pixel kPlotFill = Rgb(22, 24, 28);
constexpr LICE_pixel kGridMinor = Rgb(45, 49, 55);
constexpr LICE_pixel kGridMajor = Rgb(72, 77, 85);
constexpr LICE_pixel kGridUnity = Rgb(104, 109, 118);
constexpr LICE_pixel kFrame = Rgb(92, 97, 106);
constexpr LICE_pixel kTitleColour = Rgb(236, 228, 206);
constexpr LICE_pixel kDetailsColour = Rgb(146, 144, 136);
constexpr LICE_pixel kLabelColour = Rgb(176, 173, 164);

// Centre lines of the title (with the legend) and of the details under it.
constexpr int kHeaderLine = 28;
constexpr int kDetailsLine = 52;
// Two curves closer than this everywhere are drawn as one and share a legend entry.
constexpr double kSameCurveDb = 0.05;
// The curve is stroked as two anti-aliased lines half a pixel either side of its path.
constexpr double kStrokeOffsets[] = {-0.5, 0.5};

constexpr const char kMinus[] = "\xE2\x88\x92";  // U+2212, the typographic minus sign
constexpr const char kEllipsis[] = "\xE2\x80\xA6";

enum class Align { kLeft, kCentre, kRight };

// The picture's fonts, in the pinned faces, and text drawn in them centred on a line.
class Lettering {
 public:
  enum Face { kTitle, kText, kLabel, kFaceCount };

  Lettering() {
    if (!pinned_.Ready()) return;
    const struct {
      int pixels, weight;
    } faces[kFaceCount] = {{18, FW_BOLD}, {12, FW_NORMAL}, {11, FW_NORMAL}};
    for (int f = 0; f < kFaceCount; ++f) {
      HFONT handle = CreateFont(-faces[f].pixels, 0, 0, 0, faces[f].weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "DejaVu Sans");
      if (handle == nullptr) return;
      fonts_[f].SetFromHFont(handle, LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_NATIVE);
    }
    ready_ = true;
  }
  bool Ready() const { return ready_; }

  int Width(Face face, const std::string& text) {
    RECT r{0, 0, 0, 0};
    fonts_[face].DrawText(nullptr, text.c_str(), -1, &r, kFlags | DT_CALCRECT);
    return r.right - r.left;
  }

  // Draws text with its left end, centre or right end at x, centred vertically on y.
  void Draw(LICE_IBitmap* bm, Face face, const std::string& text, int x, int y, Align align, LICE_pixel colour) {
    constexpr int kReach = 2000;
    RECT r{x, y - 50, x, y + 50};
    unsigned flags = kFlags | DT_VCENTER;
    if (align == Align::kLeft) r.right = x + kReach;
    if (align == Align::kCentre) r = {x - kReach, r.top, x + kReach, r.bottom}, flags |= DT_CENTER;
    if (align == Align::kRight) r.left = x - kReach, flags |= DT_RIGHT;
    fonts_[face].SetTextColor(colour);
    fonts_[face].DrawText(bm, text.c_str(), -1, &r, flags);
  }

  // text, or as much of it as fits in width pixels followed by an ellipsis.
  std::string Fitted(Face face, const std::string& text, int width) {
    if (Width(face, text) <= width) return text;
    std::string cut = text;
    while (!cut.empty()) {
      while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
      if (!cut.empty()) cut.pop_back();  // the last character's lead byte
      while (!cut.empty() && cut.back() == ' ') cut.pop_back();
      if (Width(face, cut + kEllipsis) <= width) return cut + kEllipsis;
    }
    return kEllipsis;
  }

 private:
  static constexpr unsigned kFlags = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;
  picture::PinnedFonts pinned_;  // first, so it is given back after the fonts are gone
  LICE_CachedFont fonts_[kFaceCount];
  bool ready_ = false;
};

std::string FrequencyLabel(double hz) { return hz >= 1000.0 ? std::to_string(int(hz / 1000.0)) + "k" : std::to_string(int(hz)); }

std::string GainLabel(double db) {
  const long whole = std::lround(db);
  if (whole == 0) return "0";
  return (whole > 0 ? "+" : kMinus) + std::to_string(std::labs(whole));
}

// A curve's segment stroked with anti-aliased lines, cut at clip (left, top inclusive; right,
// bottom exclusive).
void StrokeSegment(LICE_IBitmap* bm, double x1, double y1, double x2, double y2, LICE_pixel colour, const RECT& clip) {
  const double length = std::hypot(x2 - x1, y2 - y1);
  if (!(length > 0.0)) return;
  const double nx = -(y2 - y1) / length, ny = (x2 - x1) / length;
  for (double offset : kStrokeOffsets) {
    float ax = float(x1 + nx * offset), ay = float(y1 + ny * offset);
    float bx = float(x2 + nx * offset), by = float(y2 + ny * offset);
    if (!LICE_ClipFLine(&ax, &ay, &bx, &by, clip.left, clip.top, clip.right, clip.bottom)) continue;
    LICE_FLine(bm, ax, ay, bx, by, colour, 1.0f, LICE_BLIT_MODE_COPY, true);
  }
}

bool SameCurve(const std::vector<double>& a, const std::vector<double>& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (!(std::fabs(a[i] - b[i]) < kSameCurveDb)) return false;
  }
  return true;
}

// Frequencies of the grid's vertical lines: 1 to 9 times each power of ten from 20 Hz to 20 kHz.
std::vector<double> GridFrequencies() {
  std::vector<double> hz;
  for (double decade = 10.0; decade <= 10000.0; decade *= 10.0) {
    for (int k = 1; k <= 9; ++k) {
      const double f = decade * k;
      if (f >= kResponseLowestHz && f <= kResponseHighestHz) hz.push_back(f);
    }
  }
  hz.push_back(kResponseHighestHz);
  return hz;
}

bool IsDecade(double hz) { return hz == 100.0 || hz == 1000.0 || hz == 10000.0; }
bool IsLabelled(double hz) {
  const double leading = hz / std::pow(10.0, std::floor(std::log10(hz) + 1e-9));
  return std::fabs(leading - 1.0) < 1e-9 || std::fabs(leading - 2.0) < 1e-9 || std::fabs(leading - 5.0) < 1e-9;
}

void DrawGrid(LICE_IBitmap* bm, const PlotGeometry& at, Lettering& lettering) {
  using G = PlotGeometry;
  LICE_FillRect(bm, G::kLeft, G::kTop, G::kRight - G::kLeft, G::kBottom - G::kTop, kPlotFill, 1.0f, LICE_BLIT_MODE_COPY);
  const GainAxis& axis = at.Axis();
  const int divisions = static_cast<int>(std::lround((axis.top - axis.bottom) / axis.step));
  for (int i = 0; i <= divisions; ++i) {
    const double db = axis.bottom + i * axis.step;
    const int y = static_cast<int>(std::lround(at.YForGain(db)));
    LICE_Line(bm, G::kLeft, y, G::kRight, y, std::lround(db) == 0 ? kGridUnity : kGridMinor, 1.0f, LICE_BLIT_MODE_COPY, false);
    lettering.Draw(bm, Lettering::kLabel, GainLabel(db), G::kLeft - 9, y, Align::kRight, kLabelColour);
  }
  lettering.Draw(bm, Lettering::kLabel, "dB", G::kLeft - 9, G::kTop - 16, Align::kRight, kLabelColour);
  for (double hz : GridFrequencies()) {
    const int x = static_cast<int>(std::lround(at.XForFrequency(hz)));
    LICE_Line(bm, x, G::kTop, x, G::kBottom, IsDecade(hz) ? kGridMajor : kGridMinor, 1.0f, LICE_BLIT_MODE_COPY, false);
    if (IsLabelled(hz)) lettering.Draw(bm, Lettering::kLabel, FrequencyLabel(hz), x, G::kBottom + 15, Align::kCentre, kLabelColour);
  }
  lettering.Draw(bm, Lettering::kText, "Frequency (Hz)", (G::kLeft + G::kRight) / 2, G::kBottom + 38, Align::kCentre,
                 kLabelColour);
}

}  // namespace

GainAxis ChooseGainAxis(const FrequencyResponse& response) {
  double lowest = INFINITY, highest = -INFINITY;
  for (const std::vector<double>& gains : response.gainsDb) {
    for (double db : gains) {
      if (!std::isfinite(db)) continue;
      lowest = std::min(lowest, db);
      highest = std::max(highest, db);
    }
  }
  if (!(lowest <= highest)) lowest = highest = 0.0;
  constexpr double kRoom = 1.0;
  constexpr double kShortest = 12.0;
  double bottom = std::max(lowest, highest - kGainAxisDeepest) - kRoom;
  double top = highest + kRoom;
  if (top - bottom < kShortest) {
    const double middle = std::round((top + bottom) / 2.0);
    bottom = middle - kShortest / 2.0;
    top = middle + kShortest / 2.0;
  }
  constexpr double kSteps[] = {1.0, 2.0, 3.0, 6.0, 10.0, 20.0, 30.0};
  constexpr int kMostDivisions = 8;
  GainAxis axis;
  for (double step : kSteps) {
    axis = {std::floor(bottom / step) * step, std::ceil(top / step) * step, step};
    if ((axis.top - axis.bottom) / step <= kMostDivisions + 1e-9) break;
  }
  return axis;
}

double PlotGeometry::XForFrequency(double hz) const {
  return kLeft + (kRight - kLeft) * std::log10(hz / kResponseLowestHz) / std::log10(kResponseHighestHz / kResponseLowestHz);
}

double PlotGeometry::YForGain(double db) const {
  return kTop + (kBottom - kTop) * (axis_.top - db) / (axis_.top - axis_.bottom);
}

std::unique_ptr<LICE_IBitmap> DrawResponsePlot(const FrequencyResponse& response, const PlotCaption& caption,
                                               std::string& error) {
  using G = PlotGeometry;
  Lettering lettering;
  if (!lettering.Ready()) {
    error = "cannot letter the picture: the DejaVu fonts (Debian package fonts-dejavu-core) are missing";
    return nullptr;
  }
  auto picture = std::make_unique<LICE_SysBitmap>(G::kWidth, G::kHeight);
  LICE_IBitmap* bm = picture.get();
  LICE_Clear(bm, kBackground);
  const PlotGeometry at(ChooseGainAxis(response));
  DrawGrid(bm, at, lettering);

  // A curve that coincides with an earlier one takes over its legend entry; it is drawn on top.
  const RECT inside{G::kLeft + 1, G::kTop + 1, G::kRight, G::kBottom};
  const size_t channels = std::min(response.gainsDb.size(), std::size(kCurveColours));
  std::vector<std::string> legend = ChannelNames(static_cast<int>(channels));
  for (size_t c = 0; c < channels; ++c) {
    const std::vector<double>& gains = response.gainsDb[c];
    for (size_t earlier = 0; earlier < c; ++earlier) {
      if (!legend[earlier].empty() && SameCurve(response.gainsDb[earlier], gains)) {
        legend[c] = legend[earlier] + " = " + legend[c];
        legend[earlier].clear();
      }
    }
    for (size_t i = 1; i < gains.size(); ++i) {
      StrokeSegment(bm, at.XForFrequency(response.frequencies[i - 1]), at.YForGain(gains[i - 1]),
                    at.XForFrequency(response.frequencies[i]), at.YForGain(gains[i]), kCurveColours[c], inside);
    }
  }
  LICE_DrawRect(bm, G::kLeft, G::kTop, G::kRight - G::kLeft, G::kBottom - G::kTop, kFrame, 1.0f, LICE_BLIT_MODE_COPY);

  // Legend, right-aligned on the title's line.
  constexpr int kSampleLength = 22, kSampleGap = 7, kEntryGap = 20;
  const RECT whole{0, 0, G::kWidth, G::kHeight};
  int right = G::kRight;
  for (size_t c = channels; c-- > 0;) {
    if (legend[c].empty()) continue;
    const int textWidth = lettering.Width(Lettering::kText, legend[c]);
    lettering.Draw(bm, Lettering::kText, legend[c], right, kHeaderLine, Align::kRight, kLabelColour);
    const int sampleEnd = right - textWidth - kSampleGap;
    StrokeSegment(bm, sampleEnd - kSampleLength, kHeaderLine, sampleEnd, kHeaderLine, kCurveColours[c], whole);
    right = sampleEnd - kSampleLength - kEntryGap;
  }
  lettering.Draw(bm, Lettering::kTitle, lettering.Fitted(Lettering::kTitle, caption.title, right - G::kLeft), G::kLeft, kHeaderLine,
                 Align::kLeft, kTitleColour);
  lettering.Draw(bm, Lettering::kText, lettering.Fitted(Lettering::kText, caption.details, G::kRight - G::kLeft), G::kLeft,
                 kDetailsLine, Align::kLeft, kDetailsColour);
  return picture;
}

}  // namespace kestrune::render
