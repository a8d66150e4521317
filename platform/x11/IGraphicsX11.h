#pragma once

#include <memory>

#include "graphics/IGraphics.h"

class IGraphicsX11View_vKestrune_vst;
struct EmbeddedResourceTable;

// The editor host on X11: the editor's view is a child window of a window the host created,
// painted from the draw bitmap, with the platform's mouse, wheel and key events turned into editor
// calls, and menus, text fields and tooltips drawn by the editor itself.
//
// Hosts drive it from their user-interface thread only: OpenWindow with the id of the host's
// window, Idle many times a second (it handles the view's events and runs the redraw timer at the
// editor's refresh rate; the module creates no thread), CloseWindow before the host's window goes
// away. The editor opens its own connection to the X server for each opening and leaves the host's
// connection, threads and error handlers alone; a bogus parent makes OpenWindow fail, and a parent
// destroyed early or a server that went away close the view quietly (Idle returns false).
//
// Everything a VST 2 host or an LV2 UI needs is public: OpenWindow with the parent window id
// (passed as a pointer-sized value), GetViewWindowId for the embedded widget, Width and Height for
// the size, Idle as the pump, CloseWindow.
class IGraphicsX11 : public IGraphics
{
public:
  // An editor of width x height pixels redrawn refreshFPS times per second (25 when <= 0).
  IGraphicsX11(IPlugBase* pPlug, int width, int height, int refreshFPS = 0);
  // Closes the view as CloseWindow does.
  ~IGraphicsX11() override;

  // Images are decoded from this table of the module's files (see FindEmbeddedImage); until it is
  // set, none load. The table must outlive the editor.
  void SetResources(const EmbeddedResourceTable* pTable) { mResources = pTable; }

  // ---- Window ----

  using IGraphics::OpenWindow;
  // Closes an open view, then creates the view as a child of the X window whose id is the value
  // of pParentWnd, on a new connection to $DISPLAY, and shows it. Returns the view, or null when
  // there is no display, the id names no window, or the window's visual cannot be drawn to.
  void* OpenWindow(void* pParentWnd) override;
  // Destroys the view's window (when the host has not destroyed it already) and closes the
  // connection. Called from inside an event of the view (a control's handler), it takes effect
  // when that event's handling returns.
  void CloseWindow() override;
  // The view, or null.
  void* GetWindow() override;
  // The X window id of the view, 0 while closed.
  unsigned long GetViewWindowId() const;
  // Handles the view's pending events, repaints exposed areas and, once per period of the
  // refresh rate, repaints the dirty controls. False when no view is open (any more).
  bool Idle() override;
  // Redraw-timer ticks run so far (each asks the editor for dirty controls).
  unsigned long TimerTicks() const { return mTimerTicks; }

  // ---- Painting ----

  // Copies area pR of the draw bitmap to the view. False without a view.
  bool DrawScreen(IRECT* pR) override;
  // A new size: the editor is rebuilt as IGraphics::Resize says and the view follows. The same
  // size changes nothing.
  void Resize(int w, int h) override;

  // ---- Prompts, drawn by the editor ----

  // Shows pMenu below pTextRect and waits (handling the view's repaints) until an item is chosen,
  // Escape is pressed or a click lands outside the menu. Returns the menu holding the chosen item,
  // its chosen index set, or null; null at once without a view.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pTextRect) override;
  // Opens a one-line text field over pTextRect showing pString. Enter or the field losing the
  // focus applies the text (SetFromStringAfterPrompt for a parameter, else the control's
  // TextFromTextEntry); Escape, a wheel turn or ForceEndUserEdit end it without applying. Nothing
  // without a view or a control, or while a field is open.
  void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* pString,
                       IParam* pParam) override;
  // Closes the open text field without applying it.
  void ForceEndUserEdit() override;
  // With tooltips enabled and a view: the target areas of the visible controls show their
  // control's tooltip after the pointer rests there.
  void UpdateTooltips() override;

  // ---- Pointer and clipboard ----

  // Hides the pointer (XFixes) and remembers where it is; the flag is set only when it worked.
  void HideMouseCursor() override;
  // Moves the pointer back to where it was hidden and shows it.
  void ShowMouseCursor() override;
  // The CLIPBOARD selection as UTF-8 text, waiting at most a second for its owner. False (and
  // pStr empty) without a view, an owner or text.
  bool GetTextFromClipboard(WDL_String* pStr) override;

  // ---- Outside the editor ----

  const char* GetGUIAPI() override { return "X11 GUI"; }
  // A dialog of zenity, else kdialog (see RunMessageBox); without either, 1 (the default button).
  int ShowMessageBox(const char* pText, const char* pCaption, int type) override;
  // A file dialog of zenity, else kdialog; without either, or without a view, pFilename is empty.
  void PromptForFile(WDL_String* pFilename, EFileAction action = kFileOpen, WDL_String* pDir = nullptr,
                     const char* extensions = "") override;
  // Not offered here: false.
  bool PromptForColor(IColor* pColor, const char* prompt = "") override;
  // Runs xdg-open with url as its single argument. True when xdg-open could be started.
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  // The module file, its folder with a trailing "/", the XDG desktop folder, the XDG data folder
  // (system: /usr/local/share), and home + "/Music".
  void HostPath(WDL_String* pPath) override;
  void PluginPath(WDL_String* pPath) override;
  void DesktopPath(WDL_String* pPath) override;
  void AppSupportPath(WDL_String* pPath, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(WDL_String* pPath) override;
  // The named ".png" image from the resource table (see FindEmbeddedImage), or null.
  LICE_IBitmap* OSLoadBitmap(int id, const char* name) override;

private:
  friend class IGraphicsX11View_vKestrune_vst;

  // Runs the redraw timer once: repaints the dirty controls. Called by the view.
  void TimerTick();
  // Destroys the view now, unless an event of it is being handled (then at its end).
  void DestroyViewWhenIdle();

  std::unique_ptr<IGraphicsX11View_vKestrune_vst> mView;
  const EmbeddedResourceTable* mResources = nullptr;
  unsigned long mTimerTicks = 0;
  // Depth of calls from the view into the editor; the view is destroyed only at depth 0.
  int mDispatchDepth = 0;
  bool mCloseRequested = false;
};
