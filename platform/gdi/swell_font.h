#pragma once

#include "platform/gdi/swell_types.h"

// Fonts and text for memory drawing contexts, shaped like their Win32 namesakes. Faces are found
// by fontconfig and rendered by FreeType. Text is UTF-8 throughout; an invalid byte sequence
// stands for one replacement character (U+FFFD) and nothing is read past the given length or the
// terminator. Kerning comes from the face; a character the face lacks is taken from a fallback
// face that has it when one is installed.
//
// Colours are the low 24 bits of a rasteriser pixel, 0xRRGGBB (not Win32's 0xBBGGRR); any higher
// bits are ignored. Text is blended into the context's 32-bit pixels: each colour channel moves
// towards the text colour by the glyph's coverage, and alpha towards 255.
//
// Every function may be called from any thread: fonts and their glyph caches are shared
// module-wide under one lock. A context itself is used by one thread at a time.

// A font (or, in Win32 terms, any drawing object; fonts are the only kind here).
struct HGDIOBJ__;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HFONT;

// Metrics of the font selected into a context, in pixels.
struct TEXTMETRIC
{
  int tmHeight;          // line height: ascent + descent
  int tmAscent;          // baseline to the top of the line
  int tmDescent;         // baseline to the bottom of the line
  int tmInternalLeading; // tmHeight minus the em height
  int tmExternalLeading; // extra space the face suggests between lines (not part of tmHeight)
  int tmAveCharWidth;    // average advance of the face's characters
  int tmMaxCharWidth;    // widest advance of any character of the face
  int tmWeight;          // weight of the face found (400 normal, 700 bold)
};

// Weights for CreateFont.
enum
{
  FW_DONTCARE = 0,
  FW_THIN = 100,
  FW_EXTRALIGHT = 200,
  FW_LIGHT = 300,
  FW_NORMAL = 400,
  FW_MEDIUM = 500,
  FW_SEMIBOLD = 600,
  FW_BOLD = 700,
  FW_EXTRABOLD = 800,
  FW_BLACK = 900
};

// Character sets and precisions: accepted for the Win32 shape; every face is used as Unicode.
enum
{
  ANSI_CHARSET = 0,
  DEFAULT_CHARSET = 1,
  OUT_DEFAULT_PRECIS = 0,
  CLIP_DEFAULT_PRECIS = 0
};

// Quality codes for CreateFont: NONANTIALIASED_QUALITY renders one-bit glyphs (every pixel fully
// covered or untouched); every other code renders grey-scale anti-aliased glyphs.
enum
{
  DEFAULT_QUALITY = 0,
  DRAFT_QUALITY = 1,
  PROOF_QUALITY = 2,
  NONANTIALIASED_QUALITY = 3,
  ANTIALIASED_QUALITY = 4,
  CLEARTYPE_QUALITY = 5
};

// Pitch (low 2 bits) and family (bits 4-7) for CreateFont. A fixed pitch or the modern family
// asks for a monospace face when the named one is missing, the roman family for a serif face.
enum
{
  DEFAULT_PITCH = 0,
  FIXED_PITCH = 1,
  VARIABLE_PITCH = 2,
  FF_DONTCARE = 0x00,
  FF_ROMAN = 0x10,
  FF_SWISS = 0x20,
  FF_MODERN = 0x30,
  FF_SCRIPT = 0x40,
  FF_DECORATIVE = 0x50
};

// Background modes for SetBkMode.
enum
{
  TRANSPARENT = 0,
  OPAQUE = 1
};

// Face names are read up to their terminator or this many bytes, whichever comes first.
enum
{
  LF_FACESIZE = 32
};

// Flags for SWELL_DrawText. Alignment applies to the whole block of lines; without DT_SINGLELINE
// text breaks at line feeds ("\n", "\r\n" or "\r").
enum
{
  DT_LEFT = 0x0,
  DT_TOP = 0x0,
  DT_CENTER = 0x1,     // centre each line horizontally in the rectangle
  DT_RIGHT = 0x2,      // align each line with the rectangle's right edge
  DT_VCENTER = 0x4,    // centre the block vertically
  DT_BOTTOM = 0x8,     // align the block with the rectangle's bottom edge
  DT_WORDBREAK = 0x10, // also break lines between words so that they fit the rectangle's width
  DT_SINGLELINE = 0x20, // one line; line feeds are not drawn
  DT_NOCLIP = 0x100,   // do not clip to the rectangle (the context's edges still clip)
  DT_CALCRECT = 0x400, // measure only: set the rectangle's right and bottom to its left and top
                       // plus the text's width and height; draw nothing
  DT_NOPREFIX = 0x800  // draw '&' as it stands; without it "&x" underlines x and "&&" draws '&'
};

