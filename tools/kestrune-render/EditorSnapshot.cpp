#include "tools/kestrune-render/EditorSnapshot.h"

#include <cstdlib>

#include "tools/kestrune-render/X11EditorWindow.h"
#include "vst2/EditorSnapshotRequest.h"

namespace kestrune::render {

bool RequestEditorSnapshot(PluginInstance& plugin, EditorPicture& picture, std::string& error) {
  error.clear();
  EditorSnapshotRequest request{0, 0, nullptr};
  // A module that answers every vendor-specific call writes no size: it does not know the request.
  if (plugin.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request) != 1) return false;
  if (request.width == 0 && request.height == 0) return false;
  const int width = request.width, height = request.height;
  if (width < 1 || height < 1 || width > kLargestEditorSide || height > kLargestEditorSide) {
    error = "the plug-in gives its editor a size of " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels, which cannot be drawn";
    return false;
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
  request = {width, height, pixels.data()};
  if (plugin.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request) != 1) {
    error = "the plug-in gave the size of its editor but then did not draw it";
    return false;
  }
  // A panel is seen opaque whatever alpha the module leaves in its pixels.
  for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
  picture = {width, height, std::move(pixels)};
  return true;
}

bool TakeEditorSnapshot(PluginInstance& plugin, EditorPicture& picture, SnapshotSource& source, std::string& error) {
  if (RequestEditorSnapshot(plugin, picture, error)) {
    source = SnapshotSource::kModule;
    return true;
  }
  if (!error.empty()) return false;
  if (!plugin.HasFlag(effFlagsHasEditor)) {
    error = "the plug-in has no editor, so there is no picture of it to take";
    return false;
  }
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    error = "the plug-in draws its editor only in a window, and DISPLAY is not set, so there is no X server to "
            "open one on";
    return false;
  }
  if (!CaptureEditorInX11Window(plugin, display, picture, error)) return false;
  source = SnapshotSource::kX11Window;
  return true;
}

}  // namespace kestrune::render
