#include "rasterizer/lice_png.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rasterizer/lice_membitmap.h"
#include "tests/rasterizer/png_test_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using BitmapPtr = std::unique_ptr<LICE_IBitmap>;

LICE_pixel PixelAt(LICE_IBitmap* bm, int x, int y)
{
  const LICE_pixel* row = bm->getBits() + static_cast<ptrdiff_t>(y) * bm->getRowSpan();
  return row[x];
}

BitmapPtr LoadFromMemory(const Bytes& png, LICE_IBitmap* into = nullptr)
{
  LICE_IBitmap* out = LICE_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), into);
  if (into)
  {
    EXPECT_TRUE(out == nullptr || out == into);
    return nullptr;
  }
  return BitmapPtr(out);
}

PngTestImage RgbImage(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
  PngTestImage img;
  img.width = w;
  img.height = h;
  img.colourType = 2;
  for (int i = 0; i < w * h; ++i)
    img.rows.insert(img.rows.end(), {r, g, b});
  return img;
}

std::string TempPath(const std::string& leaf)
{
  return testing::TempDir() + "lice_png_test_" + std::to_string(getpid()) + "_" + leaf;
}

// A bitmap stored bottom-up, to check that image row 0 still lands on bitmap row 0.
class FlippedBitmap : public LICE_IBitmap
{
public:
  LICE_pixel* getBits() override { return pixels_.empty() ? nullptr : pixels_.data(); }
  int getWidth() override { return w_; }
  int getHeight() override { return h_; }
  int getRowSpan() override { return w_; }
  bool isFlipped() override { return true; }
  bool resize(int w, int h) override
  {
    if (w == w_ && h == h_)
      return false;
    w_ = w;
    h_ = h;
    pixels_.assign(static_cast<size_t>(w) * h, 0);
    return true;
  }

private:
  std::vector<LICE_pixel> pixels_;
  int w_ = 0;
  int h_ = 0;
};

// A bitmap whose storage never grows, as after an allocation failure.
class FixedSizeBitmap : public LICE_MemBitmap
{
public:
  FixedSizeBitmap() : LICE_MemBitmap(2, 2) {}
  bool resize(int, int) override { return false; }
};

}  // namespace

// ---- pixel conversion by colour type --------------------------------------------------------

TEST(LICE_LoadPNGFromMemory, OneBitGreyBecomesOpaqueBlackAndWhite)
{
  PngTestImage img;
  img.width = 10;
  img.height = 2;
  img.bitDepth = 1;
  img.colourType = 0;
  // Row 0: 1 0 1 1 0 0 0 1 | 1 0; row 1: the inverse.
  img.rows = {0xB1, 0x80, 0x4E, 0x40};
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  ASSERT_EQ(10, bm->getWidth());
  ASSERT_EQ(2, bm->getHeight());
  const int row0[10] = {1, 0, 1, 1, 0, 0, 0, 1, 1, 0};
  for (int x = 0; x < 10; ++x)
  {
    EXPECT_EQ(row0[x] ? 0xFFFFFFFFu : 0xFF000000u, PixelAt(bm.get(), x, 0)) << x;
    EXPECT_EQ(row0[x] ? 0xFF000000u : 0xFFFFFFFFu, PixelAt(bm.get(), x, 1)) << x;
  }
}

TEST(LICE_LoadPNGFromMemory, TwoBitGreyIsStretchedToFullRange)
{
  PngTestImage img;
  img.width = 4;
  img.height = 1;
  img.bitDepth = 2;
  img.colourType = 0;
  img.rows = {0x1B};  // samples 0, 1, 2, 3
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0xFF000000u, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0xFF555555u, PixelAt(bm.get(), 1, 0));
  EXPECT_EQ(0xFFAAAAAAu, PixelAt(bm.get(), 2, 0));
  EXPECT_EQ(0xFFFFFFFFu, PixelAt(bm.get(), 3, 0));
}

TEST(LICE_LoadPNGFromMemory, RgbPixelBecomesOpaqueNativePixel)
{
  BitmapPtr bm = LoadFromMemory(EncodePng(RgbImage(3, 2, 0x12, 0x34, 0x56)));
  ASSERT_TRUE(bm);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(0xFF123456u, PixelAt(bm.get(), x, y));
}

