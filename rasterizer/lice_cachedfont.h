#pragma once

// Fonts that draw and measure text in rasteriser bitmaps. Including this header also gives the
// platform font functions (CreateFont, DeleteObject, the DT_ flags) that make the handles these
// fonts wrap.

#include "containers/WDL_HeapBuf.h"
#include "containers/WDL_Mutex.h"
#include "containers/WDL_TypedBuf.h"
#include "platform/gdi/swell_font.h"
#include "rasterizer/lice_bitmap.h"
#include "rasterizer/lice_combine.h"
#include "rasterizer/lice_glyph.h"

// Font flags (SetFromHFont). The effect flags (mono, shadow, outline) and the reserved bits of
// LICE_FONT_FLAGS_GLYPH_ONLY work only on the glyph-cache path, so setting any of them keeps a
// font off the native path.
enum
{
  LICE_FONT_FLAG_PRERENDER = 0x4,   // render the glyphs of codes 0-127 as soon as the font is set
  LICE_FONT_FLAG_FX_MONO = 0x40,    // draw glyphs one-bit: coverage of half or more is full ink
  LICE_FONT_FLAG_FX_SHADOW = 0x80,  // draw each glyph in the effect colour one pixel down and right first
  LICE_FONT_FLAG_FX_OUTLINE = 0x100, // draw each glyph in the effect colour one pixel around it first
  LICE_FONT_FLAG_OWNS_HFONT = 0x200, // the font deletes its handle when replaced or destroyed
  LICE_FONT_FLAG_NATIVE = 0x400,     // draw through the platform's text drawing
  LICE_FONT_FLAGS_GLYPH_ONLY = 0x1F7
};

// DrawText flag beside the platform's DT_ flags: the glyphs take the text colour's alpha byte as
// an extra opacity. Flags above 0x3FFFFFFF keep a draw off the native path.
enum
{
  LICE_DT_USEFGALPHA = 0x40000000
};

// Flags of DrawText that the native path passes on to the platform.
enum
{
  LICE_DT_NATIVE_MAX = 0x3FFFFFFF
};

// A font that draws and measures UTF-8 text in bitmaps.
class LICE_IFont
{
public:
  // Frees the font (and its handle when it owns it).
  virtual ~LICE_IFont() {}
  // Wraps the platform font handle with the LICE_FONT_FLAG_ flags; see LICE_CachedFont.
  virtual void SetFromHFont(HGDIOBJ font, int flags) = 0;
  // Stores the text colour (a pixel, alpha in the top byte).
  virtual void SetTextColor(LICE_pixel colour) = 0;
  // Stores the background colour of opaque background mode.
  virtual void SetBkColor(LICE_pixel colour) = 0;
  // Stores the colour of the shadow and outline effects.
  virtual void SetEffectColor(LICE_pixel colour) = 0;
  // Stores the background mode (OPAQUE fills the text's box with the background colour first).
  virtual void SetBkMode(int mode) = 0;
  // Stores the blend mode word and opacity glyphs are drawn with on the glyph-cache path.
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // Draws len bytes of UTF-8 text (len < 0: up to the terminator) into rect of bm with the DT_
  // flags and LICE_DT_USEFGALPHA; with DT_CALCRECT only measures, setting rect's right and
  // bottom to its left and top plus the text's width and height (bm may then be null). Returns
  // the text's height in pixels; 0 for a null rect, a null bitmap when drawing, or no handle.
  virtual int DrawText(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags) = 0;
  // The stored text colour.
  virtual LICE_pixel GetTextColor() = 0;
  // The wrapped platform font handle, or null.
  virtual HGDIOBJ GetHFont() = 0;
  // The line height in pixels (the handle's metrics), 0 without a handle.
  virtual int GetLineHeight() = 0;
  // Draws the glyph of code c with the top-left corner of its line cell at (x, y), clipped to
  // clip (null: the bitmap), on the glyph-cache path. Returns the glyph's advance in pixels; 0
  // when nothing can be drawn (no handle, null bitmap).
  virtual int DrawGlyph(LICE_IBitmap* bm, unsigned short c, int x, int y, RECT* clip) = 0;
};

