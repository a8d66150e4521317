#include "platform/headless/IGraphicsHeadless.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"
#include "platform/headless/XdgPaths.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_png.h"

namespace {

bool HasPngExtension(const char* name)
{
  const size_t len = strlen(name);
  if (len < 4) return false;
  const char* ext = name + len - 4;
  return ext[0] == '.' && tolower(ext[1]) == 'p' && tolower(ext[2]) == 'n' && tolower(ext[3]) == 'g';
}

const char* FileNameOf(const char* path)
{
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

} // namespace

IGraphicsHeadless::IGraphicsHeadless(IPlugBase* pPlug, int width, int height, int refreshFPS)
  : IGraphics(pPlug, width, height, refreshFPS)
{
}

IGraphicsHeadless::~IGraphicsHeadless()
{
  delete mFrame;
}

// ---- Images ----

bool IGraphicsHeadless::AddResource(const char* name, const void* data, int size)
{
  if (!name || !data || size < 1) return false;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  mResources.push_back({name, std::vector<unsigned char>(bytes, bytes + size)});
  return true;
}

void IGraphicsHeadless::SetResourceFolder(const char* folder)
{
  mResourceFolder = folder ? folder : "";
}

LICE_IBitmap* IGraphicsHeadless::OSLoadBitmap(int, const char* name)
{
  if (!name || !HasPngExtension(name)) return nullptr;
  for (const char* key : {name, FileNameOf(name)})
  {
    for (const Resource& resource : mResources)
    {
      if (resource.name == key)
        return LICE_LoadPNGFromMemory(resource.bytes.data(), static_cast<int>(resource.bytes.size()));
    }
  }
  if (mResourceFolder.empty()) return nullptr;
  return LICE_LoadPNG((mResourceFolder + "/" + FileNameOf(name)).c_str());
}

// ---- Script ----

void IGraphicsHeadless::QueueAnswer(const Answer& answer)
{
  mAnswers.push_back(answer);
}

IGraphicsHeadless::Answer IGraphicsHeadless::NextAnswer()
{
  if (mNextAnswer >= mAnswers.size()) return Answer::Cancel();
  return mAnswers[mNextAnswer++];
}

IGraphicsHeadless::Prompt& IGraphicsHeadless::Record(Prompt::Kind kind, const Answer& answer)
{
  Prompt prompt;
  prompt.kind = kind;
  prompt.answer = answer;
  mPrompts.push_back(prompt);
  return mPrompts.back();
}

// ---- Frames ----

LICE_IBitmap* IGraphicsHeadless::GetFrame() const
{
  return mFrame;
}

bool IGraphicsHeadless::DrawScreen(IRECT* pR)
{
  LICE_IBitmap* pDraw = GetDrawBitmap();
  if (!pDraw || !pDraw->getBits()) return false;
  const int w = pDraw->getWidth(), h = pDraw->getHeight();
  if (!mFrame || mFrame->getWidth() != w || mFrame->getHeight() != h)
  {
    delete mFrame;
    mFrame = new LICE_MemBitmap(w, h, 4);
    LICE_Clear(mFrame, 0);
  }
  mPainted.push_back(*pR);
  const IRECT bounds(0, 0, w, h);
  const IRECT area = pR->Intersect(&bounds);
  if (area.W() > 0 && area.H() > 0)
    LICE_Blit(mFrame, pDraw, area.L, area.T, area.L, area.T, area.W(), area.H(), 1.0f, LICE_BLIT_MODE_COPY);
  return true;
}

bool IGraphicsHeadless::WriteFramePNG(const char* path)
{
  if (!mFrame || !path) return false;
  const int w = mFrame->getWidth(), h = mFrame->getHeight();
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  const LICE_BitmapRows rows(mFrame);
  for (int y = 0; y < h; ++y)
  {
    const LICE_pixel* src = rows.row(y);
    unsigned char* dest = &rgba[static_cast<size_t>(y) * w * 4];
    for (int x = 0; x < w; ++x, dest += 4)
    {
      dest[0] = static_cast<unsigned char>(LICE_GETR(src[x]));
      dest[1] = static_cast<unsigned char>(LICE_GETG(src[x]));
      dest[2] = static_cast<unsigned char>(LICE_GETB(src[x]));
      dest[3] = static_cast<unsigned char>(LICE_GETA(src[x]));
    }
  }
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGBA;
  const bool written = png_image_write_to_file(&image, path, 0, rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return written;
}

bool IGraphicsHeadless::Tick()
{
  IRECT dirty;
  if (!IsDirty(&dirty)) return false;
  Draw(&dirty);
  return true;
}

// ---- Prompts ----

int IGraphicsHeadless::ShowMessageBox(const char* pText, const char* pCaption, int type)
{
  const Answer answer = NextAnswer();
  Prompt& prompt = Record(Prompt::kMessageBox, answer);
  prompt.text = pText ? pText : "";
  prompt.items.push_back(pCaption ? pCaption : "");
  prompt.type = type;
  return answer.kind == Answer::kChoose && !answer.path.empty() ? answer.path.back() : 0;
}

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pTextRect)
{
  ReleaseMouseCapture();
  if (!pMenu) return nullptr;
  const Answer answer = NextAnswer();
  Prompt& prompt = Record(Prompt::kMenu, answer);
  if (pTextRect) prompt.rect = *pTextRect;
  for (int i = 0; i < pMenu->GetNItems(); ++i)
  {
    prompt.items.push_back(pMenu->GetItemText(i));
    prompt.itemFlags.push_back(pMenu->GetItem(i)->GetFlags());
  }
  if (answer.kind != Answer::kChoose || answer.path.empty()) return nullptr;

  IPopupMenu* pHolder = pMenu;
  for (size_t level = 0; level + 1 < answer.path.size(); ++level)
  {
    const IPopupMenuItem* pItem = pHolder->GetItem(answer.path[level]);
    pHolder = pItem ? pItem->GetSubmenu() : nullptr;
    if (!pHolder) return nullptr;
  }
  const int chosen = answer.path.back();
  const IPopupMenuItem* pItem = pHolder->GetItem(chosen);
  if (!pItem || !pItem->GetEnabled() || pItem->GetIsSeparator() || pItem->GetSubmenu()) return nullptr;
  pHolder->SetChosenItemIdx(chosen);
  return pHolder;
}

void IGraphicsHeadless::CreateTextEntry(IControl* pControl, IText*, IRECT* pTextRect, const char* pString,
                                        IParam* pParam)
{
  const Answer answer = NextAnswer();
  Prompt& prompt = Record(Prompt::kTextEntry, answer);
  if (pTextRect) prompt.rect = *pTextRect;
  prompt.text = pString ? pString : "";
  prompt.control = pControl;
  prompt.param = pParam;
  if (answer.kind != Answer::kText || !pControl) return;

  const std::string typed = answer.text.substr(0, static_cast<size_t>(std::max(pControl->GetTextEntryLength(), 0)));
  if (pParam)
    SetFromStringAfterPrompt(pControl, pParam, typed.c_str());
  else
    pControl->TextFromTextEntry(typed.c_str());
}

void IGraphicsHeadless::PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir,
                                      const char* extensions)
{
  WDL_String desktop;
  if (pDir && !pDir->GetLength())
  {
    DesktopPath(&desktop);
    pDir->Set(desktop.Get());
  }
  const Answer answer = NextAnswer();
  Prompt& prompt = Record(Prompt::kFile, answer);
  prompt.text = pDir ? pDir->Get() : "";
  prompt.items.push_back(extensions ? extensions : "");
  prompt.type = action;
  if (!pFilename) return;
  pFilename->Set("");
  if (answer.kind != Answer::kText || answer.text.empty()) return;

  pFilename->Set(answer.text.c_str());
  const size_t slash = answer.text.rfind('/');
  if (pDir && slash != std::string::npos) pDir->Set(answer.text.c_str(), static_cast<int>(slash + 1));
}

