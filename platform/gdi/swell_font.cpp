#include "platform/gdi/swell_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/swell_fontobject.h"

using namespace swell_text;

namespace
{
// Height of a font created with height 0, and the largest height honoured either way.
constexpr int kDefaultCellHeight = 16;
constexpr int kMaxHeight = 2048;

int scaled(int64_t units, int64_t pixels, int64_t unitsPerEm)
{
  return int((units * pixels + unitsPerEm / 2) / unitsPerEm);
}

FaceRequest requestFor(const char* faceName, int weight, int italic, int pitchAndFamily)
{
  FaceRequest r;
  if (faceName) r.family.assign(faceName, strnlen(faceName, LF_FACESIZE));
  r.weight = weight <= 0 ? FW_NORMAL : std::min(weight, 1000);
  r.italic = italic != 0;
  r.pitch_and_family = pitchAndFamily & 0xFF;
  return r;
}
} // namespace

FontObject::~FontObject()
{
  WDL_MutexLock lock(&FontLock());
  if (instance) instance->release();
}

HFONT CreateFont(int height, int width, int escapement, int, int weight, int italic, int underline, int strikeOut,
                 int, int, int, int quality, int pitchAndFamily, const char* faceName)
{
  const FaceRequest request = requestFor(faceName, weight, italic, pitchAndFamily);
  WDL_MutexLock lock(&FontLock());
  FontStore::Ref store;
  FaceMatch match;
  if (!store || !store->match(request, &match)) return nullptr;
  const Face& face = *match.face;

  auto* font = new FontObject;
  TEXTMETRIC& tm = font->metrics;
  const int64_t cell = int64_t(face.ascent) + face.descent, upem = face.units_per_em;
  int em;
  if (height == 0) height = kDefaultCellHeight;
  if (height > 0)
  {
    height = std::min(height, kMaxHeight);
    em = std::max(1, scaled(upem, height, cell));
    tm.tmHeight = height;
    tm.tmAscent = scaled(face.ascent, height, cell);
    tm.tmDescent = height - tm.tmAscent;
  }
  else
  {
    em = height < -kMaxHeight ? kMaxHeight : -height;
    tm.tmAscent = scaled(face.ascent, em, upem);
    tm.tmDescent = scaled(face.descent, em, upem);
    tm.tmHeight = std::max(1, tm.tmAscent + tm.tmDescent);
  }
  int xEm = em;
  if (width != 0)
  {
    const int64_t wanted = std::min<int64_t>(std::abs(int64_t(width)), kMaxHeight);
    xEm = int(std::clamp<int64_t>((wanted * upem + face.average_width / 2) / face.average_width, 1, kMaxHeight));
  }
  tm.tmInternalLeading = tm.tmHeight - em;
  tm.tmExternalLeading = scaled(face.line_gap, em, upem);
  tm.tmAveCharWidth = std::max(1, scaled(face.average_width, xEm, upem));
  tm.tmMaxCharWidth = std::max(1, scaled(face.max_advance, xEm, upem));
  tm.tmWeight = match.embolden ? std::max(request.weight, face.weight) : face.weight;

  const FT_Face ft = face.ft;
  font->underline = underline != 0;
  font->strike_out = strikeOut != 0;
  font->line_thickness = std::max(1, scaled(ft->underline_thickness, em, upem));
  font->underline_offset = std::max(1, scaled(-ft->underline_position, em, upem));
  font->strike_offset = std::max(1, scaled(upem * 3 / 10, em, upem));

  InstanceKey key;
  key.request = request;
  key.face = match.face;
  key.x_ppem = xEm;
  key.y_ppem = em;
  key.escapement = ((escapement % 3600) + 3600) % 3600;
  key.mono = quality == NONANTIALIASED_QUALITY;
  key.embolden = match.embolden;
  key.shear = match.oblique_shear;
  font->instance = FontInstance::acquire(key);
  if (!font->instance)
  {
    delete font;
    return nullptr;
  }
  return font;
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj)
{
  if (!ctx) return nullptr;
  HGDIOBJ previous = ctx->font.get();
  // A font deleted while selected goes with this deselection; its handle is not handed back.
  if (previous && previous->deleted) previous = nullptr;
  ctx->font.reset(obj);
  return previous;
}

bool DeleteObject(HGDIOBJ obj)
{
  if (!obj || obj->deleted.exchange(true)) return false;
  obj->dropReference();
  return true;
}

bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm)
{
  const FontObject* font = SelectedFont(ctx);
  if (!font || !tm) return false;
  *tm = font->metrics;
  return true;
}

unsigned SetTextColor(HDC ctx, unsigned colour)
{
  if (!ctx) return 0;
  const unsigned previous = ctx->text_colour;
  ctx->text_colour = colour & 0xFFFFFF;
  return previous;
}

int SetBkMode(HDC ctx, int mode)
{
  if (!ctx) return 0;
  const int previous = ctx->background_mode;
  ctx->background_mode = mode == OPAQUE ? OPAQUE : TRANSPARENT;
  return previous;
}

unsigned SetBkColor(HDC ctx, unsigned colour)
{
  if (!ctx) return 0;
  const unsigned previous = ctx->background_colour;
  ctx->background_colour = colour & 0xFFFFFF;
  return previous;
}

bool SWELL_SetFontFiles(const char* const* files, int count)
{
  if (count > 0 && !files) return false;
  std::vector<std::string> list;
  for (int i = 0; i < count; ++i)
  {
    if (!files[i]) return false;
    list.emplace_back(files[i]);
  }
  WDL_MutexLock lock(&FontLock());
  return FontStore::setFontFiles(list);
}

bool SWELL_DescribeFontMatch(const char* faceName, int weight, int italic, int pitchAndFamily, char* buf, int bufSize)
{
  if (buf && bufSize > 0) buf[0] = 0;
  const FaceRequest request = requestFor(faceName, weight, italic, pitchAndFamily);
  WDL_MutexLock lock(&FontLock());
  FontStore::Ref store;
  FaceMatch match;
  if (!store || !store->match(request, &match)) return false;
  const std::string text = match.face->family + ":" + match.face->style + ":" + match.face->file;
  if (buf && bufSize > 0)
  {
    const size_t n = std::min(text.size(), size_t(bufSize - 1));
    memcpy(buf, text.data(), n);
    buf[n] = 0;
  }
  return true;
}
