#pragma once

// The test plug-in of the editor test kit with a headless editor whose background is a random
// opaque picture, for the control tests: attach controls, attach the editor (as an effect's
// layout does, so that the controls receive their first values), then draw, click, drag and
// prompt through the editor as a platform view would.

#include <memory>
#include <vector>

#include "graphics/IBitmapControl.h"
#include "graphics/IControl.h"
#include "platform/headless/IGraphicsHeadless.h"
#include "plugin/IParam.h"
#include "tests/graphics/ControlPictures.h"
#include "tests/graphics/EditorTestKit.h"

namespace control_pictures
{

using editor_test::HostEvent;
using editor_test::kGain;
using editor_test::kMode;
using editor_test::kNeg;
using editor_test::kSteps;
using editor_test::kSwitch;

class ControlEditor
{
public:
  static constexpr int kW = 120, kH = 100;

  // The gain parameter starts at 0 here (its default is 0.5), so that controls start at the
  // bottom of their range. makeGui may supply a headless editor of kW x kH of a derived class.
  explicit ControlEditor(uint64_t seed = 1, IGraphicsHeadless* (*makeGui)(IPlugBase*) = nullptr)
    : background(OpaquePicture(kW, kH, seed)), gui(makeGui ? makeGui(&plug) : new IGraphicsHeadless(&plug, kW, kH)),
      mBackgroundBitmap(MakeBitmap(background))
  {
    plug.GetParam(kGain)->Set(0.0);
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
    return PictureOf(gui->GetDrawBitmap());
  }

  // A click at (x, y): press and release with the given modifiers.
  void Click(int x, int y, IMouseMod mod = IMouseMod(true))
  {
    gui->OnMouseDown(x, y, &mod);
    gui->OnMouseUp(x, y, &mod);
  }

  // The normalised values the host was told, in order, for one parameter.
  std::vector<double> Informed(int paramIdx)
  {
    std::vector<double> values;
    for (const HostEvent& e : plug.Events())
      if (e.kind == HostEvent::kAutomate && e.paramIdx == paramIdx) values.push_back(e.value);
    return values;
  }

  editor_test::EditorTestPlug plug;
  Picture background;
  IGraphicsHeadless* gui; // owned by the plug-in once attached

private:
  std::unique_ptr<LICE_MemBitmap> mBackgroundBitmap;
  std::vector<std::unique_ptr<LICE_MemBitmap>> mImages;
};

} // namespace control_pictures
