#pragma once

// A test plug-in with a headless editor whose background is a random opaque picture, for the
// control tests: attach controls, attach the editor, then draw, click, drag and prompt through
// the editor as a platform view would.

#include <memory>
#include <vector>

#include "graphics/IBitmapControl.h"
#include "graphics/IControl.h"
#include "platform/headless/IGraphicsHeadless.h"
#include "tests/graphics/ControlPictures.h"
#include "tests/plugin/TestPlug.h"

namespace control_pictures
{

// Parameters of the test plug-in.
enum EControlTestParam
{
  kLevel = 0,  // double 0..1, step 0.001
  kMode = 1,   // enum of three: "Soft", "Warm", "Hard"
  kActive = 2, // bool: "off", "on"
  kGain = 3,   // double -24..24 dB, step 0.1
  kSteps = 4,  // int 0..4
  kNumControlTestParams
};

class ControlEditor
{
public:
  static constexpr int kW = 120, kH = 100;

  explicit ControlEditor(uint64_t seed = 1)
    : plug(kNumControlTestParams, "1-1", 0), background(OpaquePicture(kW, kH, seed)),
      mBackgroundBitmap(MakeBitmap(background))
  {
    plug.GetParam(kLevel)->InitDouble("Level", 0.0, 0.0, 1.0, 0.001, "", "");
    plug.GetParam(kMode)->InitEnum("Mode", 0, 3, "", "");
    plug.GetParam(kMode)->SetDisplayText(0, "Soft");
    plug.GetParam(kMode)->SetDisplayText(1, "Warm");
    plug.GetParam(kMode)->SetDisplayText(2, "Hard");
    plug.GetParam(kActive)->InitBool("Active", false, "", "");
    plug.GetParam(kGain)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1, "dB", "");
    plug.GetParam(kSteps)->InitInt("Steps", 0, 0, 4, "", "");
    gui = new IGraphicsHeadless(&plug, kW, kH);
    IBitmap bg(mBackgroundBitmap.get(), kW, kH);
    gui->AttachControl(new IBitmapControl(&plug, 0, 0, &bg, IChannelBlend::kBlendReplace));
  }

  ~ControlEditor()
  {
    if (plug.GetGUI() != gui) delete gui;
  }
  ControlEditor(const ControlEditor&) = delete;
  ControlEditor& operator=(const ControlEditor&) = delete;

  // Appends a control and returns it.
  template <class Control>
  Control* Add(Control* pControl)
  {
    gui->AttachControl(pControl);
    return pControl;
  }

  // Hands the editor to the plug-in, which pushes every parameter's value into its controls.
  void Attach() { plug.AttachGraphics(gui); }

  // A bitmap handle over a picture the editor keeps alive, cut into frames.
  IBitmap Image(const Picture& p, int frames = 1, bool horizontal = false)
  {
    mImages.push_back(MakeBitmap(p));
    return IBitmap(mImages.back().get(), p.w, p.h, frames, horizontal);
  }

  // Redraws the whole editor (strict drawing) and returns what the draw bitmap holds.
  Picture Render()
  {
    IRECT all(0, 0, kW, kH);
    gui->Draw(&all);
    return ReadBitmap(gui->GetDrawBitmap());
  }

  // A click at (x, y): press and release with the given modifiers.
  void Click(int x, int y, IMouseMod mod = IMouseMod(true))
  {
    gui->OnMouseDown(x, y, &mod);
    gui->OnMouseUp(x, y, &mod);
  }

  // The normalised values the host was told, in order, for one parameter.
  std::vector<double> Informed(int paramIdx) const
  {
    std::vector<double> values;
    for (const auto& entry : plug.hostInformed)
      if (entry.first == paramIdx) values.push_back(entry.second);
    return values;
  }

  TestPlug plug;
  IGraphicsHeadless* gui; // owned by the plug-in once attached
  Picture background;

private:
  std::unique_ptr<LICE_MemBitmap> mBackgroundBitmap;
  std::vector<std::unique_ptr<LICE_MemBitmap>> mImages;
};

} // namespace control_pictures
