// kestrune-panel-art: draws Kestrune's panel images (make panel-art writes them to resources/img)
// and composes previews of the panel as the editor shows it.

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/kestrune-panel-art/PanelArt.h"
#include "tools/kestrune-panel-art/PngEncoder.h"
#include "tools/kestrune-render/FileBytes.h"

using namespace kestrune::panelart;

namespace {

constexpr char kUsage[] =
    "usage: kestrune-panel-art FOLDER\n"
    "         draws the six panel images into FOLDER (bg.png, by.png, BR.png, OUT.png, HI.png, LO.png)\n"
    "       kestrune-panel-art --preview FILE.png [--from FOLDER] [--bypass V] [--circuit V]\n"
    "                          [--out V] [--hi V] [--lo V]\n"
    "         writes the panel as the editor shows it, with the controls at the normalised values V\n"
    "         (defaults: the plug-in's defaults), from the images in FOLDER or freshly drawn ones\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "kestrune-panel-art: error: %s\n", message.c_str());
  return 1;
}

bool ParseValue(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && value >= 0.0 && value <= 1.0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder, preview, from;
  ControlValues values;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    double* value = arg == "--bypass"  ? &values.bypass
                    : arg == "--circuit" ? &values.circuit
                    : arg == "--out"     ? &values.out
                    : arg == "--hi"      ? &values.hi
                    : arg == "--lo"      ? &values.lo
                                         : nullptr;
    const bool takesArgument = value || arg == "--preview" || arg == "--from";
    if (takesArgument && i + 1 >= argc) return Fail(arg + " needs a value\n" + kUsage);
    if (value) {
      if (!ParseValue(argv[++i], *value)) return Fail(arg + " takes a number from 0 to 1");
    } else if (arg == "--preview") {
      preview = argv[++i];
    } else if (arg == "--from") {
      from = argv[++i];
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg.empty() || arg[0] == '-' || !folder.empty()) {
      return Fail("unexpected argument \"" + arg + "\"\n" + kUsage);
    } else {
      folder = arg;
    }
  }
  if (folder.empty() == preview.empty()) return Fail(std::string("give either a FOLDER or --preview\n") + kUsage);

  struct stat folderInfo {};
  if (!folder.empty() && (stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)))
    return Fail("\"" + folder + "\" is not a folder");

  std::string error;
  PanelArt art;
  const bool ready = from.empty() ? DrawPanelArt(art, error) : ReadPanelArt(from, art, error);
  if (!ready) return Fail(error);
  if (!folder.empty()) return WritePanelArt(art, folder, error) ? 0 : Fail(error);

  const Image panel = ComposePanel(art, values);
  return kestrune::render::WriteFileAtomically(preview, EncodePng(panel.get()), error) ? 0 : Fail(error);
}
