#pragma once

// Shared pieces of the editor tests: plug-ins with recording host services and a headless
// editor, test pictures built from known pixels (and their PNG files), an independent composer of
// expected pictures, and a pixel-by-pixel comparison that reports where pictures differ.

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/IControl.h"
#include "graphics/IGraphicsStructs.h"
#include "platform/headless/IGraphicsHeadless.h"
#include "rasterizer/lice_bitmap.h"
#include "plugin/IPlugBase.h"
#include "vst2/IPlugVST.h"

namespace editor_test {

// Parameters of the test plug-ins: a 0..1 double with label "dB", an integer 0..10 ("Hz"), a
// boolean, a three-way enumeration showing "A", "B", "C", and a -1..1 double shown negated.
enum ETestParams
{
  kGain,
  kSteps,
  kSwitch,
  kMode,
  kNeg,
  kNumTestParams
};

// Gives a plug-in the parameters above.
void InitTestParams(IPlugBase* pPlug);

// What the host heard from the plug-in, in order.
struct HostEvent
{
  enum Kind
  {
    kBegin,
    kAutomate,
    kEnd
  };
  Kind kind;
  int paramIdx;
  double value; // kAutomate only

  bool operator==(const HostEvent& o) const
  {
    return kind == o.kind && paramIdx == o.paramIdx && (kind != kAutomate || value == o.value);
  }
};
std::ostream& operator<<(std::ostream& os, const HostEvent& e);

// A plug-in base with the test parameters whose host services record HostEvents.
class EditorTestPlug : public IPlugBase
{
public:
  EditorTestPlug();

  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDen) override { *pNum = *pDen = 0; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int w, int h) override { resizes.push_back({w, h}); }
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void OnParamChange(int paramIdx) override { paramChanges.push_back(paramIdx); }

  // The events so far, and forgetting them.
  std::vector<HostEvent> Events();
  void ClearEvents();

  std::vector<int> paramChanges;
  std::vector<std::pair<int, int>> resizes;

private:
  std::mutex mEventsMutex;
  std::vector<HostEvent> mEvents;
};

// A VST 2 plug-in with the test parameters and, when made with an editor size, a headless editor
// of that size, attached in its constructor like an effect's layout does. Its processing writes
// half the input to the output.
class EditorVSTPlug : public IPlugVST
{
public:
  EditorVSTPlug(IPlugInstanceInfo info, int editorWidth, int editorHeight);

  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  IGraphicsHeadless* Editor() const { return mEditor; }

private:
  IGraphicsHeadless* mEditor = nullptr;
};

// The entry point of an EditorVSTPlug with a 200 x 100 editor, for TestHost::UseEntryPoint.
AEffect* EditorVSTPlugEntry(audioMasterCallback hostCallback);

// A control for tests: draws with a caller's function (nothing by default), counts its draws and
// records every input call it receives as text, such as "down 10 20 L", "drag 12 22 2 2",
// "up 12 22", "dbl 10 20", "wheel 10 20 -1", "key 3", "over 5 5", "out", "text abc".
class ProbeControl : public IControl
{
public:
  ProbeControl(IPlugBase* pPlug, IRECT r, int paramIdx = -1) : IControl(pPlug, r, paramIdx) {}

  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  bool OnKeyDown(int x, int y, int key) override;
  void OnMouseOver(int x, int y, IMouseMod* pMod) override;
  void OnMouseOut() override;
  void TextFromTextEntry(const char* txt) override;
  void SetTextFromPlug(const char* str) override { text = str; }
  bool Draw(IGraphics* pGraphics) override;

  // What the input handlers do besides recording: run the base behaviour, move the value.
  bool callBase = false;        // down, dbl click: IControl's default
  double dragStep = 0.0;        // drag: value += dY * dragStep, pushed
  double wheelStep = 0.0;       // wheel: value += d * wheelStep, pushed
  bool takesKeys = false;       // OnKeyDown's answer
  std::function<void(IGraphics*, IControl*)> draw;
  std::vector<std::string>* drawLog = nullptr; // when set, each draw appends name
  std::string name;

  std::vector<std::string> calls;
  std::string text; // last text pushed by SetTextFromPlug
  int draws = 0;
};

// An image in memory, top row first, pixels as the rasteriser stores them (alpha, red, green,
// blue from the top byte down).
struct Picture
{
  int w = 0, h = 0;
  std::vector<LICE_pixel> px;

  Picture() = default;
  Picture(int width, int height, LICE_pixel fill = 0) : w(width), h(height), px(size_t(width) * height, fill) {}

  LICE_pixel& at(int x, int y) { return px[size_t(y) * w + x]; }
  LICE_pixel at(int x, int y) const { return px[size_t(y) * w + x]; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }

  // The rectangle (sx, sy, sw, sh) of src placed at (dx, dy), each pixel composed over this one by
  // its own alpha at full weight, as the default blend does: alpha 0 leaves the pixel, 255
  // replaces it (alpha 255), a between them gives s + ((d - s) * (255 - a)) / 256 per colour and
  // alpha min(d + a, 255). Only pixels inside clip (in this picture's coordinates) and inside both
  // pictures change.
  void Over(const Picture& src, int sx, int sy, int sw, int sh, int dx, int dy, IRECT clip);
  // The same rectangle copied as it is, alpha included (the replace blend).
  void Copy(const Picture& src, int sx, int sy, int sw, int sh, int dx, int dy, IRECT clip);
  // The rectangle (x, y, w, h) filled with colour.
  void Fill(IRECT r, LICE_pixel colour);
};

// A copy of a bitmap's pixels (a picture of size 0 for null).
Picture PictureOf(LICE_IBitmap* pBitmap);

// A filmstrip of frames frames of frameW x frameH, stacked vertically or horizontally. Every frame
// has its own colours; about one pixel in seven is fully transparent, the rest opaque. seed varies
// the colours between strips.
Picture MakeFilmstrip(int frameW, int frameH, int frames, bool horizontal, unsigned seed);

// The picture as an 8-bit RGBA PNG file (empty when the encoder fails).
std::vector<unsigned char> EncodePNG(const Picture& picture);
// Adds the picture to the editor's resource table as a PNG named name.
void AddImage(IGraphicsHeadless* pEditor, const char* name, const Picture& picture);

// A fresh bitmap identifier for every call, so tests never meet each other's images in the
// module-wide cache.
int NextBitmapId();

// A fixture: an EditorTestPlug with a headless editor of kWidth x kHeight attached to it (so its
// bitmaps exist; the plug-in owns it).
class EditorTest : public ::testing::Test
{
protected:
  static constexpr int kWidth = 120, kHeight = 90;

  EditorTest() : editor(new IGraphicsHeadless(&plug, kWidth, kHeight)) { plug.AttachGraphics(editor); }

  // Attaches a probe at r bound to paramIdx and returns it.
  ProbeControl* AddProbe(IRECT r, int paramIdx = -1)
  {
    ProbeControl* pProbe = new ProbeControl(&plug, r, paramIdx);
    editor->AttachControl(pProbe);
    return pProbe;
  }
  // The draw bitmap's pixels.
  Picture Drawn() const { return PictureOf(editor->GetDrawBitmap()); }

  EditorTestPlug plug;
  IGraphicsHeadless* editor;
};

// Success when the pictures have the same size and pixels; otherwise says how many pixels differ,
// where the first one is, and the bounding box of the differences.
::testing::AssertionResult SamePixels(const Picture& actual, const Picture& expected);

} // namespace editor_test
