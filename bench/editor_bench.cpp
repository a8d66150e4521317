// Redraw cost of an editor the size of the effect's panel (465 x 488) with a background and eight
// 31-frame filmstrip knobs, through the headless host: a full redraw and the incremental redraw
// of one knob, each against a bare memcpy of the frame measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/IBitmapControl.h"
#include "tests/graphics/EditorTestKit.h"

namespace {

using editor_test::AddImage;
using editor_test::EditorTestPlug;
using editor_test::Picture;

constexpr int kWidth = 465, kHeight = 488, kKnobs = 8, kFrames = 31, kKnobSize = 64;

// A shaded background and a knob strip with soft (partly transparent) edges, like rendered art.
Picture Background()
{
  Picture bg(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) bg.at(x, y) = LICE_RGBA(40 + x % 50, 50 + y % 40, 60 + (x + y) % 30, 255);
  return bg;
}

Picture KnobStrip()
{
  Picture strip(kKnobSize, kKnobSize * kFrames);
  for (int f = 0; f < kFrames; ++f)
    for (int y = 0; y < kKnobSize; ++y)
      for (int x = 0; x < kKnobSize; ++x)
      {
        const double dx = x - 31.5, dy = y - 31.5, d = std::sqrt(dx * dx + dy * dy);
        const double edge = std::fmin(1.0, std::fmax(0.0, 30.0 - d));
        strip.at(x, f * kKnobSize + y) = LICE_RGBA(100 + f * 4, 120 + int(dx), 140 + int(dy), int(edge * 255));
      }
  return strip;
}

struct Panel
{
  EditorTestPlug plug;
  IGraphicsHeadless* editor = new IGraphicsHeadless(&plug, kWidth, kHeight);
  std::vector<IControl*> knobs;

  Panel()
  {
    AddImage(editor, "bg.png", Background());
    AddImage(editor, "knob.png", KnobStrip());
    editor->AttachBackground(1, "bg.png");
    IBitmap knob = editor->LoadIBitmap(2, "knob.png", kFrames);
    for (int i = 0; i < kKnobs; ++i)
    {
      IControl* pKnob = new IBitmapControl(&plug, 20 + (i % 4) * 110, 60 + (i / 4) * 200, -1, &knob);
      editor->AttachControl(pKnob);
      knobs.push_back(pKnob);
    }
    plug.AttachGraphics(editor);
    editor->Tick();
  }
};

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d, double n)
{
  return std::chrono::duration<double, std::micro>(d).count() / n;
}

void BM_EditorRedraw_465x488_VersusFrameMemcpy(benchmark::State& state)
{
  Panel panel;
  std::vector<LICE_pixel> from(size_t(kWidth) * kHeight, 0x12345678u), to(from.size());
  Clock::duration full{}, knob{}, copy{};
  double value = 0.0;
  for (auto _ : state)
  {
    panel.editor->SetAllControlsDirty();
    const auto t0 = Clock::now();
    panel.editor->Tick();
    const auto t1 = Clock::now();
    value = value > 0.5 ? 0.1 : 0.9;
    panel.knobs[5]->SetValueFromPlug(value);
    const auto t2 = Clock::now();
    panel.editor->Tick();
    const auto t3 = Clock::now();
    memcpy(to.data(), from.data(), from.size() * sizeof(LICE_pixel));
    benchmark::ClobberMemory();
    const auto t4 = Clock::now();
    full += t1 - t0;
    knob += t3 - t2;
    copy += t4 - t3;
  }
  const double n = double(state.iterations());
  state.counters["full_us"] = Micros(full, n);
  state.counters["knob_us"] = Micros(knob, n);
  state.counters["memcpy_us"] = Micros(copy, n);
  state.counters["full_ratio"] = double(full.count()) / double(copy.count());
  state.counters["knob_ratio"] = double(knob.count()) / double(copy.count());
}
BENCHMARK(BM_EditorRedraw_465x488_VersusFrameMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
