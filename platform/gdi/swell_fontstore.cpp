#include "platform/gdi/swell_fontstore.h"

#include <fontconfig/fontconfig.h>
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <new>
#include <tuple>

namespace swell_text
{
namespace
{
// Families that are monospace on the systems they come from. fontconfig knows some of them as
// aliases of "monospace", but not all (Monaco, Menlo), and a family it does not know falls back
// to the default sans-serif face.
const char* const kMonospaceFamilies[] = {"monaco",  "menlo",         "courier", "consolas", "lucida console",
                                          "fixedsys", "terminal",     "andale mono", "lucida sans typewriter",
                                          "inconsolata", "source code pro", "hack"};

bool isMonospaceFamily(const std::string& family)
{
  std::string lower(family);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  if (lower.find("mono") != std::string::npos || lower.find("courier") != std::string::npos) return true;
  for (const char* name : kMonospaceFamilies)
    if (lower == name) return true;
  return false;
}

const char* genericFamilyFor(const FaceRequest& r)
{
  if ((r.pitch_and_family & 3) == 1 || (r.pitch_and_family & 0xF0) == 0x30 || isMonospaceFamily(r.family))
    return "monospace";
  if ((r.pitch_and_family & 0xF0) == 0x10) return "serif";
  return "sans-serif";
}

// The file list faces are matched against; empty for the system's fonts. Lives as long as the
// process, like the lock.
std::vector<std::string>& pinnedFiles()
{
  static auto* files = new std::vector<std::string>;
  return *files;
}

FcConfig* createConfig(const std::vector<std::string>& files)
{
  if (files.empty()) return FcInitLoadConfigAndFonts();
  // The system's matching rules (aliases, synthetic styles), but only the given files as faces.
  FcConfig* config = FcConfigCreate();
  if (!config) return nullptr;
  FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>("/etc/fonts/conf.d"), FcFalse);
  for (const std::string& f : files)
  {
    if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(f.c_str())))
    {
      FcConfigDestroy(config);
      return nullptr;
    }
  }
  return config;
}

std::string patternString(FcPattern* p, const char* object)
{
  FcChar8* s = nullptr;
  return FcPatternGetString(p, object, 0, &s) == FcResultMatch && s ? std::string(reinterpret_cast<char*>(s))
                                                                     : std::string();
}

void readDesignMetrics(Face& face)
{
  FT_Face ft = face.ft;
  face.units_per_em = ft->units_per_EM > 0 ? ft->units_per_EM : 2048;
  face.ascent = ft->ascender;
  face.descent = -ft->descender;
  face.line_gap = std::max(0, ft->height - (ft->ascender - ft->descender));
  face.max_advance = ft->max_advance_width;
  face.average_width = 0;
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)))
  {
    if (os2->usWinAscent + os2->usWinDescent > 0)
    {
      face.ascent = os2->usWinAscent;
      face.descent = os2->usWinDescent;
    }
    face.average_width = os2->xAvgCharWidth;
    if (os2->usWeightClass > 0) face.weight = os2->usWeightClass;
  }
  if (face.ascent + face.descent <= 0)
  {
    face.ascent = face.units_per_em * 4 / 5;
    face.descent = face.units_per_em / 5;
  }
  if (face.average_width <= 0) face.average_width = face.units_per_em / 2;
  if (face.max_advance <= 0) face.max_advance = face.units_per_em;
}
} // namespace

WDL_Mutex& FontLock()
{
  // Never destroyed, since fonts held by other static objects may be deleted after any destructor
  // here has run; and built in the module's own storage rather than on the heap, so that a host
  // that loads and unloads the module again and again loses nothing each time.
  alignas(WDL_Mutex) static unsigned char storage[sizeof(WDL_Mutex)];
  static WDL_Mutex* lock = new (storage) WDL_Mutex;
  return *lock;
}

bool FaceRequest::operator<(const FaceRequest& o) const
{
  return std::tie(family, weight, italic, pitch_and_family) <
         std::tie(o.family, o.weight, o.italic, o.pitch_and_family);
}

// The faces fontconfig sorts behind a request, with the characters each one has.
struct FontStore::FallbackList
{
  FcFontSet* fonts = nullptr;
  std::map<unsigned, Face*> answers;
  ~FallbackList()
  {
    if (fonts) FcFontSetDestroy(fonts);
  }
};

FontStore* FontStore::s_store = nullptr;
int FontStore::s_references = 0;
bool FontStore::s_unloading = false;

// Runs at module unload: frees the store now when nothing holds it, else lets the last
// reference free it (fonts in other static objects may be deleted after this runs).
struct StoreKeeper
{
  ~StoreKeeper()
  {
    WDL_MutexLock lock(&FontLock());
    FontStore::s_unloading = true;
    if (FontStore::s_references == 0)
    {
      delete FontStore::s_store;
      FontStore::s_store = nullptr;
    }
  }
};
StoreKeeper s_keeper;