// A font wrapping a platform font handle. Text is drawn either by the platform's own text drawing
// into the bitmap's drawing context (the native path) or from a cache of coverage masks, one per
// character, rendered once through the platform and drawn with the font's colour, blend mode and
// opacity (the glyph-cache path). The native path is taken when the flags have
// LICE_FONT_FLAG_NATIVE and none of LICE_FONT_FLAGS_GLYPH_ONLY and the draw flags do not exceed
// LICE_DT_NATIVE_MAX; otherwise only when the line height is 256 or more.
//
// With an opaque background the native path fills each line's box, the glyph-cache path the box
// of the whole text (the same for a single line).
//
// All fonts share two scratch bitmaps (one for measuring and rendering glyphs, one for native
// drawing into bitmaps without a drawing context), guarded by a module-wide lock and freed when
// the last font is destroyed. One font may be drawn with from several threads: its glyph store
// has its own lock. Its settings are plain fields, set by whoever draws.
class LICE_CachedFont : public LICE_IFont
{
public:
  // An empty font: black text, white background and effect colour, transparent background, Copy
  // at opacity 1, no handle.
  LICE_CachedFont();
  // Deletes the handle when the font owns it; frees the shared scratch bitmaps when it is the
  // last font alive.
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  // Takes font and flags. When the old flags own the old handle and it differs from font, the
  // old handle is deleted. With a handle, the line height is read from its metrics; the glyph
  // store is emptied, and with LICE_FONT_FLAG_PRERENDER codes 0-127 are rendered at once.
  void SetFromHFont(HGDIOBJ font, int flags) override;
  void SetTextColor(LICE_pixel colour) override { m_fg = colour; }
  void SetBkColor(LICE_pixel colour) override { m_bg = colour; }
  void SetEffectColor(LICE_pixel colour) override { m_effect = colour; }
  void SetBkMode(int mode) override { m_bgmode = mode; }
  void SetCombineMode(int mode, float alpha) override
  {
    m_comb = mode;
    m_alpha = alpha;
  }
  int DrawText(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags) override;
  LICE_pixel GetTextColor() override { return m_fg; }
  HGDIOBJ GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_line_height; }
  int DrawGlyph(LICE_IBitmap* bm, unsigned short c, int x, int y, RECT* clip) override;

  // Stored settings, as set.
  LICE_pixel GetBkColor() const { return m_bg; }
  LICE_pixel GetEffectColor() const { return m_effect; }
  int GetBkMode() const { return m_bgmode; }
  int GetCombineMode() const { return m_comb; }
  float GetCombineAlpha() const { return m_alpha; }
  int GetFlags() const { return m_flags; }

  // Number of LICE_CachedFont objects alive in the module.
  static int LiveFontCount();

private:
  // One rendered character: its coverage mask and where it sits relative to the pen position.
  struct Glyph
  {
    unsigned code;   // character code
    int mask_offset; // start of the mask in the mask store; -1 before the glyph is rendered
    int width;       // mask size in pixels (0 for a glyph without ink)
    int height;
    int left;        // mask's top-left corner relative to the pen position on the baseline
    int top;
    int advance;     // pen advance in pixels, alone (without kerning)
  };

  bool useNativePath(unsigned flags) const;
  int drawNative(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags);
  int drawNativeWithoutContext(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags);
  int drawFromGlyphs(LICE_IBitmap* bm, const char* text, int len, RECT* rect, unsigned flags);
  void drawMask(LICE_IBitmap* bm, const Glyph& g, const unsigned char* mask, int penX, int penY, const RECT& clip,
                float alpha);
  // The entry of code (added when new), rendered; null when the store cannot hold it.
  Glyph* glyphFor(unsigned code);
  // Renders code's coverage into mask (and fills in the glyph's placement). Scratch lock held.
  bool renderGlyph(Glyph& glyph, WDL_TypedBuf<unsigned char>& mask);
  const unsigned char* maskOf(const Glyph& g) const;
  void emptyGlyphStore();

  LICE_pixel m_fg;
  LICE_pixel m_bg;
  LICE_pixel m_effect;
  int m_bgmode;
  int m_comb;
  float m_alpha;
  int m_flags;
  int m_line_height;
  int m_ascent; // from the handle's metrics, for DrawGlyph's cell
  Glyph m_lowglyphs[128];
  WDL_TypedBuf<Glyph> m_extraglyphs; // sorted by code
  WDL_HeapBuf m_masks;
  HGDIOBJ m_font;
  WDL_Mutex m_store_lock;
};
