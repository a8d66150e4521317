#pragma once
// A plug-in's editor opened in an X11 window of the tool's own, for a picture of it.

#include <string>

#include "tools/kestrune-render/EditorSnapshot.h"
#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

// Opens the effect's editor (effEditOpen) in a top-level window of its own on the X display named
// displayName, lets it draw through effEditIdle calls until its picture holds still (at most about
// two seconds), reads the window back and closes the editor and the window again. Returns false and
// a reason when the display cannot be opened, the editor gives no size, is larger than the screen or
// does not open, or the window cannot be read.
bool CaptureEditorInX11Window(PluginInstance& plugin, const char* displayName, EditorPicture& picture,
                              std::string& error);

}  // namespace kestrune::render
