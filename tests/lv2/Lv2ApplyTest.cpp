// Debian's lv2apply rendering a file through the bundle gives, sample for sample, what
// kestrune-render gives through the VST 2 module at the same settings.

#include "tests/lv2/Lv2TestSupport.h"
#include "tests/tools/ToolRunner.h"

#include <unistd.h>

namespace kestrune_test {
namespace {

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// How to run a tool on the bundle's module: in sanitizer builds the module needs the sanitizer
// runtime loaded first, which a system tool does not do by itself.
std::string ModuleEnvironment() {
#ifdef KESTRUNE_SANITIZED
  const CommandResult runtime = RunCommand("gcc -print-file-name=libasan.so");
  std::string path = runtime.output.substr(0, runtime.output.find('\n'));
  return "LD_PRELOAD=" + Quote(path) + " ASAN_OPTIONS=detect_leaks=0 ";
#else
  return "";
#endif
}

struct Setting {
  const char* what;
  std::vector<std::pair<std::string, std::string>> lv2;  // lv2apply -c SYMBOL VALUE
  std::vector<std::string> vst;                          // kestrune-render --set NAME=VALUE
};

TEST(Lv2Apply, RendersTheSameSamplesAsKestruneRenderThroughTheVst2Module) {
  ScratchFolder folder;
  ASSERT_EQ(symlink(kBundlePath, folder.File("Kestrune.lv2").c_str()), 0);
  ASSERT_TRUE(WriteAudio(folder.File("in.wav"), TestSignal(2, 20000, 44100)));
  // kestrune-render without a pre-roll is what lv2apply does: start on the first frame of the file.
  const CommandResult help = RunCommand(Quote(KESTRUNE_RENDER_PATH) + " --help");
  const std::string preroll = help.output.find("--preroll") != std::string::npos ? " --preroll 0" : "";

  const std::vector<Setting> settings = {
      {"defaults", {}, {}},
      {"bright circuit",
       {{"circuit", "1"}, {"out", "0.625"}, {"hi", "0.75"}, {"lo", "0.25"}},
       {"1=1", "OUT=0.625", "HI=0.75", "LO=0.25"}},
      {"bypass", {{"enabled", "0"}, {"out", "0.875"}}, {"Bypass=1", "OUT=0.875"}},
      {"knobs", {{"out", "0.875"}, {"hi", "0.1875"}, {"lo", "0.9375"}}, {"OUT=0.875", "HI=0.1875", "LO=0.9375"}}};
  for (const Setting& setting : settings) {
    std::string lv2apply = "LV2_PATH=" + Quote(folder.Path()) + " " + ModuleEnvironment() + "lv2apply -i " +
                           Quote(folder.File("in.wav")) + " -o " + Quote(folder.File("lv2.wav"));
    for (const auto& control : setting.lv2) lv2apply += " -c " + control.first + " " + control.second;
    const CommandResult applied = RunCommand(lv2apply + " " + kKestruneUri);
    ASSERT_EQ(applied.status, 0) << setting.what << "\n" << applied.output;

    std::string render = Quote(KESTRUNE_RENDER_PATH) + " " + Quote(folder.File("in.wav")) + " -o " +
                         Quote(folder.File("vst.wav")) + preroll;
    for (const std::string& assignment : setting.vst) render += " --set " + assignment;
    const CommandResult rendered = RunCommand(render);
    ASSERT_EQ(rendered.status, 0) << setting.what << "\n" << rendered.output;

    Audio lv2, vst;
    ASSERT_TRUE(ReadAudio(folder.File("lv2.wav"), lv2)) << setting.what;
    ASSERT_TRUE(ReadAudio(folder.File("vst.wav"), vst)) << setting.what;
    EXPECT_EQ(lv2.channels, 2) << setting.what;
    EXPECT_EQ(lv2.Frames(), 20000) << setting.what;
    EXPECT_TRUE(lv2.samples == vst.samples) << setting.what;
  }
}

}  // namespace
}  // namespace kestrune_test