FontStore::Ref::Ref()
{
  if (!s_store) s_store = new FontStore;
  ++s_references;
  m_store = s_store;
}

FontStore::Ref::~Ref()
{
  if (--s_references == 0 && s_unloading)
  {
    delete s_store;
    s_store = nullptr;
  }
}

FontStore::FontStore()
{
  if (FT_Init_FreeType(&m_library) != 0) m_library = nullptr;
  loadConfig();
}

FontStore::~FontStore()
{
  m_fallbacks.clear();
  for (auto& f : m_faces) FT_Done_Face(f.second->ft);
  m_faces.clear();
  if (m_config) FcConfigDestroy(static_cast<FcConfig*>(m_config));
  if (m_library) FT_Done_FreeType(m_library);
}

void FontStore::loadConfig()
{
  if (m_config) FcConfigDestroy(static_cast<FcConfig*>(m_config));
  m_config = createConfig(pinnedFiles());
  m_fallbacks.clear();
  m_matches.clear();
}

bool FontStore::setFontFiles(const std::vector<std::string>& files)
{
  if (!files.empty())
  {
    FcConfig* trial = createConfig(files);
    if (!trial) return false;
    FcConfigDestroy(trial);
  }
  pinnedFiles() = files;
  if (s_store) s_store->loadConfig();
  return true;
}

void* FontStore::prepared(const FaceRequest& request)
{
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  if (!request.family.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(genericFamilyFor(request)));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(request.weight, 1, 1000)));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(static_cast<FcConfig*>(m_config), pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

bool FontStore::match(const FaceRequest& request, FaceMatch* out)
{
  if (!m_library || !m_config) return false;
  const auto known = m_matches.find(request);
  if (known != m_matches.end())
  {
    *out = known->second;
    return true;
  }
  FcPattern* pattern = static_cast<FcPattern*>(prepared(request));
  if (!pattern) return false;
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(static_cast<FcConfig*>(m_config), pattern, &result);
  FcPatternDestroy(pattern);
  if (!found) return false;

  int index = 0;
  FcPatternGetInteger(found, FC_INDEX, 0, &index);
  Face* face = open(patternString(found, FC_FILE), index);
  FaceMatch m;
  m.face = face;
  FcBool embolden = FcFalse;
  if (FcPatternGetBool(found, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) m.embolden = embolden;
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(found, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) m.oblique_shear = matrix->xy;
  FcPatternDestroy(found);
  if (!face) return false;
  if (m_matches.size() < 1024) m_matches[request] = m;
  *out = m;
  return true;
}

Face* FontStore::fallbackFor(const FaceRequest& request, unsigned code)
{
  if (!m_library || !m_config) return nullptr;
  std::unique_ptr<FallbackList>& list = m_fallbacks[request];
  if (!list)
  {
    list.reset(new FallbackList);
    if (FcPattern* pattern = static_cast<FcPattern*>(prepared(request)))
    {
      FcResult result = FcResultNoMatch;
      list->fonts = FcFontSort(static_cast<FcConfig*>(m_config), pattern, FcTrue, nullptr, &result);
      FcPatternDestroy(pattern);
    }
  }
  const auto known = list->answers.find(code);
  if (known != list->answers.end()) return known->second;

  Face* answer = nullptr;
  for (int i = 0; list->fonts && i < list->fonts->nfont && !answer; ++i)
  {
    FcPattern* font = list->fonts->fonts[i];
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) != FcResultMatch || !FcCharSetHasChar(chars, code))
      continue;
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    Face* face = open(patternString(font, FC_FILE), index);
    if (face && FT_Get_Char_Index(face->ft, code) != 0) answer = face;
  }
  // A text of many distinct missing characters must not grow this without bound.
  if (list->answers.size() < 4096) list->answers[code] = answer;
  return answer;
}

Face* FontStore::open(const std::string& file, int index)
{
  if (file.empty()) return nullptr;
  std::unique_ptr<Face>& slot = m_faces[{file, index}];
  if (slot) return slot->ft ? slot.get() : nullptr;
  slot.reset(new Face);
  FT_Face ft = nullptr;
  if (FT_New_Face(m_library, file.c_str(), index, &ft) != 0 || !FT_IS_SCALABLE(ft))
  {
    if (ft) FT_Done_Face(ft);
    return nullptr;
  }
  FT_Select_Charmap(ft, FT_ENCODING_UNICODE);
  slot->ft = ft;
  slot->file = file;
  slot->index = index;
  slot->family = ft->family_name ? ft->family_name : "";
  slot->style = ft->style_name ? ft->style_name : "";
  readDesignMetrics(*slot);
  return slot.get();
}
} // namespace swell_text
