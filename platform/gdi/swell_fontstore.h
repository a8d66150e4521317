#pragma once

// The module's font faces: one FreeType library, the fontconfig configuration faces are matched
// against, and the faces opened so far, all under one module-wide lock (FontLock).
//
// FreeType's FT_Library and FT_Face objects are not safe to use from two threads at once, and a
// face's active size and transform are per face, not per call. Several editors may draw on their
// own host threads, so every FreeType and fontconfig call of the module is made with FontLock
// held. Glyphs are rendered once and cached (swell_glyphcache.h), so the lock is held only while
// a text is laid out and its missing glyphs are rendered, not while pixels are blended.
//
// The store is created by the first FontStore::Ref and then kept while the module is loaded, so
// that fonts created and deleted one after another do not reload fontconfig's configuration and
// reopen faces each time. When the module is unloaded it is torn down (library closed, faces
// freed) as soon as the last reference goes, whichever of the two comes last, so an unloaded
// module leaves nothing of FreeType behind.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "containers/WDL_Mutex.h"

namespace swell_text
{
// The lock every FreeType, fontconfig and glyph-cache access is made under. It is never
// destroyed, so fonts freed by other modules' static destructors at unload can still take it.
WDL_Mutex& FontLock();

// What a caller asks a face for.
struct FaceRequest
{
  std::string family; // empty: the default sans-serif face
  int weight = 400;   // 1..1000, 400 normal, 700 bold
  bool italic = false;
  int pitch_and_family = 0;

  bool operator<(const FaceRequest& o) const;
};

// An opened face: a font file (and face index in it) with its FreeType face. Owned by the store.
struct Face
{
  FT_Face ft = nullptr;
  std::string file;
  int index = 0;
  std::string family;
  std::string style;
  // Design metrics in font units, read once.
  int units_per_em = 0;
  int ascent = 0;  // cell ascent (Windows metrics when the face has them)
  int descent = 0; // cell descent, positive
  int line_gap = 0;
  int average_width = 0;
  int max_advance = 0;
  int weight = 400;
};

// A matched face with the synthetic styles fontconfig asks for.
struct FaceMatch
{
  Face* face = nullptr;
  bool embolden = false;     // the face is lighter than asked: thicken the outlines
  double oblique_shear = 0;  // the face is upright but italic was asked: shear by this (x += shear * y)
};

class FontStore
{
public:
  // A counted reference to the one store; the store is created on first use. Take and drop
  // references with FontLock held.
  class Ref
  {
  public:
    Ref();
    ~Ref();
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    FontStore* operator->() const { return m_store; }
    // False when FreeType could not be started.
    explicit operator bool() const { return m_store && m_store->m_library; }

  private:
    FontStore* m_store;
  };

  // Finds the face for a request through fontconfig and opens it (once per request; later
  // calls get the same answer). False when none can be had.
  bool match(const FaceRequest& request, FaceMatch* out);
  // The first face of the request's fallback list (fontconfig's sort order) that has the
  // character, or null. Answers are remembered per request and character.
  Face* fallbackFor(const FaceRequest& request, unsigned code);
  FT_Library library() const { return m_library; }

  // Replaces the set of faces matched against (empty: the system's fonts). False, changing
  // nothing, when a file is not a usable face. Valid with or without a live store.
  static bool setFontFiles(const std::vector<std::string>& files);

private:
  struct FallbackList;

  FontStore();
  ~FontStore();
  Face* open(const std::string& file, int index);
  void* prepared(const FaceRequest& request); // FcPattern*, after substitution
  void loadConfig();

  friend struct StoreKeeper;
  static FontStore* s_store;
  static int s_references;
  static bool s_unloading;

  FT_Library m_library = nullptr;
  void* m_config = nullptr; // FcConfig*
  std::map<std::pair<std::string, int>, std::unique_ptr<Face>> m_faces;
  std::map<FaceRequest, std::unique_ptr<FallbackList>> m_fallbacks;
  std::map<FaceRequest, FaceMatch> m_matches; // fontconfig's answers, asked once per request
};
} // namespace swell_text
