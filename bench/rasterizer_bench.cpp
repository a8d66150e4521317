// Our blits and pixman on identical work, measured in one run. Each case has an "ours" and a
// "pixman" benchmark; after the run a summary prints ours / pixman for every case (below 1 means
// we are faster) beside its target, from medians of five interleaved repetitions.

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/median_ratios.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_simd.h"

namespace
{
constexpr int kW = 465;
constexpr int kH = 488;
// 2:1 downscale target: 465 / 233 and 488 / 244 are both close to 2.
constexpr int kHalfW = 233;
constexpr int kHalfH = 244;

// A knob-like image: an opaque disc with an anti-aliased rim and a shaded face, fully
// transparent corners, so that compositing by alpha meets all three kinds of pixel.
LICE_pixel imagePixel(int x, int y)
{
  const double cx = kW / 2.0, cy = kH / 2.0, r = 0.45 * kW;
  const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
  const double cover = std::fmin(1.0, std::fmax(0.0, (r - d) / 12.0));
  const unsigned a = unsigned(std::lround(cover * 255.0));
  return LICE_RGBA(unsigned(x * 255 / kW), unsigned(y * 255 / kH), unsigned((x ^ y) & 255), a);
}

// Straight-alpha pixel to pixman's premultiplied form.
uint32_t premultiplied(LICE_pixel p)
{
  const unsigned a = LICE_GETA(p);
  auto mul = [a](unsigned c) { return (c * a + 127) / 255; };
  return (a << 24) | (mul(LICE_GETR(p)) << 16) | (mul(LICE_GETG(p)) << 8) | mul(LICE_GETB(p));
}

struct Images
{
  LICE_MemBitmap src{kW, kH, 4};
  LICE_MemBitmap dst{kW, kH, 4};
  LICE_MemBitmap half{kHalfW, kHalfH, 4};
  std::vector<uint32_t> psrcPixels, pdstPixels, phalfPixels;
  pixman_image_t* psrc = nullptr;
  pixman_image_t* pdst = nullptr;
  pixman_image_t* phalf = nullptr;

  Images() : psrcPixels(size_t(kW) * kH), pdstPixels(size_t(kW) * kH), phalfPixels(size_t(kHalfW) * kHalfH)
  {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
      {
        const LICE_pixel p = imagePixel(x, y);
        src.getBits()[y * src.getRowSpan() + x] = p;
        dst.getBits()[y * dst.getRowSpan() + x] = 0xFF304050u;
        psrcPixels[size_t(y) * kW + x] = premultiplied(p);
        pdstPixels[size_t(y) * kW + x] = 0xFF304050u;
      }
    psrc = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, psrcPixels.data(), kW * 4);
    pdst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, pdstPixels.data(), kW * 4);
    phalf = pixman_image_create_bits(PIXMAN_a8r8g8b8, kHalfW, kHalfH, phalfPixels.data(), kHalfW * 4);
  }
  ~Images()
  {
    pixman_image_unref(psrc);
    pixman_image_unref(pdst);
    pixman_image_unref(phalf);
  }
};

Images& images()
{
  static Images im;
  return im;
}

void setPixels(benchmark::State& state, int w, int h)
{
  state.SetItemsProcessed(int64_t(state.iterations()) * w * h);
}

// Our loops limited to the baseline instruction set for the scope, as on a processor without AVX2.
class BaselineOnly
{
public:
  BaselineOnly() { LICE_LimitSimd(LICE_SimdLevel::kBaseline); }
  ~BaselineOnly() { LICE_LimitSimd(LICE_SimdLevel::kAvx2); }
  BaselineOnly(const BaselineOnly&) = delete;
  BaselineOnly& operator=(const BaselineOnly&) = delete;
};

