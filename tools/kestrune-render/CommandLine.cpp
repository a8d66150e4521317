#include "tools/kestrune-render/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/options/OptionWord.h"

namespace kestrune::render {
namespace {

bool ParseInt(const std::string& text, int minimum, int maximum, int& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < minimum || value > maximum) return false;
  out = static_cast<int>(value);
  return true;
}

// A plain non-negative decimal number of seconds up to maximum ("1.5", "2", "1e-3"; no sign, no
// "inf" or "nan").
bool ParseSeconds(const std::string& text, double maximum, double& out) {
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value) || value > maximum) return false;
  out = value;
  return true;
}

std::string SecondsText(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", seconds);
  return buffer;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options.inputPaths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    tools::OptionWord option(argc, argv, i);
    const std::string& name = option.Name();
    auto takeValue = [&](std::string& out) { return option.TakeValue(out, error); };
    auto rejectInline = [&]() { return option.RejectInlineValue(error); };

    if (name == "-h" || name == "--help") {
      if (!rejectInline()) return false;
      options.showHelp = true;
    } else if (name == "--list") {
      if (!rejectInline()) return false;
      options.listOnly = true;
    } else if (name == "--double") {
      if (!rejectInline()) return false;
      options.doublePrecision = true;
    } else if (name == "--no-latency-compensation") {
      if (!rejectInline()) return false;
      options.compensateLatency = false;
    } else if (name == "--preroll") {
      std::string text;
      if (!takeValue(text)) return false;
      if (!ParseSeconds(text, kMaxPrerollSeconds, options.prerollSeconds)) {
        error = "--preroll needs a number of seconds from 0 to " + SecondsText(kMaxPrerollSeconds) + ", got \"" +
                text + "\"";
        return false;
      }
    } else if (name == "--tail") {
      std::string text;
      if (!takeValue(text)) return false;
      if (text == "auto") {
        options.tailMode = TailMode::kUntilSilent;
      } else if (ParseSeconds(text, kMaxTailSeconds, options.tailSeconds)) {
        options.tailMode = TailMode::kSeconds;
      } else {
        error = "--tail needs a number of seconds from 0 to " + SecondsText(kMaxTailSeconds) +
                " or \"auto\", got \"" + text + "\"";
        return false;
      }
    } else if (name == "-o" || name == "--output") {
      if (!takeValue(options.outputPath)) return false;
      if (options.outputPath.empty()) {
        error = "the output name is empty";
        return false;
      }
    } else if (name == "-j" || name == "--jobs") {
      std::string text;
      if (!takeValue(text)) return false;
      if (!ParseInt(text, 1, kMaxJobs, options.jobs)) {
        error = name + " needs a whole number of jobs from 1 to " + std::to_string(kMaxJobs) + ", got \"" + text + "\"";
        return false;
      }
    } else if (name == "--response") {
      if (!takeValue(options.responsePath)) return false;
      if (options.responsePath.empty()) {
        error = "the --response picture's name is empty";
        return false;
      }
    } else if (name == "--response-csv") {
      if (!takeValue(options.responseCsvPath)) return false;
      if (options.responseCsvPath.empty()) {
        error = "the --response-csv file's name is empty";
        return false;
      }
    } else if (name == "--snapshot") {
      if (!takeValue(options.snapshotPath)) return false;
      if (options.snapshotPath.empty()) {
        error = "the --snapshot picture's name is empty";
        return false;
      }
    } else if (name == "--plugin") {
      if (!takeValue(options.pluginPath)) return false;
    } else if (name == "--program") {
      if (!takeValue(options.programPath)) return false;
    } else if (name == "--bank") {
      if (!takeValue(options.bankPath)) return false;
    } else if (name == "--save-program") {
      if (!takeValue(options.saveProgramPath)) return false;
    } else if (name == "--set") {
      std::string assignment;
      if (!takeValue(assignment)) return false;
      const size_t eq = assignment.find('=');
      if (eq == std::string::npos || eq == 0) {
        error = "--set needs NAME=VALUE, got \"" + assignment + "\"";
        return false;
      }
      options.assignments.push_back({assignment.substr(0, eq), assignment.substr(eq + 1)});
    } else if (name == "--block") {
      std::string text;
      if (!takeValue(text)) return false;
      if (!ParseInt(text, kMinBlockSize, kMaxBlockSize, options.blockSize)) {
        error = "--block needs a whole number of frames from " + std::to_string(kMinBlockSize) + " to " +
                std::to_string(kMaxBlockSize) + ", got \"" + text + "\"";
        return false;
      }
    } else if (name == "--rate") {
      std::string text;
      if (!takeValue(text)) return false;
      if (!ParseInt(text, kMinSampleRate, kMaxSampleRate, options.sampleRate)) {
        error = "--rate needs a whole number of hertz from " + std::to_string(kMinSampleRate) + " to " +
                std::to_string(kMaxSampleRate) + ", got \"" + text + "\"";
        return false;
      }
    } else {
      error = "unknown option \"" + arg + "\" (see --help)";
      return false;
    }
  }
  if (!options.programPath.empty() && !options.bankPath.empty()) {
    error = "--program and --bank cannot be used together";
    return false;
  }
  return true;
}

std::string DefaultOutputPath(const std::string& inputPath) {
  if (inputPath.empty()) return "kestrune-demo.wav";
  const size_t slash = inputPath.find_last_of('/');
  const size_t dot = inputPath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension) return inputPath + "-kestrune.wav";
  return inputPath.substr(0, dot) + "-kestrune" + inputPath.substr(dot);
}

