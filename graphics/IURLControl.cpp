#include "graphics/IURLControl.h"

#include <cstring>

#include "graphics/IGraphics.h"

namespace
{
// Copies text into a zero-filled field of size bytes, cut to leave the terminator.
template <size_t size>
void CopyText(char (&field)[size], const char* text)
{
  if (text) strncpy(field, text, size - 1);
}
} // namespace

IURLControl::IURLControl(IPlugBase* pPlug, IRECT pR, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
  : IControl(pPlug, pR)
{
  CopyText(mURL, url);
  CopyText(mBackupURL, backupURL);
  CopyText(mErrMsg, errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* pGraphics = GetGUI();
  if (!pGraphics) return;
  const bool opened = mURL[0] && pGraphics->OpenURL(mURL, nullptr, nullptr, mErrMsg);
  if (!opened && mBackupURL[0]) pGraphics->OpenURL(mBackupURL, nullptr, nullptr, mErrMsg);
}

bool IURLControl::Draw(IGraphics*)
{
  return true;
}