TEST(LICE_LoadPNGFromMemory, PaletteWithTrnsGivesTransparentEntryZero)
{
  PngTestImage img;
  img.width = 4;
  img.height = 1;
  img.bitDepth = 4;
  img.colourType = 3;
  img.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  img.trns = {0};            // entry 0 transparent, the others opaque by omission
  img.rows = {0x01, 0x21};  // indices 0, 1, 2, 1
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0x000A141Eu, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0xFF28323Cu, PixelAt(bm.get(), 1, 0));
  EXPECT_EQ(0xFF46505Au, PixelAt(bm.get(), 2, 0));
  EXPECT_EQ(0xFF28323Cu, PixelAt(bm.get(), 3, 0));
}

TEST(LICE_LoadPNGFromMemory, PaletteWithoutTrnsIsOpaque)
{
  PngTestImage img;
  img.width = 2;
  img.height = 1;
  img.colourType = 3;
  img.palette = {1, 2, 3, 250, 251, 252};
  img.rows = {1, 0};
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0xFFFAFBFCu, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0xFF010203u, PixelAt(bm.get(), 1, 0));
}

TEST(LICE_LoadPNGFromMemory, SixteenBitRgbaKeepsTheHighByteOfEachSample)
{
  PngTestImage img;
  img.width = 2;
  img.height = 1;
  img.bitDepth = 16;
  img.colourType = 6;
  // Low bytes of 0xFF would round up if the samples were scaled; they must be dropped.
  img.rows = {0x12, 0xFF, 0xAB, 0x01, 0xFE, 0xFF, 0x80, 0x80,  //
              0x00, 0x00, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF};
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0x8012ABFEu, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0xFF00FF7Fu, PixelAt(bm.get(), 1, 0));
}

TEST(LICE_LoadPNGFromMemory, GreyWithAlphaSpreadsGreyOverRedGreenBlue)
{
  PngTestImage img;
  img.width = 2;
  img.height = 1;
  img.colourType = 4;
  img.rows = {0x40, 0x80, 0xC0, 0x00};
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0x80404040u, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0x00C0C0C0u, PixelAt(bm.get(), 1, 0));
}

TEST(LICE_LoadPNGFromMemory, ColourKeyTrnsMakesMatchingPixelsTransparent)
{
  PngTestImage rgb = RgbImage(2, 1, 0, 0, 0);
  rgb.rows = {1, 2, 3, 4, 5, 6};
  rgb.trns = {4, 5, 6};
  BitmapPtr bm = LoadFromMemory(EncodePng(rgb));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0xFF010203u, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0x00040506u, PixelAt(bm.get(), 1, 0));

  PngTestImage grey;
  grey.width = 2;
  grey.height = 1;
  grey.colourType = 0;
  grey.rows = {7, 9};
  grey.trns = {9};
  bm = LoadFromMemory(EncodePng(grey));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0xFF070707u, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(0x00090909u, PixelAt(bm.get(), 1, 0));
}

TEST(LICE_LoadPNGFromMemory, InterlacedImageLoadsEveryPixelInPlace)
{
  PngTestImage img;
  img.width = 11;
  img.height = 9;
  img.colourType = 6;
  img.interlaced = true;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      img.rows.insert(img.rows.end(), {uint8_t(x * 20), uint8_t(y * 25), uint8_t(x + y), uint8_t(255 - x * y)});
  BitmapPtr bm = LoadFromMemory(EncodePng(img));
  ASSERT_TRUE(bm);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      EXPECT_EQ(LICE_RGBA(x * 20, y * 25, x + y, 255 - x * y), PixelAt(bm.get(), x, y)) << x << "," << y;
}

TEST(LICE_LoadPNGFromMemory, NewBitmapRowsAreFourPixelAligned)
{
  BitmapPtr bm = LoadFromMemory(EncodePng(RgbImage(5, 3, 1, 2, 3)));
  ASSERT_TRUE(bm);
  EXPECT_EQ(8, bm->getRowSpan());
}

// ---- target bitmaps ---------------------------------------------------------------------------