bool MeasuresResponse(const RenderOptions& options) {
  return !options.responsePath.empty() || !options.responseCsvPath.empty();
}

bool TakesSnapshot(const RenderOptions& options) { return !options.snapshotPath.empty(); }

bool RendersDemo(const RenderOptions& options) {
  const bool picturesOnly = MeasuresResponse(options) || TakesSnapshot(options);
  return options.inputPaths.empty() && !options.listOnly && (!picturesOnly || !options.outputPath.empty());
}

std::string UsageText(const std::string& programName) {
  return "Usage: " + programName +
         " [INPUT ...] [-o OUTPUT] [-j N] [--plugin PATH] [--set NAME=VALUE ...]\n"
         "       [--program FILE.fxp | --bank FILE.fxb] [--save-program FILE.fxp]\n"
         "       [--block N] [--rate HZ] [--double] [--preroll SECONDS]\n"
         "       [--tail SECONDS|auto] [--no-latency-compensation]\n"
         "       [--response FILE.png] [--response-csv FILE.csv] [--snapshot FILE.png] [--list]\n"
         "\n"
         "Renders audio files offline through a VST 2 plug-in (Kestrune by default), measures its\n"
         "frequency response and takes pictures of its editor.\n"
         "\n"
         "  INPUT ...          WAV, FLAC, AIFF or Ogg files, mono or stereo. Without one a built-in\n"
         "                     demo (plucked strings, then a slow sweep) is rendered, unless only\n"
         "                     --response, --response-csv or --snapshot is asked for.\n"
         "  -o, --output PATH  where to write. For one input, the file; the extension picks the format\n"
         "                     (.wav .flac .aif .aiff .ogg), and the input's sample format is kept when\n"
         "                     the container allows it. For several inputs, a folder (made if missing)\n"
         "                     that receives each output under its input's name; a PATH ending in \"/\"\n"
         "                     or naming a folder is a folder for one input too. Default: INPUT with\n"
         "                     \"-kestrune\" before the extension, or kestrune-demo.wav for the demo.\n"
         "                     A file appears only when complete.\n"
         "  -j, --jobs N       render up to N files at once, each through its own plug-in instance\n"
         "                     (default: one per processor, at most 256).\n"
         "  --plugin PATH      VST 2 module to load. Default: Kestrune.so beside the tool's build\n"
         "                     folder (../Kestrune.so), then ~/.vst/Kestrune.so.\n"
         "  --set NAME=VALUE   set a parameter by the name the plug-in reports (see --list), or by its\n"
         "                     index. VALUE is read by the plug-in as it displays values (e.g. 0.7);\n"
         "                     norm:X gives the normalised value X in 0..1 directly.\n"
         "  --program FILE     load an FXP program file (parameter or chunk form) before rendering.\n"
         "  --bank FILE        load an FXB bank file (parameter or chunk form) before rendering.\n"
         "  --save-program F   write the current program, after all settings, as an FXP file.\n"
         "  --block N          frames per processing call (default 512, 1..65536).\n"
         "  --rate HZ          sample rate of the demo and of --response (default 48000). There is no\n"
         "                     resampling: with INPUTs it must equal each file's rate, which the output\n"
         "                     keeps.\n"
         "  --double           process in double precision (plug-ins that offer it).\n"
         "  --preroll SECONDS  run the plug-in on silence for this long before the input and discard\n"
         "                     what it gives, so smoothed settings have settled as in a DAW\n"
         "                     (default 3, at most 60; 0 renders the raw stream from the first call).\n"
         "  --tail SECONDS     render this much silence after the input, so reverb and delay tails are\n"
         "                     kept (at most 600). \"auto\" renders until the output has stayed below\n"
         "                     -120 dBFS for a second (at most 30 s). Default: the tail the plug-in\n"
         "                     reports (at most 30 s), else none.\n"
         "  --no-latency-compensation\n"
         "                     keep the plug-in's reported latency in the output. By default the\n"
         "                     output is shifted back by it, so it lines up with the input.\n"
         "  --response FILE    measure the plug-in's frequency response at the settings given and draw\n"
         "                     it as a PNG picture: gain in dB from 20 Hz to 20 kHz, one curve per\n"
         "                     output channel. The measurement feeds the same exponential sine sweep\n"
         "                     at -60 dBFS to every input, after the pre-roll.\n"
         "  --response-csv F   write the measured gains as comma-separated values: the frequency in\n"
         "                     Hz, then each channel's gain in dB, 160 lines per decade.\n"
         "  --snapshot FILE    draw the plug-in's editor, as it looks after the settings given, into a\n"
         "                     PNG picture. A module that answers the editor snapshot request draws\n"
         "                     it without a display; any other editor is opened in a window on the\n"
         "                     X display $DISPLAY names and read back from there.\n"
         "  --list             print the plug-in's identity, latency, tail and parameters (after\n"
         "                     --program, --bank and --set are applied) and render no audio.\n"
         "  -h, --help         show this text.\n"
         "\n"
         "Mono files run through the plug-in's mono configuration; a plug-in without one receives\n"
         "the mono signal on both inputs and its first output is kept. Files with other channel\n"
         "counts are refused. Settings apply in this order: --program/--bank, then each --set; when\n"
         "there are several things to do they are checked, and --save-program written, once before\n"
         "any of them starts.\n"
         "\n"
         "Exit status: 0 on success, 1 when anything fails (what can still be done is done, and no\n"
         "partial file is left behind), 2 for a malformed command line.\n";
}

}  // namespace kestrune::render
