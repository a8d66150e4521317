#pragma once

// Sized faces and their glyph caches. A FontInstance is one face at one pixel size, rotation and
// rendering quality; every font handle asking for the same is given the same instance, so its
// glyphs are rendered once for all of them. Instances and their caches are used only with
// FontLock held; a rendered mask stays where it is until the instance goes, so a caller may read
// it after leaving the lock as long as it holds the instance.

#include <climits>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gdi/swell_fontstore.h"

namespace swell_text
{
// One glyph's 8-bit coverage, placed relative to the pen position (device pixels, y down).
struct GlyphMask
{
  std::vector<uint8_t> coverage; // width x height, rows width bytes apart
  int width = 0;
  int height = 0;
  int left = 0; // top-left corner of the mask relative to the pen position
  int top = 0;
};

// What the layout knows of one character.
struct Glyph
{
  Face* face = nullptr; // the face that draws it (the instance's, or a fallback)
  unsigned index = 0;   // glyph index in that face (0: the face's missing-glyph box)
  int advance = 0;      // pen advance along the baseline, whole pixels
  int lsb_delta = 0;    // hinting's side-bearing changes (26.6), used to even out spacing
  int rsb_delta = 0;
  std::unique_ptr<GlyphMask> mask; // rendered on first draw
  bool cached = false;              // lives in the instance's cache (else in a caller's spare)
};

// What an instance is: a face at a size, rotation and quality.
struct InstanceKey
{
  FaceRequest request; // for fallback faces
  Face* face = nullptr;
  int x_ppem = 0;
  int y_ppem = 0;
  int escapement = 0; // tenths of a degree, 0..3599
  bool mono = false;
  bool embolden = false;
  double shear = 0;

  bool operator<(const InstanceKey& o) const;
};

class FontInstance
{
public:
  // The shared instance for key, created on first use, with one more reference. Null when the
  // face cannot be sized. Call with FontLock held.
  static FontInstance* acquire(const InstanceKey& key);
  // Gives up a reference; the last one frees the instance and its glyphs. FontLock held.
  void release();

  const InstanceKey& key() const { return m_key; }

  // The glyph of code: the cached one, or spare filled in when the cache is full.
  Glyph* glyph(unsigned code, Glyph* spare)
  {
    if (code < 128 && m_ascii[code]) return m_ascii[code];
    return lookUp(code, spare);
  }
  // Kerning between a glyph (face, index and right side-bearing delta of the left one) and the
  // glyph that follows it, whole pixels along the baseline. Codes below 128 are looked up by
  // index once known.
  int kerning(unsigned leftCode, Face* leftFace, unsigned leftIndex, int leftRsbDelta, unsigned rightCode,
              const Glyph& right)
  {
    if (leftCode < 128 && rightCode < 128 && !m_ascii_kerning.empty())
    {
      const int16_t known = m_ascii_kerning[leftCode * 128 + rightCode];
      if (known != kUnknownKerning) return known;
    }
    return lookUpKerning(leftCode, leftFace, leftIndex, leftRsbDelta, rightCode, right);
  }
  // The rendered mask of glyph g (rendered now when needed); kept in g when the cache has room,
  // else rendered into spare. Null when the glyph cannot be rendered.
  const GlyphMask* mask(Glyph* g, GlyphMask* spare);

  // How far a glyph's ink can reach from its pen position, in pixels, in any direction.
  int inkReach() const { return m_ink_reach; }
  // Number of rendered glyphs kept (for tests of the cache).
  size_t renderedCount() const { return m_rendered; }

private:
  explicit FontInstance(const InstanceKey& key);
  ~FontInstance();
  FT_Size sizeFor(Face* face);
  bool activate(Face* face, bool transformed);
  bool loadGlyph(const Glyph& g, bool transformed);
  // Kerning of a pair not yet asked for; real kerning stays far within int16 at the sizes allowed.
  static constexpr int16_t kUnknownKerning = INT16_MIN;

  Glyph* lookUp(unsigned code, Glyph* spare);
  int lookUpKerning(unsigned leftCode, Face* leftFace, unsigned leftIndex, int leftRsbDelta, unsigned rightCode,
                    const Glyph& right);
  void measure(unsigned code, Glyph* g);
  int pairKerning(Face* leftFace, unsigned leftIndex, int leftRsbDelta, const Glyph& right);
  bool render(Glyph* g, GlyphMask* out);

  InstanceKey m_key;
  FontStore::Ref m_store;
  int m_references = 0;
  int m_ink_reach = 0;
  int m_load_flags = 0;
  long m_embolden_strength = 0; // 26.6
  std::unordered_map<Face*, FT_Size> m_sizes;
  std::unordered_map<unsigned, Glyph> m_glyphs;
  // Fast paths for the common case: glyphs and kerning of codes below 128 by direct index.
  Glyph* m_ascii[128] = {};
  std::vector<int16_t> m_ascii_kerning; // 128 x 128, kUnknownKerning until asked
  std::unordered_map<uint64_t, int> m_kerning;
  size_t m_mask_bytes = 0;
  size_t m_rendered = 0;
};
} // namespace swell_text
