// parameters: ordinary, random and hostile values, set while suspended and between blocks on the
// audio thread, and garbage text, leave every parameter readable in 0..1 and the output finite.

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"
#include "tools/kestrune-validate/checks/TextAudit.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;

struct Value {
  float value;
  const char* name;  // "" for an ordinary value, printed as a number
};

std::vector<Value> Values(Random& random, int randomCount) {
  constexpr float inf = std::numeric_limits<float>::infinity();
  std::vector<Value> values{{0.f, ""}, {1.f, ""}, {0.5f, ""}};
  for (int i = 0; i < randomCount; ++i) values.push_back({static_cast<float>(random.Unit()), ""});
  for (Value hostile : {Value{-1.f, "-1"}, Value{2.f, "2"}, Value{std::nanf(""), "NaN"}, Value{inf, "+inf"},
                        Value{-inf, "-inf"}, Value{std::numeric_limits<float>::max(), "FLT_MAX"},
                        Value{-0.f, "-0"}, Value{1e-40f, "a subnormal"}}) {
    values.push_back(hostile);
  }
  return values;
}

std::string ValueText(const Value& v) {
  if (v.name[0] != '\0') return v.name;
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", static_cast<double>(v.value));
  return text;
}

const std::vector<std::string>& GarbageTexts() {
  static const std::vector<std::string> texts{
      "", "abc", "nan", "NaN", "inf", "-inf", "1e309", "-1e309", "1e-320", std::string(10000, '9'), "0x1p4", " ",
      "\xff\xfe\xfd", "1,5", "%s%s%s%s%n", "-", "+", "1e", "0.5 dB", "\t\n", "-0", "12345678901234567890"};
  return texts;
}

class ParameterProbe {
 public:
  ParameterProbe(CheckContext& context, Plugin& plugin)
      : context_(context), plugin_(plugin), runner_(plugin, kBlock, kRate, context.Seed()), audit_(context) {}

  // After what (a description of the last change): every parameter reads in 0..1, parameter index's
  // display text behaves, and a block of noise comes out finite. False after a failure.
  bool Inspect(int index, const std::string& what) {
    for (int p = 0; p < plugin_.Params(); ++p) {
      const float v = plugin_.GetParameter(p);
      if (!(v >= 0.f && v <= 1.f)) {
        context_.Fail("after " + what + ", getParameter(" + std::to_string(p) + ") reads " + Number(v) +
                      ", outside 0..1");
        return false;
      }
    }
    if (index >= 0) {
      audit_.Ask(plugin_, effGetParamDisplay, index, kVstMaxParamStrLen, "effGetParamDisplay",
                 "effGetParamDisplay(" + std::to_string(index) + ") after " + what);
    }
    const std::string bad = runner_.Run(SignalKind::kNoise, position_, kBlock, Precision::kFloat);
    position_ += kBlock;
    if (!bad.empty()) {
      context_.Fail("after " + what + ": " + bad);
      return false;
    }
    return !context_.Failed();
  }

  void Finish() { audit_.ReportWarnings(); }

 private:
  static std::string Number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    return text;
  }
  CheckContext& context_;
  Plugin& plugin_;
  BlockRunner runner_;
  TextAudit audit_;
  int64_t position_ = 0;
};

// Every parameter at once to each value, set while the effect is suspended.
bool WhileSuspended(CheckContext& context, Plugin& plugin, ParameterProbe& probe, const std::vector<Value>& values) {
  for (const Value& v : values) {
    const std::string what = "setting every parameter to " + ValueText(v) + " while suspended";
    context.Progress(what);
    plugin.Suspend();
    for (int p = 0; p < plugin.Params(); ++p) plugin.SetParameter(p, v.value);
    plugin.Resume();
    if (!probe.Inspect(-1, what)) return false;
  }
  return true;
}

// One parameter at a time, between blocks on the audio thread, as host automation arrives.
bool BetweenBlocks(CheckContext& context, Plugin& plugin, ParameterProbe& probe, const std::vector<Value>& values) {
  for (int p = 0; p < plugin.Params(); ++p) {
    context.Progress("values for parameter " + std::to_string(p) + " between blocks");
    const float original = plugin.GetParameter(p);
    for (const Value& v : values) {
      plugin.SetParameter(p, v.value);
      if (!probe.Inspect(p, "setting parameter " + std::to_string(p) + " to " + ValueText(v) + " between blocks")) {
        return false;
      }
    }
    plugin.SetParameter(p, original);
  }
  return true;
}

bool GarbageText(CheckContext& context, Plugin& plugin, ParameterProbe& probe) {
  for (int p = 0; p < plugin.Params(); ++p) {
    context.Progress("garbage text for parameter " + std::to_string(p));
    for (const std::string& text : GarbageTexts()) {
      plugin.TextToParameter(p, text);
      if (!probe.Inspect(p, "effString2Parameter(" + std::to_string(p) + ", \"" + Printable(text, 20) + "\")")) {
        return false;
      }
    }
    plugin.Dispatch(effString2Parameter, p, 0, nullptr);
    if (!probe.Inspect(p, "effString2Parameter(" + std::to_string(p) + ") without text")) return false;
  }
  return true;
}

// A display text typed back in should land where it was read. Plug-ins that refuse text (answer
// 0) are fine; one that takes it and moves elsewhere gets a warning.
void TextRoundTrip(CheckContext& context, Plugin& plugin) {
  int moved = 0;
  std::string example;
  for (int p = 0; p < plugin.Params(); ++p) {
    context.Progress("display text read back into parameter " + std::to_string(p));
    for (float v : {0.f, 0.25f, 0.5f, 0.75f, 1.f}) {
      plugin.SetParameter(p, v);
      const std::string shown = plugin.Text(effGetParamDisplay, p);
      if (shown.empty() || plugin.TextToParameter(p, shown) == 0) continue;
      const std::string again = plugin.Text(effGetParamDisplay, p);
      if (again != shown && moved++ == 0) {
        example = "parameter " + std::to_string(p) + " showing \"" + Printable(shown, 20) + "\" took the text and then showed \"" +
                  Printable(again, 20) + "\"";
      }
    }
  }
  if (moved > 0) {
    context.Warn("effString2Parameter does not take back the display text " + std::to_string(moved) + " time" +
                 (moved == 1 ? "" : "s") + " (e.g. " + example + ")");
  }
}

}  // namespace

void RunParametersCheck(CheckContext& context) {
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin) return;
  if (plugin->Params() == 0) {
    context.Skip("the module has no parameters");
    return;
  }
  Random random(Mix(context.Seed(), 5));
  const std::vector<Value> values = Values(random, context.Strict().RandomValues());
  ParameterProbe probe(context, *plugin);
  if (!probe.Inspect(-1, "opening")) return;
  const bool sane = WhileSuspended(context, *plugin, probe, values) && BetweenBlocks(context, *plugin, probe, values) &&
                    GarbageText(context, *plugin, probe);
  probe.Finish();
  if (sane) TextRoundTrip(context, *plugin);
}

}  // namespace kestrune::validate
