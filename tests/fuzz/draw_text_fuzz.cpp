// Feeds arbitrary bytes to SWELL_DrawText and SWELL_LayoutText: the first twelve bytes choose a
// font, the flags and the rectangle, the rest is the text (and its claimed length). The context's
// pixels are an exact allocation, so AddressSanitizer sees any write outside them; the text is
// copied into an allocation of exactly its size, so any read past it is seen too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/gdi/swell_font.h"
#include "platform/gdi/swell_memcontext.h"

namespace
{
constexpr int kWidth = 61, kHeight = 37;
constexpr size_t kHeader = 12;

// Made on the first input; freed at exit, so that the font store goes with it before the leak
// checker looks (fontconfig keeps some pointers as offsets, which the checker cannot follow).
struct Fixture
{
  HDC dc = nullptr;
  HFONT fonts[8] = {};
  ~Fixture()
  {
    for (HFONT f : fonts) DeleteObject(f);
    SWELL_DeleteGfxContext(dc);
  }
};

Fixture& fixture()
{
  static Fixture f;
  static const bool ready = [] {
    Fixture& made = f;
    const char* const files[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                 "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"};
    SWELL_SetFontFiles(files, 2);
    made.dc = SWELL_CreateMemContext(nullptr, kWidth, kHeight);
    const struct
    {
      int height, escapement, quality, underline;
      const char* face;
    } kinds[8] = {{10, 0, 0, 0, "Monaco"},     {14, 0, 4, 1, "DejaVu Sans"}, {-24, 900, 0, 0, "DejaVu Sans"},
                  {9, 0, 3, 0, "DejaVu Sans"}, {31, 450, 0, 1, "Monaco"},    {2, 0, 0, 0, "DejaVu Sans"},
                  {17, 1800, 3, 0, "Monaco"},  {60, 2700, 0, 0, "DejaVu Sans"}};
    for (int i = 0; i < 8; ++i)
      made.fonts[i] = CreateFont(kinds[i].height, 0, kinds[i].escapement, 0, i % 2 ? 700 : 400, i % 3 == 0,
                                 kinds[i].underline, i == 4, 0, 0, 0, kinds[i].quality, 0, kinds[i].face);
    return true;
  }();
  (void)ready;
  return f;
}

int16_t coordinate(const uint8_t* p) { return int16_t(uint16_t(p[0]) | uint16_t(p[1]) << 8); }

void countPlacement(void* user, const SWELL_CharPlacement&) { ++*static_cast<size_t*>(user); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < kHeader) return 0;
  Fixture& f = fixture();
  memset(SWELL_GetCtxFrameBuffer(f.dc), 0x5A, size_t(kWidth) * kHeight * 4);
  SelectObject(f.dc, f.fonts[data[0] & 7]);
  SetBkMode(f.dc, data[0] >> 7);
  SetTextColor(f.dc, 0xC08040u * data[1]);
  const unsigned flags = unsigned(data[2]) | unsigned(data[3]) << 8;
  // Rectangles around the context, scaled up now and then to reach far outside it.
  const int scale = data[1] & 1 ? 1 : 1000;
  RECT rect = {coordinate(data + 4) * scale / 256, coordinate(data + 6) * scale / 256,
               coordinate(data + 8) * scale / 256, coordinate(data + 10) * scale / 256};

  const size_t textBytes = size - kHeader;
  std::unique_ptr<char[]> text(new char[textBytes + 1]);
  memcpy(text.get(), data + kHeader, textBytes);
  text[textBytes] = 0;
  // Claimed lengths: the whole text, up to the terminator, and one that claims more than there is.
  const int lengths[] = {int(textBytes), -1, int(textBytes) + 7};
  const int len = lengths[data[1] % 3];

  RECT r = rect;
  SWELL_DrawText(f.dc, text.get(), len, &r, flags);
  r = rect;
  size_t placed = 0;
  SWELL_LayoutText(f.dc, text.get(), len, &r, flags & ~unsigned(DT_CALCRECT), countPlacement, &placed);
  if (placed > textBytes) __builtin_trap(); // at most one character per byte
  SelectObject(f.dc, nullptr);
  return 0;
}
