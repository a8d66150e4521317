#include "tools/kestrune-panel-art/Typesetter.h"

#include <cmath>
#include <memory>

#include "platform/gdi/swell_font.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_sysbitmap.h"

namespace kestrune::panelart {
namespace {

// The faces the panel is lettered in, from Debian's fonts-dejavu-core.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
};

constexpr unsigned kLineFlags = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;
// Room left around each run of text for glyphs that reach past their advance.
constexpr int kMargin = 8;

// A font for the type at the given fine scale, selected into a scratch drawing context that its
// runs of text are drawn in, white on transparent, to serve as coverage masks.
class ScaledFont {
 public:
  ScaledFont(const Type& type, int scale)
      : font_(CreateFont(-int(std::lround(type.size * scale)), 0, 0, 0, type.weight, 0, 0, 0, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, type.family)),
        scratch_(4, 4) {
    Select();
  }
  ~ScaledFont() {
    SelectObject(scratch_.getDC(), nullptr);
    DeleteObject(font_);
  }
  ScaledFont(const ScaledFont&) = delete;
  ScaledFont& operator=(const ScaledFont&) = delete;

  // Distance from the top of a line to its baseline, in fine pixels.
  int Ascent() {
    TEXTMETRIC metrics{};
    return GetTextMetrics(scratch_.getDC(), &metrics) ? metrics.tmAscent : 0;
  }

  // Advance of the run in fine pixels.
  int Advance(const char* run, int length) {
    RECT r{0, 0, 0, 0};
    SWELL_DrawText(scratch_.getDC(), run, length, &r, kLineFlags | DT_CALCRECT);
    return r.right - r.left;
  }

  // Adds the run's coverage to mask, the top-left of its line box at (x, y).
  void DrawRun(LICE_IBitmap* mask, const char* run, int length, int x, int y) {
    RECT box{0, 0, 0, 0};
    SWELL_DrawText(scratch_.getDC(), run, length, &box, kLineFlags | DT_CALCRECT);
    scratch_.resize(box.right + 2 * kMargin, box.bottom + 2 * kMargin);
    Select();
    LICE_Clear(&scratch_, 0);
    RECT at{kMargin, kMargin, kMargin + box.right, kMargin + box.bottom};
    SWELL_DrawText(scratch_.getDC(), run, length, &at, kLineFlags);
    LICE_Blit(mask, &scratch_, x - kMargin, y - kMargin, nullptr, 1.0f, LICE_BLIT_MODE_ADD);
  }

 private:
  // (Re)selects the font into the scratch context, which a resize may have replaced.
  void Select() {
    SelectObject(scratch_.getDC(), font_);
    SetTextColor(scratch_.getDC(), 0xFFFFFF);
    SetBkMode(scratch_.getDC(), TRANSPARENT);
  }

  HFONT font_;
  LICE_SysBitmap scratch_;
};

// Number of bytes of the UTF-8 character that starts at text.
int CharacterLength(const char* text) {
  const unsigned char lead = static_cast<unsigned char>(*text);
  int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  for (int i = 1; i < length; ++i) {
    if (text[i] == '\0') return i;
  }
  return length;
}

// Fine-pixel width of text as set with the type's tracking.
double SetWidth(ScaledFont& font, const std::string& text, const Type& type, int scale) {
  if (type.tracking == 0.0) return font.Advance(text.c_str(), int(text.size()));
  double width = 0.0;
  int letters = 0;
  for (size_t i = 0; i < text.size(); i += CharacterLength(&text[i]), ++letters)
    width += font.Advance(&text[i], CharacterLength(&text[i]));
  return width + type.tracking * scale * std::max(letters - 1, 0);
}

}  // namespace

Typesetter::Typesetter() : ready_(SWELL_SetFontFiles(kFontFiles, int(std::size(kFontFiles)))) {}

Typesetter::~Typesetter() { SWELL_SetFontFiles(nullptr, 0); }

void Typesetter::Draw(Surface& surface, const std::string& text, const Type& type, double x, double y, Align align,
                      LICE_pixel colour, float alpha) const {
  const int scale = surface.Scale();
  ScaledFont font(type, scale);
  const double width = SetWidth(font, text, type, scale);
  // Positions on the surface's fine pixels, whose origin is the surface's top-left corner.
  double pen = (x - surface.Left()) * scale - (align == Align::kCentre ? width / 2 : align == Align::kRight ? width : 0.0);
  const int top = int(std::lround((y - surface.Top()) * scale)) - font.Ascent();
  surface.Paint(
      [&](Surface& mask) {
        if (type.tracking == 0.0) {
          font.DrawRun(mask.Fine(), text.c_str(), int(text.size()), int(std::lround(pen)), top);
          return;
        }
        for (size_t i = 0; i < text.size(); i += CharacterLength(&text[i])) {
          const int length = CharacterLength(&text[i]);
          font.DrawRun(mask.Fine(), &text[i], length, int(std::lround(pen)), top);
          pen += font.Advance(&text[i], length) + type.tracking * scale;
        }
      },
      [colour](double, double) { return colour; }, alpha);
}

}  // namespace kestrune::panelart