void Copy_ours(benchmark::State& state)
{
  Images& im = images();
  for (auto _ : state) LICE_Blit(&im.dst, &im.src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  setPixels(state, kW, kH);
}

void Copy_pixman(benchmark::State& state)
{
  Images& im = images();
  for (auto _ : state) pixman_image_composite32(PIXMAN_OP_SRC, im.psrc, nullptr, im.pdst, 0, 0, 0, 0, 0, 0, kW, kH);
  setPixels(state, kW, kH);
}

void SourceAlpha_ours(benchmark::State& state)
{
  Images& im = images();
  for (auto _ : state) LICE_Blit(&im.dst, &im.src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA);
  setPixels(state, kW, kH);
}

void SourceAlpha_pixman(benchmark::State& state)
{
  Images& im = images();
  for (auto _ : state) pixman_image_composite32(PIXMAN_OP_OVER, im.psrc, nullptr, im.pdst, 0, 0, 0, 0, 0, 0, kW, kH);
  setPixels(state, kW, kH);
}

void HalfFill_ours(benchmark::State& state)
{
  Images& im = images();
  for (auto _ : state) LICE_FillRect(&im.dst, 0, 0, kW, kH, 0xFF80A0C0u, 0.5f, LICE_BLIT_MODE_COPY);
  setPixels(state, kW, kH);
}

void HalfFill_pixman(benchmark::State& state)
{
  Images& im = images();
  // The same colour at half opacity, premultiplied as pixman wants it.
  const pixman_color_t colour{0x4040, 0x5050, 0x6060, 0x8080};
  const pixman_rectangle16_t rect{0, 0, kW, kH};
  for (auto _ : state) pixman_image_fill_rectangles(PIXMAN_OP_OVER, im.pdst, &colour, 1, &rect);
  setPixels(state, kW, kH);
}

void Downscale_ours(benchmark::State& state)
{
  Images& im = images();
  for (auto _ : state)
    LICE_ScaledBlit(&im.half, &im.src, 0, 0, kHalfW, kHalfH, 0, 0, kW, kH, 1.0f, LICE_BLIT_FILTER_BILINEAR);
  setPixels(state, kHalfW, kHalfH);
}

void Downscale_pixman(benchmark::State& state)
{
  Images& im = images();
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(double(kW) / kHalfW), pixman_double_to_fixed(double(kH) / kHalfH));
  pixman_image_set_transform(im.psrc, &t);
  pixman_image_set_filter(im.psrc, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : state)
    pixman_image_composite32(PIXMAN_OP_SRC, im.psrc, nullptr, im.phalf, 0, 0, 0, 0, 0, 0, kHalfW, kHalfH);
  pixman_image_set_transform(im.psrc, nullptr);
  pixman_image_set_filter(im.psrc, PIXMAN_FILTER_NEAREST, nullptr, 0);
  setPixels(state, kHalfW, kHalfH);
}

template <void (*Ours)(benchmark::State&)>
void Baseline(benchmark::State& state)
{
  const BaselineOnly limit;
  Ours(state);
}

BENCHMARK(Copy_ours);
BENCHMARK(Baseline<Copy_ours>)->Name("Copy_ours_baseline");
BENCHMARK(Baseline<SourceAlpha_ours>)->Name("SourceAlpha_ours_baseline");
BENCHMARK(Baseline<HalfFill_ours>)->Name("HalfFill_ours_baseline");
BENCHMARK(Baseline<Downscale_ours>)->Name("Downscale_ours_baseline");
BENCHMARK(Copy_pixman);
BENCHMARK(SourceAlpha_ours);
BENCHMARK(SourceAlpha_pixman);
BENCHMARK(HalfFill_ours);
BENCHMARK(HalfFill_pixman);
BENCHMARK(Downscale_ours);
BENCHMARK(Downscale_pixman);

} // namespace

int main(int argc, char** argv)
{
  MedianRatios ratios;
  if (MedianRatios::RunAll(argc, argv, ratios) != 0) return 1;
  MedianRatios::PrintHeading("Our median CPU time per call over pixman's");
  ratios.PrintRatio("opaque copy", "Copy_ours", "Copy_pixman", "<= 1.0");
  ratios.PrintRatio("composite by the source's own alpha", "SourceAlpha_ours", "SourceAlpha_pixman",
                    "<= 1.0");
  ratios.PrintRatio("solid fill at half opacity", "HalfFill_ours", "HalfFill_pixman", "< 1.0");
  ratios.PrintRatio("2:1 bilinear downscale", "Downscale_ours", "Downscale_pixman", "<= 1.0");
  MedianRatios::PrintHeading("The same with our loops kept to baseline x86-64 (no AVX2)");
  for (const char* kase : {"Copy", "SourceAlpha", "HalfFill", "Downscale"})
  {
    const std::string k = kase;
    ratios.PrintRatio(kase, k + "_ours_baseline", k + "_pixman", "");
  }
  return 0;
}
