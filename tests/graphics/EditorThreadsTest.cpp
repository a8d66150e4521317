// A host processing audio and automating parameters on two threads of its own while the editor
// draws and takes input on a third: built with ThreadSanitizer this finds any data race between
// them; in every build it checks that no change is lost, as the editor ends up showing every
// parameter's last value.

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "graphics/IBitmapControl.h"
#include "tests/graphics/EditorTestKit.h"
#include "tests/vst2/TestHost.h"

namespace editor_test {
namespace {

using kestrune_test::AudioBuffers;
using kestrune_test::TestHost;

constexpr int kFrames = 9;
constexpr LICE_pixel kBackground = 0xFF283038u;

class EditorThreads : public ::testing::Test
{
protected:
  void SetUp() override
  {
    host.UseEntryPoint(EditorVSTPlugEntry);
    AEffect* pEffect = host.Create();
    ASSERT_NE(pEffect, nullptr);
    host.Start(44100.0f, 256);
    pPlug = static_cast<EditorVSTPlug*>(pEffect->object);
    editor = pPlug->Editor();
    AddImage(editor, "threads-bg.png", Picture(200, 100, kBackground));
    AddImage(editor, "threads-knob.png", strip);
    editor->AttachBackground(NextBitmapId(), "threads-bg.png");
    IBitmap knob = editor->LoadIBitmap(NextBitmapId(), "threads-knob.png", kFrames);
    for (int i = 0; i < kNumTestParams; ++i)
      editor->AttachControl(new IBitmapControl(pPlug, KnobX(i), 40, i, &knob));
    pPlug->RedrawParamControls();
    editor->Tick();
  }

  static int KnobX(int paramIdx) { return 5 + 38 * paramIdx; }

  // Runs processing and automation on two threads while this thread ticks the editor (and, with
  // input, drags and turns the knobs), until both threads are done. Returns the value each
  // parameter was last sent by the automation thread.
  std::vector<float> Run(bool withInput, unsigned seed)
  {
    std::atomic<int> running{2};
    std::vector<float> last(kNumTestParams, -1.0f);
    std::thread audio([&] {
      AudioBuffers<float> in(2, 256, 0.5f), out(2, 256);
      for (int block = 0; block < 300; ++block) host.ProcessReplacing(in.Pointers(), out.Pointers(), 256);
      --running;
    });
    std::thread automation([&] {
      std::mt19937 rng(seed);
      std::uniform_int_distribution<int> param(0, kNumTestParams - 1);
      std::uniform_real_distribution<float> value(0.0f, 1.0f);
      for (int i = 0; i < 3000; ++i)
      {
        const int idx = param(rng);
        last[idx] = value(rng);
        host.SetParameter(idx, last[idx]);
      }
      --running;
    });
    std::mt19937 rng(seed + 1);
    std::uniform_int_distribution<int> knob(0, kNumTestParams - 1), step(-3, 3);
    IMouseMod left(true);
    while (running > 0)
    {
      if (withInput)
      {
        const int x = KnobX(knob(rng)) + 5;
        editor->OnMouseDown(x, 45, &left);
        editor->OnMouseWheel(x, 45, &left, step(rng));
        editor->OnMouseUp(x, 45, &left);
        // A double click sets the knob back to its default value through the plug-in.
        editor->OnMouseDblClick(x, 45, &left);
      }
      editor->Tick();
    }
    audio.join();
    automation.join();
    return last;
  }

  const Picture strip = MakeFilmstrip(30, 30, kFrames, false, 40);
  TestHost host;
  EditorVSTPlug* pPlug = nullptr;
  IGraphicsHeadless* editor = nullptr;
};

TEST_F(EditorThreads, ProcessingAndAutomationRaceNothingWhileTheEditorDrawsAndTakesInput)
{
  Run(true, 5);
  const std::vector<float> last = Run(false, 6);

  // Two timer ticks later the frame shows every parameter's last value.
  editor->Tick();
  editor->Tick();
  Picture expected(200, 100, kBackground);
  for (int i = 0; i < kNumTestParams; ++i)
  {
    ASSERT_GE(last[i], 0.0f) << "parameter " << i << " was never automated";
    const int frame = static_cast<int>((kFrames - 1) * static_cast<double>(last[i]) + 0.5);
    expected.Over(strip, 0, frame * 30, 30, 30, KnobX(i), 40, IRECT(0, 0, 200, 100));
  }
  EXPECT_TRUE(SamePixels(PictureOf(editor->GetFrame()), expected));
}

} // namespace
} // namespace editor_test
