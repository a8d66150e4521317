// The X11 editor host under a virtual X server this benchmark starts itself (Xvfb): an editor the
// size of the effect's panel (465 x 488, a background and eight filmstrip knobs) in a window of
// its own. Measured: one full-window paint (every control drawn, then copied to the window through
// MIT-SHM and waited for), the copy alone, and an idle call with nothing dirty, each against a bare
// memcpy of the frame in the same run; and the CPU an idle editor takes at 30 idle calls a second,
// as a share of one core.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "graphics/IBitmapControl.h"
#include "platform/resources/EmbeddedResources.h"
#include "platform/x11/IGraphicsX11.h"
#include "tests/graphics/EditorTestKit.h"
#include "tests/x11/XvfbServer.h"

// After the test kit's headers, whose names Xlib's macros would clash with.
#include <X11/Xlib.h>

namespace {

using editor_test::EditorTestPlug;
using editor_test::Picture;

constexpr int kWidth = 465, kHeight = 488, kKnobs = 8, kFrames = 31, kKnobSize = 64;

struct Images
{
  std::vector<unsigned char> background = editor_test::EncodePNG(editor_test::MakeFilmstrip(kWidth, kHeight, 1, false, 1));
  std::vector<unsigned char> knob = editor_test::EncodePNG(editor_test::MakeFilmstrip(kKnobSize, kKnobSize, kFrames, false, 2));
  EmbeddedResource entries[2] = {{"bg.png", background.data(), background.size()},
                                 {"knob.png", knob.data(), knob.size()}};
  EmbeddedResourceTable table = {entries, 2};
};

// The editor open in a top-level window on the benchmark's server.
struct OpenEditor
{
  Images images;
  EditorTestPlug plug;
  IGraphicsX11* editor = new IGraphicsX11(&plug, kWidth, kHeight, 30);
  Display* display = nullptr;
  Window window = 0;
  bool open = false;

  OpenEditor()
  {
    editor->SetResources(&images.table);
    editor->AttachBackground(1, "bg.png");
    IBitmap knob = editor->LoadIBitmap(2, "knob.png", kFrames);
    for (int i = 0; i < kKnobs; ++i)
      editor->AttachControl(new IBitmapControl(&plug, 20 + (i % 4) * 110, 60 + (i / 4) * 200, -1, &knob));
    plug.AttachGraphics(editor);

    display = XOpenDisplay(nullptr);
    if (!display) return;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, 0, 0);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    open = editor->OpenWindow(reinterpret_cast<void*>(static_cast<uintptr_t>(window))) != nullptr;
    // The first paint.
    for (int i = 0; i < 3; ++i)
    {
      editor->Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
  }
  ~OpenEditor()
  {
    editor->CloseWindow();
    if (display) XCloseDisplay(display);
  }
};

// One editor for every benchmark of the run, on one server.
OpenEditor* Shared()
{
  // The server first, so that it outlives the editor at exit.
  if (!x11_test::XvfbServer::Shared()) return nullptr;
  static const std::unique_ptr<OpenEditor> editor = std::make_unique<OpenEditor>();
  return editor->open ? editor.get() : nullptr;
}

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d, double n)
{
  return std::chrono::duration<double, std::micro>(d).count() / n;
}

// The time of copying one frame with memcpy, the reference every ratio is taken against.
struct FrameCopy
{
  std::vector<LICE_pixel> from = std::vector<LICE_pixel>(size_t(kWidth) * kHeight, 0x12345678u);
  std::vector<LICE_pixel> to = std::vector<LICE_pixel>(from.size());
  Clock::duration Run()
  {
    const auto t0 = Clock::now();
    memcpy(to.data(), from.data(), from.size() * sizeof(LICE_pixel));
    benchmark::ClobberMemory();
    return Clock::now() - t0;
  }
};

void BM_X11FullPaint_465x488_VersusFrameMemcpy(benchmark::State& state)
{
  OpenEditor* pOpen = Shared();
  if (!pOpen)
  {
    state.SkipWithError("no X server or no editor window");
    return;
  }
  IGraphicsX11* editor = pOpen->editor;
  FrameCopy copy;
  Clock::duration paint{}, put{}, reference{};
  IRECT whole(0, 0, kWidth, kHeight);
  for (auto _ : state)
  {
    editor->SetAllControlsDirty();
    const auto t0 = Clock::now();
    IRECT dirty;
    if (editor->IsDirty(&dirty)) editor->Draw(&dirty);
    const auto t1 = Clock::now();
    editor->DrawScreen(&whole);
    const auto t2 = Clock::now();
    reference += copy.Run();
    paint += t1 - t0;
    put += t2 - t1;
  }
  const double n = double(state.iterations());
  state.counters["paint_us"] = Micros(paint, n);
  state.counters["put_us"] = Micros(put, n);
  state.counters["memcpy_us"] = Micros(reference, n);
  state.counters["paint_ratio"] = double(paint.count()) / double(reference.count());
  state.counters["put_ratio"] = double(put.count()) / double(reference.count());
}
BENCHMARK(BM_X11FullPaint_465x488_VersusFrameMemcpy)->Unit(benchmark::kMicrosecond);

void BM_X11IdleCall_NothingDirty_VersusFrameMemcpy(benchmark::State& state)
{
  OpenEditor* pOpen = Shared();
  if (!pOpen)
  {
    state.SkipWithError("no X server or no editor window");
    return;
  }
  IGraphicsX11* editor = pOpen->editor;
  FrameCopy copy;
  Clock::duration idle{}, reference{};
  for (auto _ : state)
  {
    const auto t0 = Clock::now();
    editor->Idle();
    idle += Clock::now() - t0;
    reference += copy.Run();
  }
  const double n = double(state.iterations());
  state.counters["idle_us"] = Micros(idle, n);
  state.counters["memcpy_us"] = Micros(reference, n);
  state.counters["idle_ratio"] = double(idle.count()) / double(reference.count());
}
BENCHMARK(BM_X11IdleCall_NothingDirty_VersusFrameMemcpy)->Unit(benchmark::kMicrosecond);

double ProcessCpuSeconds()
{
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Idle calls at 30 a second for three seconds, as a host makes them, each running the redraw
// timer with nothing dirty: the process's CPU time over the wall time is the share of one core.
void BM_X11IdleEditorAt30Hz_ShareOfOneCore(benchmark::State& state)
{
  OpenEditor* pOpen = Shared();
  if (!pOpen)
  {
    state.SkipWithError("no X server or no editor window");
    return;
  }
  IGraphicsX11* editor = pOpen->editor;
  constexpr int kCalls = 90;
  double share = 0.0;
  unsigned long ticks = 0;
  for (auto _ : state)
  {
    const unsigned long ticksBefore = editor->TimerTicks();
    const auto start = Clock::now();
    const double cpuStart = ProcessCpuSeconds();
    for (int i = 1; i <= kCalls; ++i)
    {
      editor->Idle();
      std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000 / 30));
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    share = cpu / wall;
    ticks = editor->TimerTicks() - ticksBefore;
  }
  state.counters["cpu_percent_of_core"] = share * 100.0;
  state.counters["timer_ticks"] = double(ticks);
}
BENCHMARK(BM_X11IdleEditorAt30Hz_ShareOfOneCore)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
