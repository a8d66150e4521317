#include "rasterizer/lice_png.h"

#include "rasterizer/lice_membitmap.h"

#include <png.h>

#include <dlfcn.h>
#include <strings.h>
#include <unistd.h>

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

LICE_ImageLoaderRec* LICE_ImageLoader_list = nullptr;

namespace {

constexpr int kMaxResourceNameLength = 400;
constexpr size_t kMaxResourcePathBytes = 1536;

struct FileCloser
{
  void operator()(FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

// Bytes still to be handed to libpng from a PNG held in memory.
struct MemoryCursor
{
  const unsigned char* next;
  int left;
};

// Whatever one decode acquires. It lives in the caller's frame, never in the frame that arms
// libpng's long jump, so its destructor also runs when libpng bails out with an error.
class DecodeSession
{
public:
  DecodeSession()
      : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)),
        info(png ? png_create_info_struct(png) : nullptr)
  {
  }

  ~DecodeSession()
  {
    std::free(rows);
    delete created;
    if (png)
      png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }

  DecodeSession(const DecodeSession&) = delete;
  DecodeSession& operator=(const DecodeSession&) = delete;

  bool ready() const { return png && info; }

  png_structp png;
  png_infop info;
  png_bytepp rows = nullptr;
  int width = 0;
  int height = 0;
  LICE_IBitmap* created = nullptr;  // deleted with the session unless handed to the caller
};

void readFromMemory(png_structp png, png_bytep out, size_t n)
{
  auto* cursor = static_cast<MemoryCursor*>(png_get_io_ptr(png));
  std::memset(out, 0, n);
  const size_t take = n < static_cast<size_t>(cursor->left) ? n : static_cast<size_t>(cursor->left);
  std::memcpy(out, cursor->next, take);
  cursor->next += take;
  cursor->left -= static_cast<int>(take);
}

// Asks libpng for four bytes per pixel in the order alpha, red, green, blue, whatever the
// image's colour type and depth.
void requestArgbBytes(png_structp png, png_infop info, int bitDepth, int colourType)
{
  if (colourType == PNG_COLOR_TYPE_PALETTE)
    png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
    png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS))
  {
    png_set_tRNS_to_alpha(png);
    colourType |= PNG_COLOR_MASK_ALPHA;
  }
  if (bitDepth == 16)
    png_set_strip_16(png);
  if (bitDepth < 8)
    png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if (colourType & PNG_COLOR_MASK_ALPHA)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
}

// Every libpng call that can fail long-jumps back here, so no object in this frame has a
// destructor: all that is acquired is recorded in the session and released by its owner.
LICE_IBitmap* decodeRows(DecodeSession& s, LICE_IBitmap* bmp)
{
  if (setjmp(*png_set_longjmp_fn(s.png, longjmp, sizeof(jmp_buf))))
    return nullptr;

  png_read_info(s.png, s.info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(s.png, s.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  if (width > INT_MAX || height > INT_MAX)
    return nullptr;
  requestArgbBytes(s.png, s.info, bitDepth, colourType);

  const int w = static_cast<int>(width), h = static_cast<int>(height);
  LICE_IBitmap* target = bmp;
  if (!target)
  {
    s.created = new (std::nothrow) LICE_MemBitmap(w, h, 4);
    target = s.created;
    if (!target)
      return nullptr;
  }
  else
  {
    target->resize(w, h);
  }
  LICE_pixel* bits = target->getBits();
  if (!bits || target->getWidth() != w || target->getHeight() != h)
    return nullptr;

  s.rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
  if (!s.rows)
    return nullptr;
  s.width = w;
  s.height = h;
  const size_t span = static_cast<size_t>(target->getRowSpan());
  const bool flipped = target->isFlipped();
  for (int i = 0; i < h; ++i)
  {
    const size_t row = static_cast<size_t>(flipped ? h - 1 - i : i);
    s.rows[i] = reinterpret_cast<png_bytep>(bits + row * span);
  }
  png_read_image(s.png, s.rows);
  return target;
}

// libpng leaves each pixel as the bytes alpha, red, green, blue; the native pixel holds those
// four bytes as one integer in that order of significance, i.e. their big-endian reading.
void argbBytesToPixels(png_bytepp rows, int width, int height)
{
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are stored little-endian");
  for (int i = 0; i < height; ++i)
  {
    LICE_pixel* p = reinterpret_cast<LICE_pixel*>(rows[i]);
    for (int x = 0; x < width; ++x)
      p[x] = __builtin_bswap32(p[x]);
  }
}

LICE_IBitmap* finishLoad(DecodeSession& s, LICE_IBitmap* bmp)
{
  LICE_IBitmap* target = decodeRows(s, bmp);
  if (!target)
    return nullptr;
  argbBytesToPixels(s.rows, s.width, s.height);
  s.created = nullptr;
  return target;
}

bool hasPngExtension(const char* name)
{
  const char* tail = nullptr;
  for (const char* p = name; *p; ++p)
    if (*p == '.' || *p == '/' || *p == '\\')
      tail = p;
  return tail && strcasecmp(tail, ".png") == 0;
}

// The file this code was linked into: a shared object as the host loaded it, or the executable.
std::string modulePath()
{
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LICE_LoadPNGFromNamedResource), &info) && info.dli_fname &&
      info.dli_fname[0] == '/')
    return info.dli_fname;
  char resolved[PATH_MAX];
  if (info.dli_fname && info.dli_fname[0] && realpath(info.dli_fname, resolved))
    return resolved;
  const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
  if (n <= 0)
    return std::string();
  return std::string(resolved, static_cast<size_t>(n));
}

LICE_PNGLoader pngLoaderRegistration;

}  // namespace

LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp)
{
  if (!filename)
    return nullptr;
  FileHandle file(std::fopen(filename, "rb"));
  if (!file)
    return nullptr;
  DecodeSession session;
  if (!session.ready())
    return nullptr;
  png_init_io(session.png, file.get());
  return finishLoad(session, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int length, LICE_IBitmap* bmp)
{
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0)
    return nullptr;
  DecodeSession session;
  if (!session.ready())
    return nullptr;
  MemoryCursor cursor{static_cast<const unsigned char*>(data), length};
  png_set_read_fn(session.png, &cursor, readFromMemory);
  return finishLoad(session, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp)
{
  if (!name || std::strlen(name) > static_cast<size_t>(kMaxResourceNameLength))
    return nullptr;
  std::string path = modulePath();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return nullptr;
  path.resize(slash);
  path += "/resources/";
  path += name;
  if (path.size() >= kMaxResourcePathBytes)
    return nullptr;
  return LICE_LoadPNG(path.c_str(), bmp);
}

LICE_IBitmap* LICE_LoadPNGFromResource(void*, const char*, LICE_IBitmap*)
{
  return nullptr;
}

LICE_PNGLoader::LICE_PNGLoader() : rec_{&LICE_PNGLoader::loadfunc, &LICE_PNGLoader::get_extlist, LICE_ImageLoader_list}
{
  LICE_ImageLoader_list = &rec_;
}

LICE_IBitmap* LICE_PNGLoader::loadfunc(const char* filename, bool checkFileName, LICE_IBitmap* bmp)
{
  if (!filename || (checkFileName && !hasPngExtension(filename)))
    return nullptr;
  return LICE_LoadPNG(filename, bmp);
}

const char* LICE_PNGLoader::get_extlist()
{
  return "PNG files (*.PNG)\0*.PNG\0";
}
