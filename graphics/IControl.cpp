#include "graphics/IControl.h"

#include <algorithm>

#include "graphics/IGraphics.h"
#include "graphics/ScopedPlugLock.h"
#include "plugin/IParam.h"
#include "plugin/IPlugBase.h"

IControl::IControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IChannelBlend blend)
  : mPlug(pPlug), mRECT(pR), mTargetRECT(pR), mParamIdx(paramIdx), mBlend(blend)
{
}

IControl::~IControl()
{
  mAuxParams.Empty(true);
}

void IControl::OnMouseDown(int, int, IMouseMod* pMod)
{
  if (pMod && pMod->R) PromptUserInput();
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}

void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  const double defaultValue = mDefaultValue;
  if (defaultValue < 0.0) return;
  mValue = defaultValue;
  SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod*, int) {}

bool IControl::OnKeyDown(int, int, int)
{
  return false;
}

void IControl::OnMouseOver(int, int, IMouseMod*) {}

void IControl::OnMouseOut() {}

// The redraw mark goes on before SetDirty's dirty mark: a SetClean that runs on the drawing
// thread between the two then keeps the control dirty, whichever way they interleave.
void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue < 0.0) mDefaultValue = mValue = value;
  if (mValue != value)
  {
    mValue = value;
    SetRedraw();
    SetDirty(false);
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (mValue != value)
  {
    mValue = value;
    SetRedraw();
    SetDirty(true);
  }
}

void IControl::TextFromTextEntry(const char*) {}

void IControl::Hide(bool hide)
{
  mHide = hide;
  SetRedraw();
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? GRAYED_WEIGHT : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y)
{
  return mTargetRECT.Contains(x, y);
}

void IControl::SetDirty(bool pushParamToPlug)
{
  const double value = mValue;
  if (value < mClampLo)
    mValue = mClampLo.Get();
  else
    mValue = std::min(mClampHi.Get(), value);
  mDirtyBits.fetch_or(kDirtyBit);

  if (!pushParamToPlug) return;
  IParam* pParam = GetParam();
  if (!pParam) return;
  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  if (mValDisplayControl)
  {
    char display[MAX_PARAM_DISPLAY_LEN];
    WDL_String text;
    {
      ScopedPlugLock lock(mPlug);
      pParam->GetDisplayForHost(display);
      text.Set(display, MAX_PARAM_DISPLAY_LEN);
      text.Append(" ");
      text.Append(pParam->GetLabelForHost(), MAX_PARAM_NAME_LEN);
    }
    mValDisplayControl->SetTextFromPlug(text.Get());
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(pParam->GetNameForHost());
}

void IControl::SetClean()
{
  unsigned bits = mDirtyBits.load();
  while (!mDirtyBits.compare_exchange_weak(bits, (bits & kRedrawBit) ? unsigned(kDirtyBit) : 0u))
  {
  }
}

bool IControl::IsDirty()
{
  return (mDirtyBits.load() & kDirtyBit) != 0;
}

void IControl::OnGUIIdle() {}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value)
{
  AuxParam* pAux = GetAuxParam(auxParamIdx);
  if (!pAux || pAux->mValue == value) return;
  pAux->mValue = value;
  SetRedraw();
  SetDirty(false);
}

void IControl::SetTextFromPlug(const char*) {}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* pParam = GetParam();
  IGraphics* pGraphics = GetGUI();
  if (!pParam || !pGraphics) return;
  if (pParam->GetNDisplayTexts() > 0)
  {
    pGraphics->PromptUserInput(this, pParam, &mRECT);
  }
  else
  {
    const int cx = static_cast<int>(mRECT.MW()), cy = static_cast<int>(mRECT.MH());
    IRECT box(cx - 20, cy - 8, cx + 20, cy + 8);
    pGraphics->PromptUserInput(this, pParam, &box);
  }
  SetRedraw();
}

void IControl::PromptUserInput(IRECT* pTextRect)
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* pParam = GetParam();
  IGraphics* pGraphics = GetGUI();
  if (!pParam || !pGraphics) return;
  pGraphics->PromptUserInput(this, pParam, pTextRect);
  SetRedraw();
}

bool IControl::AddAuxParam(int paramIdx)
{
  AuxParam* pAux = new AuxParam(paramIdx);
  if (mAuxParams.Add(pAux)) return true;
  delete pAux;
  return false;
}

int IControl::AuxParamIdx(int paramIdx) const
{
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get(i)->mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
  {
    const AuxParam* pAux = mAuxParams.Get(i);
    if (mPlug->GetParam(pAux->mParamIdx)) mPlug->SetParameterFromGUI(pAux->mParamIdx, pAux->mValue);
  }
}

IGraphics* IControl::GetGUI() const
{
  return mPlug ? mPlug->GetGUI() : nullptr;
}

IParam* IControl::GetParam() const
{
  return mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
}
