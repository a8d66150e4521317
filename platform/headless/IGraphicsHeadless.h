#pragma once

#include <string>
#include <vector>

#include "graphics/IGraphics.h"

class LICE_MemBitmap;

// A complete editor host without a display, for tests, tools and servers. It is the reference for
// the windowed hosts: the same editor gives the same pixels in all of them.
//
// - The "screen" is a frame bitmap of the editor's size: DrawScreen copies the redrawn area of the
//   draw bitmap into it and records the rectangle. The frame can be written as a PNG.
// - Images come from a resource table the caller fills (file name -> PNG bytes) or from a folder.
// - Everything that would ask the user (menus, text fields, message boxes, file and colour
//   prompts, the clipboard, opening a URL) is recorded as a Prompt, with the rectangle it was asked
//   at, and answered at once from a queue of scripted Answers. An empty queue answers Cancel.
// - The "window" is a token: OpenWindow returns a non-null handle until CloseWindow.
// - Paths follow the module's location and the XDG user directories.
class IGraphicsHeadless : public IGraphics
{
public:
  // A scripted answer to the next prompt.
  struct Answer
  {
    enum Kind
    {
      kChoose, // a menu item (path: indices through submenus), a message-box result, a colour
      kText,   // typed text, a file path, clipboard text
      kCancel
    };
    Kind kind = kCancel;
    std::vector<int> path;
    std::string text;

    // Item index of the menu shown (or the number a message box or colour prompt returns).
    static Answer Choose(int index) { return {kChoose, {index}, {}}; }
    // Item path[last] of the submenu reached through the items path[0 .. last - 1].
    static Answer ChooseIn(std::vector<int> path) { return {kChoose, std::move(path), {}}; }
    static Answer Text(const char* text) { return {kText, {}, text ? text : ""}; }
    static Answer Cancel() { return {kCancel, {}, {}}; }
  };

  // One question the editor asked, as recorded.
  struct Prompt
  {
    enum Kind
    {
      kMenu,
      kTextEntry,
      kMessageBox,
      kFile,
      kColor,
      kURL,
      kClipboard
    };
    Kind kind;
    // Where it was asked (menus and text entries); empty for the others.
    IRECT rect;
    // Text entry: the initial text. Message box: the message. File: the start folder. URL: the
    // address. Colour: the prompt text.
    std::string text;
    // Menus: every item's text and flags, in order.
    std::vector<std::string> items;
    std::vector<int> itemFlags;
    // Text entries: the control and parameter asked for. Message boxes: type; files: action.
    IControl* control = nullptr;
    IParam* param = nullptr;
    int type = 0;
    // What it was answered.
    Answer answer;
  };

  IGraphicsHeadless(IPlugBase* pPlug, int width, int height, int refreshFPS = 0);
  ~IGraphicsHeadless() override;

  // ---- Images ----

  // Adds a copy of size bytes of PNG data under a file name ("bg.png"). False for null input or a
  // size below 1.
  bool AddResource(const char* name, const void* data, int size);
  // Images not in the table are read from this folder.
  void SetResourceFolder(const char* folder);

  // ---- Script ----

  void QueueAnswer(const Answer& answer);
  int NPendingAnswers() const { return static_cast<int>(mAnswers.size() - mNextAnswer); }
  const std::vector<Prompt>& Prompts() const { return mPrompts; }
  void ClearPrompts() { mPrompts.clear(); }

  // ---- Frames ----

  // What the screen shows: null until the first DrawScreen.
  LICE_IBitmap* GetFrame() const;
  // Every rectangle DrawScreen was given, in order.
  const std::vector<IRECT>& PaintedRects() const { return mPainted; }
  void ClearPaintedRects() { mPainted.clear(); }
  // Writes the frame as an 8-bit RGBA PNG. False without a frame or when the file cannot be written.
  bool WriteFramePNG(const char* path);
  // One tick of the refresh timer: when a control is dirty, redraws the area of the dirty ones.
  // Returns true when something was drawn.
  bool Tick();

  // ---- Host operations ----

  // Copies area pR of the draw bitmap into the frame and records pR. False before PrepDraw.
  bool DrawScreen(IRECT* pR) override;
  // Text fields close at once here: nothing to end.
  void ForceEndUserEdit() override {}
  const char* GetGUIAPI() override { return "Headless GUI"; }
  // Records the message; answers Choose(n) with n, anything else with 0.
  int ShowMessageBox(const char* pText, const char* pCaption, int type) override;
  // Releases the mouse capture, records the menu; a Choose answer naming an enabled item (through
  // submenus) sets the chosen index of the menu holding it and returns that menu; anything else
  // returns null.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pTextRect) override;
  // Records the field; a Text answer is applied at once (SetFromStringAfterPrompt with a
  // parameter, else the control's TextFromTextEntry), cut to the control's text-entry length.
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* pString,
                       IParam* pParam) override;
  void HostPath(WDL_String* pPath) override;
  void PluginPath(WDL_String* pPath) override;
  void DesktopPath(WDL_String* pPath) override;
  void AppSupportPath(WDL_String* pPath, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(WDL_String* pPath) override;
  // A Text answer is the chosen path (pDir becomes its folder); anything else leaves pFilename
  // empty. pDir starts as the desktop when empty.
  void PromptForFile(WDL_String* pFilename, EFileAction action = kFileOpen, WDL_String* pDir = nullptr,
                     const char* extensions = "") override;
  // A Choose answer is the colour as a packed pixel (alpha, red, green, blue).
  bool PromptForColor(IColor* pColor, const char* prompt = "") override;
  // Opens when answered with anything but Cancel.
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  using IGraphics::OpenWindow;
  // Returns a handle (never null) until CloseWindow; pParentWnd is remembered.
  void* OpenWindow(void* pParentWnd) override;
  void CloseWindow() override;
  void* GetWindow() override;
  // A Text answer is the clipboard's text.
  bool GetTextFromClipboard(WDL_String* pStr) override;
  // Hides / shows the pointer: only the flag and the remembered position change.
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  // With tooltips enabled and a window open: the target areas of the visible controls.
  void UpdateTooltips() override;
  // The named ".png" image (extension in any case) from the table, looked up by the full name and
  // then by its file name, else from the resource folder. Null for other names or data that is not
  // a PNG.
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The parent handed to the last OpenWindow, and the tooltip areas registered last.
  void* GetParentWindow() const { return mParent; }
  const std::vector<IRECT>& TooltipAreas() const { return mTooltipAreas; }
  bool IsCursorHidden() const { return mCursorHidden; }

private:
  Answer NextAnswer();
  Prompt& Record(Prompt::Kind kind, const Answer& answer);

  struct Resource
  {
    std::string name;
    std::vector<unsigned char> bytes;
  };
  std::vector<Resource> mResources;
  std::string mResourceFolder;

  std::vector<Answer> mAnswers;
  size_t mNextAnswer = 0;
  std::vector<Prompt> mPrompts;

  LICE_MemBitmap* mFrame = nullptr;
  std::vector<IRECT> mPainted;

  bool mWindowOpen = false;
  void* mParent = nullptr;
  std::vector<IRECT> mTooltipAreas;
};