bool IGraphicsHeadless::PromptForColor(IColor* pColor, const char* prompt)
{
  const Answer answer = NextAnswer();
  Record(Prompt::kColor, answer).text = prompt ? prompt : "";
  if (answer.kind != Answer::kChoose || answer.path.empty() || !pColor) return false;
  *pColor = IColor::FromPacked(static_cast<LICE_pixel>(answer.path.back()));
  return true;
}

bool IGraphicsHeadless::OpenURL(const char* url, const char*, const char*, const char*)
{
  const Answer answer = NextAnswer();
  Record(Prompt::kURL, answer).text = url ? url : "";
  return url && answer.kind != Answer::kCancel;
}

bool IGraphicsHeadless::GetTextFromClipboard(WDL_String* pStr)
{
  const Answer answer = NextAnswer();
  Record(Prompt::kClipboard, answer);
  const bool hasText = answer.kind == Answer::kText;
  if (pStr) pStr->Set(hasText ? answer.text.c_str() : "");
  return hasText;
}

// ---- Paths ----

void IGraphicsHeadless::HostPath(WDL_String* pPath)
{
  pPath->Set(ModuleFilePath().c_str());
}

void IGraphicsHeadless::PluginPath(WDL_String* pPath)
{
  pPath->Set(ModuleFolderPath().c_str());
}

void IGraphicsHeadless::DesktopPath(WDL_String* pPath)
{
  pPath->Set(DesktopFolderPath().c_str());
}

void IGraphicsHeadless::AppSupportPath(WDL_String* pPath, bool isSystem)
{
  pPath->Set(DataFolderPath(isSystem).c_str());
}

void IGraphicsHeadless::SandboxSafeAppSupportPath(WDL_String* pPath)
{
  const std::string home = HomeFolderPath();
  pPath->Set(home.empty() ? "" : (home + "/Music").c_str());
}

// ---- Window ----

void* IGraphicsHeadless::OpenWindow(void* pParentWnd)
{
  mParent = pParentWnd;
  mWindowOpen = true;
  UpdateTooltips();
  return this;
}

void IGraphicsHeadless::CloseWindow()
{
  mWindowOpen = false;
  mTooltipAreas.clear();
}

void* IGraphicsHeadless::GetWindow()
{
  return mWindowOpen ? this : nullptr;
}

void IGraphicsHeadless::HideMouseCursor()
{
  if (mCursorHidden) return;
  mCursorHidden = true;
  mHiddenMousePointX = GetMouseX();
  mHiddenMousePointY = GetMouseY();
}

void IGraphicsHeadless::ShowMouseCursor()
{
  mCursorHidden = false;
}

void IGraphicsHeadless::UpdateTooltips()
{
  mTooltipAreas.clear();
  if (!TooltipsEnabled() || !mWindowOpen) return;
  for (int i = 0; i < GetNControls(); ++i)
  {
    IControl* pControl = GetControl(i);
    if (!pControl->IsHidden() && !pControl->GetTargetRECT()->Empty()) mTooltipAreas.push_back(*pControl->GetTargetRECT());
  }
}
