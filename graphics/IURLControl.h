#pragma once

#include "graphics/IControl.h"

// Longest web address a link control keeps, terminator included; longer ones are cut.
#define MAX_URL_LEN 256
// Longest failure message a link control keeps, terminator included.
#define MAX_NET_ERR_MSG_LEN 1024

// An invisible link: a click opens a web address in the user's browser, or a backup address
// when the first cannot be opened. It has no parameter and no value of its own.
class IURLControl : public IControl
{
public:
  // Copies of the addresses and of the message handed to the platform on failure; null or ""
  // leaves a field empty. Texts too long for their field are cut.
  IURLControl(IPlugBase* pPlug, IRECT pR, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);

  // Opens the address (through the editor); the backup address when that reports failure or the
  // address is empty. Nothing without an editor.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Draws nothing: the link lies on the background's picture.
  bool Draw(IGraphics* pGraphics) override;

  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }
  const char* GetErrMsg() const { return mErrMsg; }

protected:
  char mURL[MAX_URL_LEN] = {};
  char mBackupURL[MAX_URL_LEN] = {};
  char mErrMsg[MAX_NET_ERR_MSG_LEN] = {};
};
