#include "platform/gdi/swell_glyphcache.h"

#include FT_OUTLINE_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace swell_text
{
namespace
{
// Limits of one instance's cache: a text of many distinct characters (or a hostile one) draws
// through spare storage beyond them instead of growing the cache without bound.
constexpr size_t kMaxCachedGlyphs = 16384;
constexpr size_t kMaxCachedMaskBytes = size_t(8) << 20;

constexpr double kPi = 3.14159265358979323846;

std::map<InstanceKey, FontInstance*>& instances()
{
  static auto* all = new std::map<InstanceKey, FontInstance*>;
  return *all;
}

FT_Fixed fixed(double v) { return FT_Fixed(std::lround(v * 65536.0)); }
} // namespace

bool InstanceKey::operator<(const InstanceKey& o) const
{
  return std::tie(face, x_ppem, y_ppem, escapement, mono, embolden, shear, request) <
         std::tie(o.face, o.x_ppem, o.y_ppem, o.escapement, o.mono, o.embolden, o.shear, o.request);
}

FontInstance* FontInstance::acquire(const InstanceKey& key)
{
  FontInstance*& slot = instances()[key];
  if (!slot)
  {
    auto* made = new FontInstance(key);
    if (!made->m_store || !made->sizeFor(key.face))
    {
      delete made;
      instances().erase(key);
      return nullptr;
    }
    slot = made;
  }
  ++slot->m_references;
  return slot;
}

void FontInstance::release()
{
  if (--m_references > 0) return;
  instances().erase(m_key);
  delete this;
}

FontInstance::FontInstance(const InstanceKey& key) : m_key(key)
{
  // Grey-scale glyphs are hinted vertically only (FreeType's light hinting): stems and x-height
  // snap to whole rows, which keeps small text sharp, while widths keep the face's design. One-bit
  // glyphs need the face's full hinting to stay legible.
  m_load_flags = FT_LOAD_NO_BITMAP | (key.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
  // Emboldening by a twenty-fourth of the em, but at least a whole pixel so that small text shows it.
  if (key.embolden) m_embolden_strength = std::max(64L, long(key.y_ppem) * 64 / 24);
  // Glyph ink stays within about an em of the pen in any direction; twice that, plus the synthetic
  // emboldening and shear, is a safe bound for culling glyphs far outside the clip.
  m_ink_reach = 2 * std::max(key.x_ppem, key.y_ppem) + 4 + int(m_embolden_strength / 32);
}

FontInstance::~FontInstance()
{
  for (auto& s : m_sizes) FT_Done_Size(s.second);
}

FT_Size FontInstance::sizeFor(Face* face)
{
  const auto known = m_sizes.find(face);
  if (known != m_sizes.end()) return known->second;
  FT_Size size = nullptr;
  if (FT_New_Size(face->ft, &size) != 0) return nullptr;
  if (FT_Activate_Size(size) != 0 || FT_Set_Pixel_Sizes(face->ft, FT_UInt(m_key.x_ppem), FT_UInt(m_key.y_ppem)) != 0)
  {
    FT_Done_Size(size);
    return nullptr;
  }
  m_sizes[face] = size;
  return size;
}

bool FontInstance::activate(Face* face, bool transformed)
{
  FT_Size size = sizeFor(face);
  if (!size || FT_Activate_Size(size) != 0) return false;
  if (!transformed)
  {
    FT_Set_Transform(face->ft, nullptr, nullptr);
    return true;
  }
  // Shear for a synthetic italic (x += shear * y), then the rotation, counter-clockwise.
  const double angle = m_key.escapement * kPi / 1800.0, c = std::cos(angle), s = std::sin(angle);
  FT_Matrix m;
  m.xx = fixed(c);
  m.xy = fixed(c * m_key.shear - s);
  m.yx = fixed(s);
  m.yy = fixed(s * m_key.shear + c);
  FT_Set_Transform(face->ft, &m, nullptr);
  return true;
}

bool FontInstance::loadGlyph(const Glyph& g, bool transformed)
{
  if (!activate(g.face, transformed)) return false;
  if (FT_Load_Glyph(g.face->ft, g.index, m_load_flags) != 0) return false;
  FT_GlyphSlot slot = g.face->ft->glyph;
  if (m_embolden_strength && slot->format == FT_GLYPH_FORMAT_OUTLINE)
    FT_Outline_Embolden(&slot->outline, m_embolden_strength);
  return true;
}

void FontInstance::measure(unsigned code, Glyph* g)
{
  g->face = m_key.face;
  g->index = FT_Get_Char_Index(m_key.face->ft, code);
  if (g->index == 0)
  {
    if (Face* other = m_store->fallbackFor(m_key.request, code))
    {
      g->face = other;
      g->index = FT_Get_Char_Index(other->ft, code);
    }
  }
  if (!loadGlyph(*g, false)) return;
  const FT_GlyphSlot slot = g->face->ft->glyph;
  g->advance = int((slot->advance.x + m_embolden_strength + 32) >> 6);
  g->lsb_delta = int(slot->lsb_delta);
  g->rsb_delta = int(slot->rsb_delta);
}

Glyph* FontInstance::lookUp(unsigned code, Glyph* spare)
{
  const auto known = m_glyphs.find(code);
  if (known != m_glyphs.end()) return &known->second;
  const bool room = m_glyphs.size() < kMaxCachedGlyphs;
  Glyph* g = room ? &m_glyphs[code] : spare;
  *g = Glyph();
  g->cached = room;
  measure(code, g);
  if (room && code < 128) m_ascii[code] = g;
  return g;
}

int FontInstance::lookUpKerning(unsigned leftCode, Face* leftFace, unsigned leftIndex, int leftRsbDelta,
                                unsigned rightCode, const Glyph& right)
{
  if (leftCode < 128 && rightCode < 128)
  {
    if (m_ascii_kerning.empty()) m_ascii_kerning.assign(128 * 128, kUnknownKerning);
    int16_t& known = m_ascii_kerning[leftCode * 128 + rightCode];
    if (known == kUnknownKerning) known = int16_t(pairKerning(leftFace, leftIndex, leftRsbDelta, right));
    return known;
  }
  if (leftFace != right.face) return 0;
  const uint64_t key = uint64_t(leftIndex) << 32 | right.index;
  const auto known = m_kerning.find(key);
  if (known != m_kerning.end()) return known->second;
  const int px = pairKerning(leftFace, leftIndex, leftRsbDelta, right);
  if (leftFace == m_key.face && m_kerning.size() < kMaxCachedGlyphs) m_kerning[key] = px;
  return px;
}

int FontInstance::pairKerning(Face* leftFace, unsigned leftIndex, int leftRsbDelta, const Glyph& right)
{
  if (!leftFace || leftFace != right.face) return 0;
  FT_Vector k{0, 0};
  if (FT_HAS_KERNING(leftFace->ft) && leftIndex && right.index && activate(leftFace, false))
    FT_Get_Kerning(leftFace->ft, leftIndex, right.index, FT_KERNING_DEFAULT, &k);
  // Light hinting moves side bearings; the deltas say by how much, so a pair that the hinting
  // pushed apart or together by more than half a pixel gets that pixel back.
  int px = int((k.x + 32) >> 6);
  const int drift = leftRsbDelta - right.lsb_delta;
  if (drift > 32) --px;
  else if (drift < -31) ++px;
  return px;
}

bool FontInstance::render(Glyph* g, GlyphMask* out)
{
  *out = GlyphMask();
  if (!g->face || !loadGlyph(*g, true)) return false;
  FT_GlyphSlot slot = g->face->ft->glyph;
  if (FT_Render_Glyph(slot, m_key.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bm = slot->bitmap;
  out->left = slot->bitmap_left;
  out->top = -slot->bitmap_top;
  if (bm.width == 0 || bm.rows == 0 || !bm.buffer) return true;
  out->width = int(bm.width);
  out->height = int(bm.rows);
  out->coverage.assign(size_t(out->width) * size_t(out->height), 0);
  for (int y = 0; y < out->height; ++y)
  {
    const unsigned char* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = out->coverage.data() + size_t(y) * size_t(out->width);
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
    {
      for (int x = 0; x < out->width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256)
    {
      std::copy(src, src + out->width, dst);
    }
    else
    {
      *out = GlyphMask();
      return false;
    }
  }
  return true;
}

const GlyphMask* FontInstance::mask(Glyph* g, GlyphMask* spare)
{
  if (g->mask) return g->mask.get();
  if (g->cached && m_mask_bytes < kMaxCachedMaskBytes)
  {
    std::unique_ptr<GlyphMask> made(new GlyphMask);
    if (!render(g, made.get())) return nullptr;
    m_mask_bytes += made->coverage.size() + sizeof(GlyphMask);
    ++m_rendered;
    g->mask = std::move(made);
    return g->mask.get();
  }
  return render(g, spare) ? spare : nullptr;
}
} // namespace swell_text