TEST(LICE_LoadPNGFromMemory, CallerBitmapIsResizedAndReturned)
{
  LICE_MemBitmap bm(10, 10, 4);
  const Bytes png = EncodePng(RgbImage(20, 5, 0x12, 0x34, 0x56));
  EXPECT_EQ(&bm, LICE_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &bm));
  EXPECT_EQ(20, bm.getWidth());
  EXPECT_EQ(5, bm.getHeight());
  EXPECT_EQ(0xFF123456u, PixelAt(&bm, 19, 4));
}

TEST(LICE_LoadPNGFromMemory, FlippedBitmapGetsImageRowZeroAsItsTopRow)
{
  PngTestImage img = RgbImage(1, 3, 0, 0, 0);
  img.rows = {1, 1, 1, 2, 2, 2, 3, 3, 3};
  FlippedBitmap bm;
  const Bytes png = EncodePng(img);
  ASSERT_EQ(&bm, LICE_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &bm));
  // Stored bottom-up: memory row 2 is the top of the picture.
  EXPECT_EQ(0xFF010101u, bm.getBits()[2]);
  EXPECT_EQ(0xFF020202u, bm.getBits()[1]);
  EXPECT_EQ(0xFF030303u, bm.getBits()[0]);
}

TEST(LICE_LoadPNGFromMemory, BitmapThatCannotTakeTheImageSizeFails)
{
  FixedSizeBitmap bm;
  const Bytes png = EncodePng(RgbImage(3, 3, 1, 2, 3));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &bm));
}

// ---- rejected input ---------------------------------------------------------------------------

TEST(LICE_LoadPNGFromMemory, ShortOrUnsignedDataLeavesBitmapUntouched)
{
  const Bytes png = EncodePng(RgbImage(2, 2, 1, 2, 3));
  LICE_MemBitmap bm(3, 4);
  bm.getBits()[0] = 0xDEADBEEF;
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(png.data(), 7, &bm));
  Bytes wrongSignature(png);
  wrongSignature[1] = 'p';
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(wrongSignature.data(), static_cast<int>(wrongSignature.size()), &bm));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(nullptr, 100, &bm));
  EXPECT_EQ(3, bm.getWidth());
  EXPECT_EQ(4, bm.getHeight());
  EXPECT_EQ(0xDEADBEEFu, bm.getBits()[0]);
}

TEST(LICE_LoadPNGFromMemory, TruncatedImageDataFailsWithoutLeavingABitmap)
{
  PngTestImage img;
  img.width = 64;
  img.height = 64;
  img.colourType = 6;
  uint32_t noise = 12345;  // poorly compressible, so the data spans many bytes
  for (int i = 0; i < 64 * 64 * 4; ++i)
  {
    noise = noise * 1664525u + 1013904223u;
    img.rows.push_back(static_cast<uint8_t>(noise >> 24));
  }
  const Bytes png = EncodePng(img);
  ASSERT_GT(png.size(), 2000u);
  // Cut in the middle of the IDAT data; the leak checker sees a created bitmap left behind.
  for (size_t cut : {png.size() / 2, size_t(60), png.size() - 20})
  {
    EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(png.data(), static_cast<int>(cut), nullptr)) << cut;
    LICE_MemBitmap into(1, 1);
    EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(png.data(), static_cast<int>(cut), &into)) << cut;
  }
}

TEST(LICE_LoadPNGFromMemory, CorruptedChunkChecksumFails)
{
  Bytes png = EncodePng(RgbImage(4, 4, 9, 9, 9));
  // The IHDR chunk's CRC sits at bytes 29..32.
  png[30] ^= 0x55;
  EXPECT_EQ(nullptr, LICE_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr));
}

// ---- files ----------------------------------------------------------------------------------

TEST(LICE_LoadPNG, LoadsFileIntoCallerBitmap)
{
  const std::string path = TempPath("20x5.png");
  ASSERT_TRUE(WriteFileBytes(path, EncodePng(RgbImage(20, 5, 0x12, 0x34, 0x56))));
  LICE_MemBitmap bm(10, 10);
  EXPECT_EQ(&bm, LICE_LoadPNG(path.c_str(), &bm));
  EXPECT_EQ(20, bm.getWidth());
  EXPECT_EQ(5, bm.getHeight());
  EXPECT_EQ(0xFF123456u, PixelAt(&bm, 0, 0));
  BitmapPtr fresh(LICE_LoadPNG(path.c_str()));
  ASSERT_TRUE(fresh);
  EXPECT_EQ(0xFF123456u, PixelAt(fresh.get(), 19, 4));
  unlink(path.c_str());
}

