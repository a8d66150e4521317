// Cost of LICE_LoadPNGFromMemory on a knob-filmstrip-sized RGBA image, against a bare libpng
// decode of the same bytes measured in the same run.
#include <benchmark/benchmark.h>
#include <png.h>

#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "rasterizer/lice_png.h"
#include "tests/rasterizer/png_test_encoder.h"

namespace {

constexpr int kWidth = 465;
constexpr int kHeight = 488;

// Soft shaded discs with antialiased alpha edges, compressing like a rendered control image.
std::vector<uint8_t> MakeImage()
{
  PngTestImage img;
  img.width = kWidth;
  img.height = kHeight;
  img.colourType = 6;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
    {
      const double cx = (x % 93) - 46.0, cy = (y % 61) - 30.0;
      const double d = std::sqrt(cx * cx + cy * cy);
      const double edge = std::fmin(1.0, std::fmax(0.0, 28.0 - d));
      img.rows.insert(img.rows.end(), {uint8_t(120 + cx), uint8_t(110 + cy * 2), uint8_t(200 - d * 3),
                                       uint8_t(edge * 255)});
    }
  return EncodePng(img);
}

struct Cursor
{
  const uint8_t* next;
  size_t left;
};

void ReadCursor(png_structp png, png_bytep out, size_t n)
{
  auto* c = static_cast<Cursor*>(png_get_io_ptr(png));
  const size_t take = n < c->left ? n : c->left;
  std::memcpy(out, c->next, take);
  c->next += take;
  c->left -= take;
}

bool DecodeRgbaRows(png_structp png, png_infop info, png_bytepp rows)
{
  if (setjmp(png_jmpbuf(png)))
    return false;
  png_read_info(png, info);
  png_read_image(png, rows);
  return true;
}

// The reference: libpng alone, decoding into a freshly allocated buffer.
bool BareDecode(const std::vector<uint8_t>& bytes)
{
  std::unique_ptr<uint32_t[]> pixels(new uint32_t[size_t(kWidth) * kHeight]);
  std::vector<png_bytep> rows(kHeight);
  for (int y = 0; y < kHeight; ++y)
    rows[y] = reinterpret_cast<png_bytep>(pixels.get() + size_t(y) * kWidth);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Cursor cursor{bytes.data(), bytes.size()};
  png_set_read_fn(png, &cursor, ReadCursor);
  const bool ok = DecodeRgbaRows(png, info, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  benchmark::DoNotOptimize(pixels.get());
  return ok;
}

void BM_LoadPNG_465x488_VersusBareLibpng(benchmark::State& state)
{
  const std::vector<uint8_t> bytes = MakeImage();
  using Clock = std::chrono::steady_clock;
  Clock::duration loader{}, bare{};
  for (auto _ : state)
  {
    const auto t0 = Clock::now();
    std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromMemory(bytes.data(), int(bytes.size()), nullptr));
    const auto t1 = Clock::now();
    const bool ok = BareDecode(bytes);
    const auto t2 = Clock::now();
    if (!bm || !ok)
    {
      state.SkipWithError("decode failed");
      return;
    }
    loader += t1 - t0;
    bare += t2 - t1;
  }
  const double n = double(state.iterations());
  state.counters["loader_us"] = std::chrono::duration<double, std::micro>(loader).count() / n;
  state.counters["libpng_us"] = std::chrono::duration<double, std::micro>(bare).count() / n;
  state.counters["ratio"] = double(loader.count()) / double(bare.count());
}
BENCHMARK(BM_LoadPNG_465x488_VersusBareLibpng)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
