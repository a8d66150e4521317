#pragma once

#include <atomic>

#include "containers/WDL_PtrList.h"
#include "containers/WDL_String.h"
#include "graphics/IGraphicsStructs.h"
#include "graphics/SharedDouble.h"

class IGraphics;
class IParam;
class IPlugBase;

// Blend weight of a greyed-out control: the same picture at a quarter of its strength.
#define GRAYED_WEIGHT 0.25f

// Base class of everything placed on the editor: a rectangle, optionally bound to one plug-in
// parameter, with a normalised value (0..1), a dirty flag for the redraw, visibility and greyed
// state, a text style for text entry, a tooltip and optional auxiliary parameters.
//
// Values from the plug-in come in through SetValueFromPlug and are not sent back; values made by
// the user go out through SetDirty(true) to the plug-in (SetParameterFromGUI), which tells the host.
// The editor owns every attached control.
//
// Threads: SetValueFromPlug and SetAuxParamValueFromPlug may run on the thread that changes a
// parameter while the user-interface thread draws; values are SharedDouble and the dirty state is
// one atomic word, so a mark made by that thread is never lost to a SetClean running at the same
// time. Everything else runs on the user-interface thread.
class IControl
{
public:
  // One further parameter a control reflects: its normalised value and its index.
  struct AuxParam
  {
    SharedDouble mValue = 0.0;
    int mParamIdx;

    explicit AuxParam(int paramIdx) : mParamIdx(paramIdx) {}
  };

  // A control at pR (also its target area) bound to paramIdx (-1: none), drawn with blend. It
  // starts dirty with value 0, no default value yet, clamp 0..1, prompts disabled, a 7-character
  // text entry and the default text style.
  IControl(IPlugBase* pPlug, IRECT pR, int paramIdx = -1, IChannelBlend blend = IChannelBlend::kBlendDefault);

  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- Virtual operations, in slot order ----

  virtual ~IControl();
  // A press. Base: the right button prompts for the value (PromptUserInput).
  virtual void OnMouseDown(int x, int y, IMouseMod* pMod);
  // A release. Base: nothing.
  virtual void OnMouseUp(int x, int y, IMouseMod* pMod);
  // A move by (dX, dY) since the last one while captured. Base: nothing.
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod);
  // A double click. Base: back to the default value (the first value received), pushed.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  // d notches of the wheel. Base: nothing.
  virtual void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  // A key (EKeyCode). Returns true when taken; base: false.
  virtual bool OnKeyDown(int x, int y, int key);
  // The pointer hovers / left. Base: nothing.
  virtual void OnMouseOver(int x, int y, IMouseMod* pMod);
  virtual void OnMouseOut();
  // Draws the control into the editor's draw bitmap. Returns true when drawn.
  virtual bool Draw(IGraphics* pGraphics) = 0;
  // The plug-in's normalised value arrives: the first one ever also becomes the default value;
  // a different value is stored and drawn (staying dirty one more pass), not sent back.
  virtual void SetValueFromPlug(double value);
  // The user's value: a different value is stored, clamped, pushed to the plug-in and drawn.
  virtual void SetValueFromUserInput(double value);
  // Free text typed into a text field for a control without a parameter. Base: nothing.
  virtual void TextFromTextEntry(const char* txt);
  // Hides or shows the control (a hidden control is neither drawn nor hit).
  virtual void Hide(bool hide);
  // Greys the control out (drawn at GRAYED_WEIGHT, not hit) or back (weight 1).
  virtual void GrayOut(bool gray);
  // True when (x, y) lies in the target area.
  virtual bool IsHit(int x, int y);
  // Clamps the value to the clamp range and marks the control dirty; with pushParamToPlug and a
  // parameter, sends the value to the plug-in and refreshes the value and name display controls.
  virtual void SetDirty(bool pushParamToPlug = true);
  // After a redraw: clean, unless a value or visibility change asked for one more pass.
  virtual void SetClean();
  // True while the control waits to be redrawn.
  virtual bool IsDirty();
  // Idle time from the editor. Base: nothing.
  virtual void OnGUIIdle();
  // Auxiliary entry auxParamIdx follows the plug-in's normalised value; a change is drawn. An
  // index outside the entries is ignored.
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // Shows text pushed by another control or the plug-in (the value and name display controls of a
  // parameter control receive their text this way). Base: nothing; text controls override it.
  virtual void SetTextFromPlug(const char* str);

  // ---- Prompts and auxiliary parameters ----

  // Asks the user for the value (menu or text field, chosen by the editor): over the control for
  // a parameter with display texts, else in a 40 x 16 box around its centre. Nothing without a
  // parameter, with prompts disabled or without an editor.
  void PromptUserInput();
  // As above, at pTextRect.
  void PromptUserInput(IRECT* pTextRect);
  // Adds an auxiliary parameter (value 0). Returns false when the list cannot grow.
  bool AddAuxParam(int paramIdx);
  // Position of the first auxiliary entry for paramIdx, or -1.
  int AuxParamIdx(int paramIdx) const;
  // Auxiliary entry idx, or null outside the entries.
  AuxParam* GetAuxParam(int idx) const { return mAuxParams.Get(idx); }
  int NAuxParams() const { return mAuxParams.GetSize(); }
  // Sends every auxiliary value to the plug-in, in order.
  void SetAllAuxParamsFromGUI();

  // ---- Accessors ----

  IPlugBase* GetPlug() const { return mPlug; }
  // The editor the plug-in holds, or null.
  IGraphics* GetGUI() const;
  int ParamIdx() const { return mParamIdx; }
  // The bound parameter, or null (no parameter, no plug-in, or an index beyond its parameters).
  IParam* GetParam() const;
  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetTargetArea(IRECT r) { mTargetRECT = r; }
  IText* GetText() { return &mText; }
  void SetText(const IText* pTxt) { mText = *pTxt; }
  IChannelBlend* GetBlend() { return &mBlend; }
  double GetValue() const { return mValue; }
  double GetDefaultValue() const { return mDefaultValue; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  // Limits the value to [lo, hi] from the next SetDirty on.
  void Clamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* tooltip) { mTooltip.Set(tooltip); }
  // Controls (text controls, not owned) that show the value with its label / the parameter's name.
  void SetValDisplayControl(IControl* pValDisplayControl) { mValDisplayControl = pValDisplayControl; }
  void SetNameDisplayControl(IControl* pNameDisplayControl) { mNameDisplayControl = pNameDisplayControl; }
  // Longest text a text field for this control accepts.
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool dblAsSingle) { mDblAsSingleClick = dblAsSingle; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }

protected:
  // Keeps the control dirty for one more pass after the next SetClean. Call it before SetDirty
  // when another thread may be cleaning, so that the pair can never end clean.
  void SetRedraw() { mDirtyBits.fetch_or(kRedrawBit); }

  int mTextEntryLength = 7;
  IText mText;
  IPlugBase* mPlug;
  IRECT mRECT, mTargetRECT;
  int mParamIdx;
  WDL_PtrList<AuxParam> mAuxParams;
  SharedDouble mValue = 0.0;
  SharedDouble mDefaultValue = -1.0;
  SharedDouble mClampLo = 0.0, mClampHi = 1.0;
  std::atomic<bool> mHide{false};
  std::atomic<bool> mGrayed{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;
  IControl* mNameDisplayControl = nullptr;
  WDL_String mTooltip;

private:
  enum
  {
    kDirtyBit = 1,
    kRedrawBit = 2
  };
  // Dirty and redraw flags in one word, changed only by atomic read-modify-write operations.
  std::atomic<unsigned> mDirtyBits{kDirtyBit};
};
