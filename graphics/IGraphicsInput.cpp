// Input routing of the editor: mouse, wheel and keys to controls, the host's gesture brackets
// around every user change, and the value prompts.

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"
#include "graphics/ScopedPlugLock.h"
#include "plugin/IParam.h"
#include "plugin/IPlugBase.h"

// Opened around a wheel turn, a key, a double click or a release. Within the press gesture of
// the same parameter (a wheel turn during a drag) it adds nothing; on another parameter (the
// pointer let go over another control after a prompt took the capture) it brackets that
// parameter's change on its own, as hosts take gestures per parameter.
class IGraphics::ScopedGesture
{
public:
  ScopedGesture(IGraphics* pGraphics, int paramIdx)
    : mPlug(pGraphics->mPlug),
      mParamIdx(paramIdx != pGraphics->mGestureParam && mPlug && mPlug->GetParam(paramIdx) ? paramIdx : -1)
  {
    if (mParamIdx >= 0) mPlug->BeginInformHostOfParamChange(mParamIdx);
  }
  ~ScopedGesture()
  {
    if (mParamIdx >= 0) mPlug->EndInformHostOfParamChange(mParamIdx);
  }

  ScopedGesture(const ScopedGesture&) = delete;
  ScopedGesture& operator=(const ScopedGesture&) = delete;

private:
  IPlugBase* mPlug;
  int mParamIdx;
};

void IGraphics::BeginParamGesture(int paramIdx)
{
  if (!mPlug || !mPlug->GetParam(paramIdx)) return;
  mGestureParam = paramIdx;
  mPlug->BeginInformHostOfParamChange(paramIdx);
}

void IGraphics::EndParamGesture()
{
  if (mGestureParam < 0) return;
  const int paramIdx = mGestureParam;
  mGestureParam = -1;
  mPlug->EndInformHostOfParamChange(paramIdx);
}

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0 && mMouseCapture < mControls.GetSize()) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->IsHidden()) continue;
    if (pControl->IsGrayed() && !(mouseOver && pControl->GetMOWhenGrayed())) continue;
    if (pControl->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

// A gesture left open by an earlier press whose release never came is closed first, so the host
// never sees two begins without an end between them.
void IGraphics::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  EndParamGesture();
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  IControl* pControl = mControls.Get(c);
  BeginParamGesture(pControl->ParamIdx());
  pControl->OnMouseDown(x, y, pMod);
}

// The end goes to the gesture the press began, even when a prompt released the capture and the
// pointer was let go over another control.
void IGraphics::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  const int c = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  if (IControl* pControl = mControls.Get(c))
  {
    ScopedGesture gesture(this, pControl->ParamIdx());
    pControl->OnMouseUp(x, y, pMod);
  }
  EndParamGesture();
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* pMod)
{
  IControl* pControl = mControls.Get(mMouseCapture);
  if (!pControl || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  pControl->OnMouseDrag(x, y, dX, dY, pMod);
}

// A double click taken as a press opens a gesture like a press, which its release ends. Any
// other double click (the default-value reset) is a gesture of its own.
void IGraphics::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  EndParamGesture();
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  IControl* pControl = mControls.Get(c);
  if (pControl->GetDblAsSingleClick())
  {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    BeginParamGesture(pControl->ParamIdx());
    pControl->OnMouseDown(x, y, pMod);
  }
  else
  {
    ScopedGesture gesture(this, pControl->ParamIdx());
    pControl->OnMouseDblClick(x, y, pMod);
  }
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  IControl* pControl = mControls.Get(c);
  ScopedGesture gesture(this, pControl->ParamIdx());
  pControl->OnMouseWheel(x, y, pMod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* pMod)
{
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  if (c < 0) return mHandleMouseOver;
  mMouseX = x;
  mMouseY = y;
  mControls.Get(c)->OnMouseOver(x, y, pMod);
  if (mMouseOver != c)
  {
    if (IControl* pPrevious = mControls.Get(mMouseOver)) pPrevious->OnMouseOut();
  }
  mMouseOver = c;
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = GetMouseControlIdx(x, y);
  if (c > 0)
  {
    IControl* pControl = mControls.Get(c);
    ScopedGesture gesture(this, pControl->ParamIdx());
    return pControl->OnKeyDown(x, y, key);
  }
  return mKeyCatcher && mKeyCatcher->OnKeyDown(x, y, key);
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int c = GetMouseControlIdx(x, y);
  mLastClickedParam = c > 0 ? mControls.Get(c)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int paramIdx = mLastClickedParam;
  mLastClickedParam = -1;
  return paramIdx;
}

void IGraphics::PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect)
{
  if (!pControl || !pParam || !pTextRect) return;
  const int nDisplayTexts = pParam->GetNDisplayTexts();
  const IParam::EParamType type = pParam->Type();
  char current[MAX_PARAM_DISPLAY_LEN];

  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && nDisplayTexts > 0))
  {
    {
      ScopedPlugLock lock(mPlug);
      pParam->GetDisplayForHost(current, true);
    }
    IPopupMenu menu;
    for (int i = 0; i < nDisplayTexts; ++i)
    {
      const char* text = pParam->GetDisplayTextAtIdx(i);
      menu.AddItem(text, -1, strcmp(text, current) ? IPopupMenuItem::kNoFlags : IPopupMenuItem::kChecked);
    }
    if (IPopupMenu* pChosen = CreateIPopupMenu(&menu, pTextRect))
      pControl->SetValueFromUserInput(pParam->GetNormalized(pChosen->GetChosenItemIdx()));
  }
  else
  {
    {
      ScopedPlugLock lock(mPlug);
      pParam->GetDisplayForHost(current, false);
    }
    CreateTextEntry(pControl, pControl->GetText(), pTextRect, current, pParam);
  }
}

// Typed text can arrive after the press that opened the field was released, so applying it is a
// gesture of its own unless one is still open.
void IGraphics::SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, const char* txt)
{
  if (!pControl || !pParam) return;
  if (!txt) txt = "";
  double value = 0.0;
  if (pParam->Type() == IParam::kTypeBool || pParam->Type() == IParam::kTypeEnum)
  {
    int mapped = 0;
    pParam->MapDisplayText(txt, &mapped);
    value = mapped;
  }
  else
  {
    value = strtod(txt, nullptr);
    if (std::isnan(value)) value = 0.0;
    if (pParam->DisplayIsNegated()) value = -value;
    // A number beyond the range means its nearest end.
    value = std::fmin(std::fmax(value, pParam->GetMin()), pParam->GetMax());
  }
  ScopedGesture gesture(this, pControl->ParamIdx());
  pControl->SetValueFromUserInput(pParam->GetNormalized(value));
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}
