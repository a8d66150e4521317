#include "tools/kestrune-render/SnapshotJob.h"

#include <cstring>
#include <memory>

#include "rasterizer/lice_membitmap.h"
#include "tools/kestrune-render/EditorSnapshot.h"
#include "tools/kestrune-render/FileBytes.h"
#include "tools/kestrune-render/PluginSetup.h"
#include "tools/picture/PngEncoder.h"

namespace kestrune::render {

bool WriteSnapshot(const RenderOptions& options, bool saveProgram, ProgressReporter& progress, std::string& error) {
  if (!CheckWritable(options.snapshotPath, error)) return false;
  std::unique_ptr<PluginInstance> plugin = LoadPlugin(options, error);
  if (!plugin) return false;
  plugin->Open(options.sampleRate != 0 ? options.sampleRate : kDefaultDemoRate, options.blockSize);
  if (!ApplySettings(*plugin, options, saveProgram, error)) return false;

  EditorPicture picture;
  SnapshotSource source = SnapshotSource::kModule;
  if (!TakeEditorSnapshot(*plugin, picture, source, error)) {
    error = "cannot take a picture of the editor for \"" + options.snapshotPath + "\": " + error;
    return false;
  }
  LICE_MemBitmap bitmap(picture.width, picture.height);
  if (bitmap.getBits() == nullptr) {
    error = "no memory for a picture of " + std::to_string(picture.width) + " x " + std::to_string(picture.height) + " pixels";
    return false;
  }
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(bitmap.getBits() + static_cast<size_t>(y) * static_cast<size_t>(bitmap.getRowSpan()),
                picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width),
                static_cast<size_t>(picture.width) * sizeof(uint32_t));
  }
  const std::vector<uint8_t> png = picture::EncodePng(&bitmap);
  if (png.empty()) {
    error = "cannot encode the picture for \"" + options.snapshotPath + "\"";
    return false;
  }
  if (!WriteFileAtomically(options.snapshotPath, png, error)) return false;
  progress.Print(stdout, "Drew the editor (" + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
                             (source == SnapshotSource::kModule ? ", drawn by the module" : ", read from an X11 window") +
                             ") -> " + options.snapshotPath);
  return true;
}

}  // namespace kestrune::render
