#pragma once
// A picture of a plug-in's editor as it looks at the current settings.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

// An editor's pixels: width x height opaque 0xFFRRGGBB words, rows top to bottom.
struct EditorPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// How the picture was taken.
enum class SnapshotSource { kModule, kX11Window };

// Largest editor side accepted from a plug-in, in pixels.
constexpr int kLargestEditorSide = 16384;

// Asks the open effect to draw its editor into memory (the vendor-specific editor snapshot
// request). Returns false when it does not answer the request; then error holds a reason only when
// it answered wrongly (a size out of range, or a size but no drawing), and is empty when it simply
// does not know the request.
bool RequestEditorSnapshot(PluginInstance& plugin, EditorPicture& picture, std::string& error);

// Takes the picture: through the snapshot request, else, for an effect with an editor
// (effFlagsHasEditor), by opening the editor in an X11 window of our own on $DISPLAY and reading it
// back. Returns false and a reason saying why no picture could be taken (no editor, no display,
// the display refused, the editor did not open).
bool TakeEditorSnapshot(PluginInstance& plugin, EditorPicture& picture, SnapshotSource& source, std::string& error);

}  // namespace kestrune::render