// Creates a font with the Win32 meaning of the arguments. The face is chosen by fontconfig from
// faceName (at most LF_FACESIZE bytes read; null or empty: the default sans-serif face), weight
// and italic; a missing family falls back to the closest installed face, a monospace one for a
// monospace family. height > 0 is the cell height (ascent + descent) in pixels, height < 0 the em
// height, 0 a default of 16 pixels; heights beyond 2048 pixels either way are held to 2048.
// width 0 keeps the face's aspect, otherwise it is the average character width wanted.
// escapement (tenths of a degree, counter-clockwise) rotates the text; orientation is taken to
// equal it. underline and strikeOut draw lines through each run of text. quality as the codes
// above; charSet, outPrecision and clipPrecision are not used. Returns null only when no face at
// all can be found or opened. Free it with DeleteObject.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, int italic, int underline,
                 int strikeOut, int charSet, int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                 const char* faceName);

// Selects obj into ctx for text drawing and returns the object selected before (null when none
// was, or when it had been deleted while selected: it is freed now). Selecting null leaves the
// context without a font. Null ctx: returns null, does nothing.
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);

// Frees a font. A font still selected into a context stays usable there until it is replaced or
// the context is deleted; the handle itself must not be used again. Returns false for null.
bool DeleteObject(HGDIOBJ obj);

// Fills tm with the metrics of the font selected into ctx. Returns false, leaving tm unchanged,
// for a null ctx or tm or when no font is selected.
bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm);

// Sets the colour (0xRRGGBB) text is drawn in; returns the previous one. Initially 0 (black).
unsigned SetTextColor(HDC ctx, unsigned colour);

// Sets the background mode (OPAQUE fills each drawn line's box with the background colour before
// drawing it; anything else is TRANSPARENT); returns the previous mode. Initially TRANSPARENT.
int SetBkMode(HDC ctx, int mode);

// Sets the background colour (0xRRGGBB) of OPAQUE mode; returns the previous one. Initially
// 0xFFFFFF (white).
unsigned SetBkColor(HDC ctx, unsigned colour);

// Draws len bytes of UTF-8 text (len < 0: up to the terminator) into rect of ctx with the font
// selected into it and the DT_ flags; other flag bits are ignored. Glyphs are clipped to rect
// unless DT_NOCLIP, and always to the context. With DT_CALCRECT only measures and updates rect.
// Returns the height of the text in pixels (0 for empty text); 0, touching nothing, for a null
// ctx, text or rect or when no font is selected.
int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* rect, unsigned flags);

// One character of a laid-out text: its code point (U+FFFD for an invalid byte sequence) and the
// pen position, in context pixels, where its glyph's origin (on the baseline) is placed.
struct SWELL_CharPlacement
{
  unsigned code;
  int x;
  int y;
};

// Lays text out exactly as SWELL_DrawText(ctx, text, len, rect, flags) would draw it, without
// drawing, and calls place(user, placement) for each character drawn, in order (line feeds and
// '&' prefixes are not reported). Returns what SWELL_DrawText would; rect is updated only with
// DT_CALCRECT, and then no character is reported.
int SWELL_LayoutText(HDC ctx, const char* text, int len, RECT* rect, unsigned flags,
                     void (*place)(void* user, const SWELL_CharPlacement& placement), void* user);

// Restricts face matching, fallback faces included, to the given font files (with the system's
// matching rules), or with count 0 returns to the system's installed fonts. Fonts created before
// keep their faces. Returns false, changing nothing, when a file cannot be used as a face.
bool SWELL_SetFontFiles(const char* const* files, int count);

// Describes the face CreateFont would pick for these arguments as "family:style:file" into
// buf (bufSize bytes, always terminated when bufSize > 0). Returns false when no face is found.
bool SWELL_DescribeFontMatch(const char* faceName, int weight, int italic, int pitchAndFamily, char* buf,
                             int bufSize);
