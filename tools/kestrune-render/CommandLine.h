#pragma once
// Command line of kestrune-render: what to render, through which plug-in, with which settings.

#include <string>
#include <vector>

namespace kestrune::render {

// What --tail asked for: the plug-in's own answer (the default), a fixed length, or until the output
// has fallen silent.
enum class TailMode { kPluginReported, kSeconds, kUntilSilent };

// One --set NAME=VALUE, kept as typed: the plug-in decides what the value means.
struct ParameterAssignment {
  std::string name;
  std::string value;
};

struct RenderOptions {
  std::string inputPath;        // empty: render the built-in demo
  std::string outputPath;       // empty: derived from the input (or "kestrune-demo.wav")
  std::string pluginPath;       // empty: the Kestrune.so installed beside the tool
  std::vector<ParameterAssignment> assignments;
  std::string programPath;      // --program FILE.fxp
  std::string bankPath;         // --bank FILE.fxb
  std::string saveProgramPath;  // --save-program FILE.fxp
  int blockSize = 512;
  int sampleRate = 0;           // 0: the input's rate, or 48000 for the demo
  bool doublePrecision = false;
  double prerollSeconds = 3.0;  // silence run through the plug-in, and discarded, before the input
  bool compensateLatency = true;
  TailMode tailMode = TailMode::kPluginReported;
  double tailSeconds = 0.0;     // TailMode::kSeconds only
  bool listOnly = false;
  bool showHelp = false;
};

// Bounds accepted for --block and --rate.
constexpr int kMinBlockSize = 1;
constexpr int kMaxBlockSize = 65536;
constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 768000;
constexpr int kDefaultDemoRate = 48000;
// Bounds accepted for --preroll and --tail SECONDS.
constexpr double kMaxPrerollSeconds = 60.0;
constexpr double kMaxTailSeconds = 600.0;

// Fills options from argv[1..argc); returns false and a one-line reason on a malformed line.
bool ParseCommandLine(int argc, const char* const* argv, RenderOptions& options, std::string& error);

// The --help text, naming the program as invoked.
std::string UsageText(const std::string& programName);

// The output name used when -o is absent: "<input stem>-kestrune<ext>", or the demo's file.
std::string DefaultOutputPath(const std::string& inputPath);

}  // namespace kestrune::render
