// Drawing and measuring a 24-character label with a cached font, each iteration timed against
// cairo drawing the same label with the same face (DejaVu Sans, from its file) at the same size
// into an image surface of the same size. Counters: our draw, cairo's, our measure (microseconds
// per label), and the ratios draw / cairo (below 1: faster than cairo) and draw / measure.
#include <benchmark/benchmark.h>

#include <cairo-ft.h>
#include <cairo.h>

#include <chrono>
#include <ctime>

#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_sysbitmap.h"

namespace
{
const char* const kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kLabel = "Low shelf 120 Hz +3.5 dB";
constexpr int kWidth = 320, kHeight = 40;
constexpr int kBatch = 16;

struct Cairo
{
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;

  Cairo(double em)
  {
    FT_Init_FreeType(&library);
    FT_New_Face(library, kFace, 0, &face);
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cr = cairo_create(surface);
    cairo_font_face_t* ff = cairo_ft_font_face_create_for_ft_face(face, 0);
    cairo_set_font_face(cr, ff);
    cairo_font_face_destroy(ff);
    cairo_set_font_size(cr, em);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_source_rgb(cr, 0.1, 0.15, 0.2);
  }
  ~Cairo()
  {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
  void draw()
  {
    cairo_move_to(cr, 4, kHeight / 2 + 4);
    cairo_show_text(cr, kLabel);
    cairo_surface_flush(surface);
  }
};

void BM_Label(benchmark::State& state, int flags)
{
  const char* const files[] = {kFace};
  SWELL_SetFontFiles(files, 1);
  const int height = int(state.range(0));
  LICE_CachedFont font;
  font.SetFromHFont(CreateFont(height, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, "DejaVu Sans"), flags);
  font.SetTextColor(0xFF1A2633);
  TEXTMETRIC tm;
  {
    LICE_SysBitmap probe(4, 4);
    HGDIOBJ old = SelectObject(probe.getDC(), font.GetHFont());
    GetTextMetrics(probe.getDC(), &tm);
    SelectObject(probe.getDC(), old);
  }
  Cairo cairo(tm.tmHeight - tm.tmInternalLeading);
  LICE_SysBitmap bm(kWidth, kHeight);
  LICE_Clear(&bm, 0xFFF0F0F0);
  RECT r = {4, 0, kWidth - 4, kHeight};
  font.DrawText(&bm, kLabel, -1, &r, DT_VCENTER); // the first draw renders the glyphs
  cairo.draw();

  // Batches timed by the thread's CPU clock, so that other work on a busy machine is not counted
  // against either side.
  const auto now = [] {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::nanoseconds(int64_t(t.tv_sec) * 1000000000 + t.tv_nsec);
  };
  std::chrono::nanoseconds draw{}, reference{}, measure{};
  for (auto _ : state)
  {
    const auto t0 = now();
    for (int i = 0; i < kBatch; ++i)
    {
      RECT d = r;
      font.DrawText(&bm, kLabel, -1, &d, DT_VCENTER);
    }
    const auto t1 = now();
    for (int i = 0; i < kBatch; ++i) cairo.draw();
    const auto t2 = now();
    for (int i = 0; i < kBatch; ++i)
    {
      RECT m = {0, 0, 0, 0};
      font.DrawText(nullptr, kLabel, -1, &m, DT_CALCRECT);
      benchmark::DoNotOptimize(m);
    }
    const auto t3 = now();
    draw += t1 - t0;
    reference += t2 - t1;
    measure += t3 - t2;
  }
  const double n = double(state.iterations()) * kBatch;
  state.counters["draw_us"] = std::chrono::duration<double, std::micro>(draw).count() / n;
  state.counters["cairo_us"] = std::chrono::duration<double, std::micro>(reference).count() / n;
  state.counters["measure_us"] = std::chrono::duration<double, std::micro>(measure).count() / n;
  state.counters["draw_vs_cairo"] = double(draw.count()) / double(reference.count());
  state.counters["draw_vs_measure"] = double(draw.count()) / double(measure.count());
}

// As the editor draws: native path into the bitmap's drawing context.
void BM_CachedLabelNative_VersusCairo(benchmark::State& state) { BM_Label(state, 0x600); }
// The glyph-cache path: masks drawn by the rasteriser's blend loops.
void BM_CachedLabelGlyphs_VersusCairo(benchmark::State& state) { BM_Label(state, LICE_FONT_FLAG_OWNS_HFONT); }

BENCHMARK(BM_CachedLabelNative_VersusCairo)->Arg(10)->Arg(14)->Arg(24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CachedLabelGlyphs_VersusCairo)->Arg(10)->Arg(14)->Arg(24)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
