#pragma once

#include "containers/WDL_String.h"
#include "graphics/IControl.h"

// A button that asks the user for a file to open or save and keeps the answer for the plug-in.
// Each completed prompt flips the value between 0 and 1 (pushed), so that the plug-in hears of
// it through its parameter. The button shows its bitmap only while the prompt is up.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,      // idle
    kFSSelecting = 1, // the prompt is up
    kFSDone = 2       // the prompt returned; reported dirty once
  };

  // A button over pR showing pBitmap's top-left while pressed; the prompt starts in dir and
  // offers the blank-separated extensions (null counts as "").
  IFileSelectorControl(IPlugBase* pPlug, IRECT pR, int paramIdx, IBitmap* pBitmap, EFileAction action,
                       const char* dir = "", const char* extensions = "");

  // Asks for the file (the file becomes the answer, empty when cancelled), then flips the value
  // and pushes it. Nothing without an editor.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // The bitmap's top-left corner while the prompt is up; nothing otherwise.
  bool Draw(IGraphics* pGraphics) override;
  // Dirty as any control; besides, once after a prompt returned.
  bool IsDirty() override;

  // Copies the last file chosen (or set) into pFile.
  void GetLastSelectedFileForPlug(WDL_String* pFile) const;
  // Sets the file the next prompt starts with.
  void SetLastSelectedFileFromPlug(const char* file);
  EFileSelectorState GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  WDL_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