TEST(LICE_LoadPNG, MissingOrTruncatedFileFails)
{
  EXPECT_EQ(nullptr, LICE_LoadPNG(TempPath("does_not_exist.png").c_str()));
  EXPECT_EQ(nullptr, LICE_LoadPNG(nullptr));
  Bytes png = EncodePng(RgbImage(40, 40, 1, 2, 3));
  png.resize(png.size() / 2);
  const std::string path = TempPath("truncated.png");
  ASSERT_TRUE(WriteFileBytes(path, png));
  EXPECT_EQ(nullptr, LICE_LoadPNG(path.c_str()));
  unlink(path.c_str());
}

TEST(LICE_LoadPNGFromNamedResource, LoadsFromResourcesFolderBesideTheModule)
{
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  std::string dir(exe, static_cast<size_t>(n));
  dir.resize(dir.rfind('/'));
  const std::string resources = dir + "/resources";
  mkdir(resources.c_str(), 0755);
  const std::string leaf = "lice_png_test_" + std::to_string(getpid()) + ".png";
  ASSERT_TRUE(WriteFileBytes(resources + "/" + leaf, EncodePng(RgbImage(2, 3, 0x12, 0x34, 0x56))));

  BitmapPtr bm(LICE_LoadPNGFromNamedResource(leaf.c_str()));
  ASSERT_TRUE(bm);
  EXPECT_EQ(2, bm->getWidth());
  EXPECT_EQ(0xFF123456u, PixelAt(bm.get(), 1, 2));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromNamedResource(std::string(401, 'a').c_str()));
  EXPECT_EQ(nullptr, LICE_LoadPNGFromNamedResource(nullptr));
  unlink((resources + "/" + leaf).c_str());
}

TEST(LICE_LoadPNGFromResource, AlwaysFails)
{
  LICE_MemBitmap bm(1, 1);
  EXPECT_EQ(nullptr, LICE_LoadPNGFromResource(nullptr, "101", &bm));
}

// ---- loader registration ----------------------------------------------------------------------

TEST(LICE_PNGLoader, IsRegisteredInTheLoaderList)
{
  bool found = false;
  for (LICE_ImageLoaderRec* rec = LICE_ImageLoader_list; rec; rec = rec->_next)
    found = found || (rec->loadfunc == &LICE_PNGLoader::loadfunc && rec->get_extlist == &LICE_PNGLoader::get_extlist);
  EXPECT_TRUE(found);
}

TEST(LICE_PNGLoader, ExtensionListIsDescriptionThenPatternThenEmpty)
{
  const char* list = LICE_PNGLoader::get_extlist();
  EXPECT_STREQ("PNG files (*.PNG)", list);
  list += std::strlen(list) + 1;
  EXPECT_STREQ("*.PNG", list);
  list += std::strlen(list) + 1;
  EXPECT_STREQ("", list);
}

TEST(LICE_PNGLoader, LoadfuncChecksTheExtensionCaselessly)
{
  const Bytes png = EncodePng(RgbImage(1, 1, 0x12, 0x34, 0x56));
  const std::string mixedCase = TempPath("image.Png");
  const std::string jpeg = TempPath("image.jpg");
  ASSERT_TRUE(WriteFileBytes(mixedCase, png));
  ASSERT_TRUE(WriteFileBytes(jpeg, png));

  BitmapPtr bm(LICE_PNGLoader::loadfunc(mixedCase.c_str(), true, nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(0xFF123456u, PixelAt(bm.get(), 0, 0));
  EXPECT_EQ(nullptr, LICE_PNGLoader::loadfunc(jpeg.c_str(), true, nullptr));
  bm.reset(LICE_PNGLoader::loadfunc(jpeg.c_str(), false, nullptr));
  EXPECT_TRUE(bm);
  // Names whose tail after the last '.', '/' or '\\' is not ".png".
  for (const char* name : {"png", "dir.png/image", "dir.png\\image", "image.png.bak", ".pngx"})
    EXPECT_EQ(nullptr, LICE_PNGLoader::loadfunc(name, true, nullptr)) << name;
  unlink(mixedCase.c_str());
  unlink(jpeg.c_str());
}
