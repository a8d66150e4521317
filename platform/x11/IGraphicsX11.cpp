#include "platform/x11/IGraphicsX11.h"

#include <cstdint>
#include <string>

#include "graphics/IControl.h"
#include "platform/headless/XdgPaths.h"
#include "platform/resources/EmbeddedResources.h"
#include "platform/x11/ChildProcess.h"
#include "platform/x11/DesktopDialogs.h"
#include "platform/x11/X11View.h"

IGraphicsX11::IGraphicsX11(IPlugBase* pPlug, int width, int height, int refreshFPS)
  : IGraphics(pPlug, width, height, refreshFPS)
{
}

IGraphicsX11::~IGraphicsX11()
{
  mDispatchDepth = 0;
  CloseWindow();
}

// ---- Window ----

void* IGraphicsX11::OpenWindow(void* pParentWnd)
{
  CloseWindow();
  if (mView) return nullptr; // a close waiting for the event that asked for it
  mView = IGraphicsX11View_vKestrune_vst::Create(this, static_cast<Window>(reinterpret_cast<uintptr_t>(pParentWnd)));
  if (!mView) return nullptr;
  // The first paint draws every control.
  SetAllControlsDirty();
  UpdateTooltips();
  return mView.get();
}

void IGraphicsX11::CloseWindow()
{
  if (!mView) return;
  if (mDispatchDepth > 0)
  {
    mCloseRequested = true;
    return;
  }
  ReleaseMouseCapture();
  mView.reset();
  mCloseRequested = false;
}

void* IGraphicsX11::GetWindow()
{
  return mView && !mCloseRequested ? mView.get() : nullptr;
}

unsigned long IGraphicsX11::GetViewWindowId() const
{
  return mView && !mCloseRequested ? mView->GetWindowId() : 0;
}

void IGraphicsX11::DestroyViewWhenIdle()
{
  mCloseRequested = true;
  if (mDispatchDepth == 0) CloseWindow();
}

bool IGraphicsX11::Idle()
{
  if (!mView) return false;
  if (mDispatchDepth == 0 && !mCloseRequested) mView->Pump();
  if (mView->IsLost() || mCloseRequested) DestroyViewWhenIdle();
  return GetWindow() != nullptr;
}

void IGraphicsX11::TimerTick()
{
  ++mTimerTicks;
  IRECT dirty;
  if (IsDirty(&dirty)) Draw(&dirty);
}

// ---- Painting ----

bool IGraphicsX11::DrawScreen(IRECT* pR)
{
  return mView && pR && mView->Paint(*pR);
}

void IGraphicsX11::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) mView->Resize(w, h);
}

// ---- Prompts ----

IPopupMenu* IGraphicsX11::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pTextRect)
{
  ReleaseMouseCapture();
  if (!mView || !pMenu || !pTextRect) return nullptr;
  return mView->RunMenu(pMenu, *pTextRect);
}

void IGraphicsX11::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* pString,
                                   IParam* pParam)
{
  if (!mView || !pControl || !pTextRect) return;
  mView->OpenTextEntry(pControl, pParam, pText ? *pText : *pControl->GetText(), *pTextRect, pString);
}

void IGraphicsX11::ForceEndUserEdit()
{
  if (mView) mView->EndTextEntry(false);
}

void IGraphicsX11::UpdateTooltips()
{
  if (!mView) return;
  std::vector<IRECT> areas;
  if (TooltipsEnabled())
  {
    for (int i = 0; i < GetNControls(); ++i)
    {
      IControl* pControl = GetControl(i);
      if (!pControl->IsHidden() && !pControl->GetTargetRECT()->Empty()) areas.push_back(*pControl->GetTargetRECT());
    }
  }
  mView->SetTooltipAreas(std::move(areas));
}

// ---- Pointer and clipboard ----

void IGraphicsX11::HideMouseCursor()
{
  if (mCursorHidden || !mView) return;
  int x = 0, y = 0;
  if (!mView->HideCursor(&x, &y)) return;
  mCursorHidden = true;
  mHiddenMousePointX = x;
  mHiddenMousePointY = y;
}

void IGraphicsX11::ShowMouseCursor()
{
  if (!mCursorHidden || !mView) return;
  if (mView->ShowCursor(mHiddenMousePointX, mHiddenMousePointY)) mCursorHidden = false;
}

bool IGraphicsX11::GetTextFromClipboard(WDL_String* pStr)
{
  std::string text;
  const bool found = mView && mView->ReadClipboard(&text, 1000);
  if (pStr) pStr->Set(found ? text.c_str() : "");
  return found;
}

// ---- Outside the editor ----

int IGraphicsX11::ShowMessageBox(const char* pText, const char* pCaption, int type)
{
  return RunMessageBox(FindDialogTool(), pText, pCaption, type, [this]() {
    if (mView) mView->KeepPainted();
  });
}

void IGraphicsX11::PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir, const char* extensions)
{
  if (!pFilename) return;
  if (!mView)
  {
    pFilename->Set("");
    return;
  }
  WDL_String startDir;
  if (pDir && pDir->GetLength())
    startDir.Set(pDir->Get());
  else
  {
    DesktopPath(&startDir);
    if (pDir) pDir->Set(startDir.Get());
  }
  std::string dir = startDir.Get();
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const std::string startName = pFilename->Get();
  pFilename->Set("");

  const std::string chosen = RunFilePrompt(FindDialogTool(), action, dir, startName, extensions, [this]() {
    if (mView) mView->KeepPainted();
  });
  if (chosen.empty()) return;
  pFilename->Set(chosen.c_str());
  const size_t slash = chosen.rfind('/');
  if (pDir && slash != std::string::npos) pDir->Set(chosen.c_str(), static_cast<int>(slash + 1));
}

bool IGraphicsX11::PromptForColor(IColor*, const char*)
{
  return false;
}

bool IGraphicsX11::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !url[0]) return false;
  return LaunchDetached({"xdg-open", url});
}

void IGraphicsX11::HostPath(WDL_String* pPath)
{
  pPath->Set(ModuleFilePath().c_str());
}

void IGraphicsX11::PluginPath(WDL_String* pPath)
{
  pPath->Set(ModuleFolderPath().c_str());
}

void IGraphicsX11::DesktopPath(WDL_String* pPath)
{
  pPath->Set(DesktopFolderPath().c_str());
}

void IGraphicsX11::AppSupportPath(WDL_String* pPath, bool isSystem)
{
  pPath->Set(DataFolderPath(isSystem).c_str());
}

void IGraphicsX11::SandboxSafeAppSupportPath(WDL_String* pPath)
{
  const std::string home = HomeFolderPath();
  pPath->Set(home.empty() ? "" : (home + "/Music").c_str());
}

LICE_IBitmap* IGraphicsX11::OSLoadBitmap(int, const char* name)
{
  return mResources ? LoadEmbeddedImage(*mResources, name) : nullptr;
}
