// Feeds arbitrary bytes to the memory PNG loader, both into a bitmap it creates and into a
// caller's bitmap. Under AddressSanitizer the leak checker also proves that libpng's error
// path releases everything.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_png.h"

namespace {

// Images above this many pixels are refused by the caller's bitmap (as an allocation failure
// would), so a forged header cannot make a single input allocate gigabytes.
constexpr int64_t kMaxPixels = int64_t(1) << 18;

class CappedBitmap : public LICE_MemBitmap
{
public:
  bool resize(int w, int h) override
  {
    if (int64_t(w) * h > kMaxPixels)
      return LICE_MemBitmap::resize(0, 0);
    return LICE_MemBitmap::resize(w, h);
  }
};

int64_t declaredPixels(const uint8_t* data, size_t size)
{
  if (size < 24)
    return 0;
  auto be32 = [data](size_t at) {
    return (uint32_t(data[at]) << 24) | (uint32_t(data[at + 1]) << 16) | (uint32_t(data[at + 2]) << 8) | data[at + 3];
  };
  return int64_t(be32(16)) * be32(20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const int length = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
  if (declaredPixels(data, size) <= kMaxPixels)
    std::unique_ptr<LICE_IBitmap>(LICE_LoadPNGFromMemory(data, length, nullptr));
  CappedBitmap into;
  LICE_LoadPNGFromMemory(data, length, &into);
  return 0;
}
