#pragma once

#include "lv2/IPlugLV2.h"

#include <lv2/ui/ui.h>

#include <memory>
#include <vector>

// The LV2 face of a plug-in's editor: an X11 UI (ui:X11UI) that makes an object of the effect of
// its own, builds the editor for it with the description's factory and shows it inside the host's
// window (ui:parent). It never touches the instance that processes audio, so it works in hosts
// that run UIs on another thread or in another process:
// - the editor's parameter changes are written to the plug-in's control ports through the host's
//   write function, as plain port values, and its gestures are bracketed with the host's ui:touch
//   when the host offers it;
// - the host's port events move the parameters and the editor's controls, except on a parameter
//   the user is holding (a gesture in progress), whose older values the host may still be sending;
// - the host drives it through ui:idleInterface: each idle call handles the editor's events and
//   redraws; it reports the UI closed once the view went away (its parent destroyed, the server
//   gone);
// - the host is told the editor's size through ui:resize when it offers it.
// Every call comes from the host's UI thread.
class IPlugLV2UI
{
public:
  // Makes a new object of the effect, through factory, with this UI in its instance information,
  // attaches the editor that description.makeEditor builds for it, and opens the editor in the
  // window that the host's ui:parent names; *pWidget becomes the editor's X window. Null when there
  // is no parent, no editor (not an X11 one), or the editor cannot be opened there (no display, no
  // such window).
  static IPlugLV2UI* Create(const IPlugLV2Description& description,
                            IPlugLV2* (*factory)(const IPlugInstanceInfo&),
                            LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                            LV2UI_Widget* pWidget, const LV2_Feature* const* features);
  // Closes the editor and deletes the effect's object.
  ~IPlugLV2UI();

  IPlugLV2UI(const IPlugLV2UI&) = delete;
  IPlugLV2UI& operator=(const IPlugLV2UI&) = delete;

  // ---- From the effect's object ----

  // Writes a control port's new value through the host.
  void WritePort(int paramIdx, float portValue);
  // A gesture on a parameter begins (grabbed) or ends: told to the host's ui:touch when offered.
  void Touch(int paramIdx, bool grabbed);
  // Tells the host's ui:resize the editor's new size, when offered.
  void RequestSize(int width, int height);

  // ---- LV2 UI callbacks (host to UI), each for the UI handle it is given ----

  // Deletes the UI.
  static void Cleanup(LV2UI_Handle ui);
  // A control port's value (format 0, one float) for a parameter's port moves that parameter;
  // other ports, formats and sizes are ignored.
  static void PortEvent(LV2UI_Handle ui, uint32_t portIndex, uint32_t bufferSize, uint32_t format,
                        const void* buffer);
  // The idle interface for LV2_UI__idleInterface; null for anything else.
  static const void* ExtensionData(const char* uri);
  // One round of the editor's events and redraws; non-zero once the editor's view is gone.
  static int Idle(LV2UI_Handle ui);

private:
  IPlugLV2UI(LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
             const LV2_Feature* const* features);

  std::unique_ptr<IPlugLV2> mPlug;
  LV2UI_Write_Function mWriteFunction;
  LV2UI_Controller mController;
  const LV2UI_Touch* mTouch = nullptr;
  const LV2UI_Resize* mResize = nullptr;
  // Per parameter: a gesture is in progress.
  std::vector<bool> mHeld;
};
