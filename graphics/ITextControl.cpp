#include "graphics/ITextControl.h"

#include <cstring>

#include "graphics/IGraphics.h"
#include "graphics/ScopedPlugLock.h"
#include "plugin/IParam.h"

// ---- ITextControl ----

ITextControl::ITextControl(IPlugBase* pPlug, IRECT pR, const IText* pText, const char* str)
  : IControl(pPlug, pR), mStr(str)
{
  if (pText) mText = *pText;
}

bool ITextControl::Draw(IGraphics* pGraphics)
{
  if (!mStr.GetLength()) return true;
  return pGraphics->DrawIText(&mText, mStr.Get(), &mRECT);
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (!strcmp(str, mStr.Get())) return;
  SetDirty(false);
  mStr.Set(str);
}

// ---- ICaptionControl ----

ICaptionControl::ICaptionControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IText* pText, bool showParamLabel)
  : ITextControl(pPlug, pR, pText), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
  // Prompting is what a click on a caption is for.
  mDisablePrompt = false;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* pMod)
{
  if (pMod && (pMod->L || pMod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
  PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* pGraphics)
{
  if (const IParam* pParam = GetParam())
  {
    char display[MAX_PARAM_DISPLAY_LEN];
    // The plain value and the label are written by whichever thread changes the parameter.
    ScopedPlugLock lock(mPlug);
    pParam->GetDisplayForHost(display);
    mStr.Set(display);
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabelForHost());
    }
  }
  return ITextControl::Draw(pGraphics);
}
