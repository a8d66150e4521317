#include "tools/kestrune-render/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

// Splits "--name=value" into its two halves; plain "--name" leaves value empty.
bool SplitInlineValue(const std::string& arg, std::string& name, std::string& value) {
  const size_t eq = arg.find('=');
  if (arg.compare(0, 2, "--") != 0 || eq == std::string::npos) {
    name = arg;
    return false;
  }
  name = arg.substr(0, eq);
  value = arg.substr(eq + 1);
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!options.inputPath.empty()) {
        error = "only one input file can be given (got \"" + options.inputPath + "\" and \"" + arg + "\")";
        return false;
      }
      options.inputPath = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name;
    std::string value;
    const bool hasInline = SplitInlineValue(arg, name, value);
    auto takeValue = [&](std::string& out) {
      if (hasInline) {
        out = value;
        return true;
      }
      if (i + 1 >= argc) {
        error = name + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto rejectInline = [&]() {
      if (hasInline) error = name + " takes no value";
      return !hasInline;
    };

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

std::string UsageText(const std::string& programName) {
  return "Usage: " + programName +
         " [INPUT] [-o OUTPUT] [--plugin PATH] [--set NAME=VALUE ...]\n"
         "       [--program FILE.fxp | --bank FILE.fxb] [--save-program FILE.fxp]\n"
         "       [--block N] [--rate HZ] [--double] [--preroll SECONDS]\n"
         "       [--tail SECONDS|auto] [--no-latency-compensation] [--list]\n"
         "\n"
         "Renders an audio file offline through a VST 2 plug-in (Kestrune by default).\n"
         "\n"
         "  INPUT              WAV, FLAC, AIFF or Ogg file, mono or stereo. Without it a built-in\n"
         "                     demo (plucked strings, then a slow sweep) is rendered.\n"
         "  -o, --output FILE  where to write; the extension picks the format (.wav .flac .aif .aiff\n"
         "                     .ogg). The input's sample format is kept when the container allows it.\n"
         "                     Default: INPUT with \"-kestrune\" before the extension, or\n"
         "                     kestrune-demo.wav for the demo. The file appears only when complete.\n"
         "  --plugin PATH      VST 2 module to load. Default: Kestrune.so beside the tool's build\n"
         "                     folder (../Kestrune.so), then ~/.vst/Kestrune.so.\n"
         "  --set NAME=VALUE   set a parameter by the name the plug-in reports (see --list), or by its\n"
         "                     index. VALUE is read by the plug-in as it displays values (e.g. 0.7);\n"
         "                     norm:X gives the normalised value X in 0..1 directly.\n"
         "  --program FILE     load an FXP program file (parameter or chunk form) before rendering.\n"
         "  --bank FILE        load an FXB bank file (parameter or chunk form) before rendering.\n"
         "  --save-program F   write the current program, after all settings, as an FXP file.\n"
         "  --block N          frames per processing call (default 512, 1..65536).\n"
         "  --rate HZ          sample rate of the demo (default 48000). There is no resampling: with\n"
         "                     an INPUT it must equal the file's rate, which the output keeps.\n"
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
         "  --list             print the plug-in's identity, latency, tail and parameters (after\n"
         "                     --program, --bank and --set are applied) and render nothing.\n"
         "  -h, --help         show this text.\n"
         "\n"
         "Mono files run through the plug-in's mono configuration; a plug-in without one receives\n"
         "the mono signal on both inputs and its first output is kept. Files with other channel\n"
         "counts are refused. Settings apply in this order: --program/--bank, then each --set.\n"
         "\n"
         "Exit status: 0 on success, 1 when anything fails (no output file is left behind), 2 for a\n"
         "malformed command line.\n";
}

}  // namespace kestrune::render
