#pragma once

#include <algorithm>

#include "rasterizer/lice_pixel.h"

// The plain records of the editor: rectangles, colours, blend settings, bitmap handles, mouse
// modifiers, key codes and text styles. All are copied by value.

class LICE_IBitmap;
class LICE_IFont;
struct IBitmap;

// Integer rectangle in editor pixels, origin top-left; right and bottom are exclusive.
// Only (0, 0, 0, 0) counts as empty: a rectangle of zero size elsewhere is not empty.
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // The rectangle of one frame of pBitmap with its top-left corner at (x, y).
  IRECT(int x, int y, const IBitmap* pBitmap);

  // True only for (0, 0, 0, 0).
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  // Horizontal and vertical middle.
  float MW() const { return 0.5f * static_cast<float>(L + R); }
  float MH() const { return 0.5f * static_cast<float>(T + B); }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  // True when (x, y) lies inside; never for the empty rectangle.
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  // True when the two overlap or touch along an edge; never when either is empty.
  bool Intersects(const IRECT* pR) const
  {
    return !Empty() && !pR->Empty() && L < pR->R && R >= pR->L && T < pR->B && B >= pR->T;
  }
  // The overlap when the two intersect (it may have zero size when they only touch), else empty.
  IRECT Intersect(const IRECT* pR) const
  {
    if (!Intersects(pR)) return IRECT();
    return IRECT(std::max(L, pR->L), std::max(T, pR->T), std::min(R, pR->R), std::min(B, pR->B));
  }
  // The smallest rectangle holding both; an empty operand contributes nothing.
  IRECT Union(const IRECT* pR) const
  {
    if (Empty()) return *pR;
    if (pR->Empty()) return *this;
    return IRECT(std::min(L, pR->L), std::min(T, pR->T), std::max(R, pR->R), std::max(B, pR->B));
  }
};

// A colour: alpha, red, green and blue, each 0..255 (only the low 8 bits of each are used when packed).
struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }

  // The rasteriser pixel: alpha in bits 24-31, then red, green, blue.
  LICE_pixel Packed() const { return LICE_RGBA(R, G, B, A); }
  // The colour of a rasteriser pixel.
  static IColor FromPacked(LICE_pixel p)
  {
    return IColor(int(LICE_GETA(p)), int(LICE_GETR(p)), int(LICE_GETG(p)), int(LICE_GETB(p)));
  }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// How a drawing call combines its source with the editor's pixels: a method and a weight (0..1).
struct IChannelBlend
{
  // A fixed underlying type: any 32-bit value is a valid method (unknown ones blend as default).
  enum EBlendMethod : int
  {
    kBlendDefault = 0,  // copy, using the source's alpha
    kBlendReplace = 1,  // copy, ignoring alpha
    kBlendAdditive = 2, // add, using alpha
    kBlendDodge = 3     // colour dodge, using alpha
  };

  EBlendMethod mMethod = kBlendDefault;
  float mWeight = 1.0f;

  IChannelBlend(EBlendMethod method = kBlendDefault, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// The rasteriser mode word for a blend: 0x10000 (copy with alpha) for default, for a null blend
// and for a method outside the list; 0 for replace; 0x10001 for additive; 0x10002 for dodge.
int BlendMode(const IChannelBlend* pBlend);
// The rasteriser opacity for a blend: its weight, or 1.0 for a null blend.
inline float BlendWeight(const IChannelBlend* pBlend)
{
  return pBlend ? pBlend->mWeight : 1.0f;
}

// A handle to an image in the module-wide bitmap cache, copied by value; it owns nothing.
// The image holds frames stacked top to bottom (or left to right when mFramesAreHorizontal).
// A handle with null data (an image that could not be loaded) draws nothing.
struct IBitmap
{
  LICE_IBitmap* mData = nullptr;
  int W = 0, H = 0;
  int N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(LICE_IBitmap* pData, int w, int h, int nFrames = 1, bool framesAreHorizontal = false)
    : mData(pData), W(w), H(h), N(nFrames), mFramesAreHorizontal(framesAreHorizontal)
  {
  }

  // Size of one frame (the whole image for one frame; a count below 1 counts as 1).
  int FrameWidth() const { return mFramesAreHorizontal ? W / std::max(N, 1) : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / std::max(N, 1); }
};

inline IRECT::IRECT(int x, int y, const IBitmap* pBitmap)
  : L(x), T(y), R(x + pBitmap->FrameWidth()), B(y + pBitmap->FrameHeight())
{
}

// Mouse buttons and modifier keys held during an event: left, right, shift, control, alt.
struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
    : L(l), R(r), S(s), C(c), A(a)
  {
  }
};

// The keys that reach the editor: space, the four arrows, digits and letters (either case).
enum EKeyCode
{
  KEY_SPACE = 0,
  KEY_UPARROW = 1,
  KEY_DOWNARROW = 2,
  KEY_LEFTARROW = 3,
  KEY_RIGHTARROW = 4,
  KEY_DIGIT_0 = 5,
  KEY_DIGIT_9 = 14,
  KEY_ALPHA_A = 15,
  KEY_ALPHA_Z = 40
};

// Travel of knobs, faders and radio buttons.
enum EDirection : int
{
  kVertical = 0,
  kHorizontal = 1
};

// What a file prompt asks for.
enum EFileAction : int
{
  kFileOpen = 0,
  kFileSave = 1
};

// Length of a text style's face name, terminator included.
#define FONT_LEN 32

// A text style: face, pixel size, colours, weight or slant, alignment, angle and rendering quality.
// The cached font is filled on first use by the font cache, which owns it; styles that differ only
// in colour, alignment or quality share one font.
struct IText
{
  enum EStyle : int
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2
  };
  enum EAlign : int
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2
  };
  enum EQuality : int
  {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };

  char mFont[FONT_LEN];
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation; // degrees
  EQuality mQuality;
  LICE_IFont* mCached = nullptr;

  // The control default: "Monaco" 10 pixels in DEFAULT_TEXT_COLOR, normal, centred, upright.
  // A null colour or font takes the default; the face name is cut to FONT_LEN - 1 characters.
  IText(int size = 10, const IColor* pColor = nullptr, const char* font = nullptr, EStyle style = kStyleNormal,
        EAlign align = kAlignCenter, int orientation = 0, EQuality quality = kQualityDefault,
        const IColor* pTextEntryBGColor = nullptr, const IColor* pTextEntryFGColor = nullptr);
  // A style of the given colour with every other field at the control default.
  explicit IText(const IColor* pColor);
};
