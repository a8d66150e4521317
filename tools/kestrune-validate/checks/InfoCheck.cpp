// info: every text a host reads stays inside the buffers hosts pass and is valid UTF-8.

#include <algorithm>
#include <string>
#include <utility>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/TextAudit.h"

namespace kestrune::validate {
namespace {

// Programs beyond this many are sampled, not all read: banks of thousands add nothing.
constexpr int kMaxProgramsRead = 128;

std::string Indexed(const char* opcode, int index) { return std::string(opcode) + "(" + std::to_string(index) + ")"; }

void ReadIdentity(TextAudit& audit, Plugin& plugin, int& emptyNames) {
  if (audit.Ask(plugin, effGetEffectName, 0, kVstMaxEffectNameLen, "effGetEffectName", "effGetEffectName").empty()) {
    ++emptyNames;
  }
  audit.Ask(plugin, effGetVendorString, 0, kVstMaxVendorStrLen, "effGetVendorString", "effGetVendorString");
  audit.Ask(plugin, effGetProductString, 0, kVstMaxProductStrLen, "effGetProductString", "effGetProductString");
}

void ReadParameters(CheckContext& context, TextAudit& audit, Plugin& plugin) {
  std::string unnamed;
  int unnamedCount = 0;
  for (int i = 0; i < plugin.Params(); ++i) {
    context.Progress("texts of parameter " + std::to_string(i));
    if (audit.Ask(plugin, effGetParamName, i, kVstMaxParamStrLen, "effGetParamName", Indexed("effGetParamName", i))
            .empty()) {
      if (unnamedCount++ < 8) unnamed += (unnamed.empty() ? "" : ", ") + std::to_string(i);
    }
    audit.Ask(plugin, effGetParamLabel, i, kVstMaxParamStrLen, "effGetParamLabel", Indexed("effGetParamLabel", i));
    const float original = plugin.GetParameter(i);
    for (float value : {original, 0.f, 0.5f, 1.f}) {
      plugin.SetParameter(i, value);
      audit.Ask(plugin, effGetParamDisplay, i, kVstMaxParamStrLen, "effGetParamDisplay",
                Indexed("effGetParamDisplay", i) + " at " + std::to_string(value).substr(0, 4));
    }
    plugin.SetParameter(i, original);
  }
  if (unnamedCount > 0) {
    context.Warn(std::to_string(unnamedCount) + " parameter" + (unnamedCount == 1 ? " has" : "s have") +
                 " no name (" + unnamed + (unnamedCount > 8 ? ", ..." : "") + ")");
  }
  // Hosts probe past the ends; the plug-in must not trip over it.
  context.Progress("parameter texts for out-of-range indices");
  const std::pair<int32_t, const char*> texts[] = {
      {effGetParamName, "effGetParamName"}, {effGetParamLabel, "effGetParamLabel"}, {effGetParamDisplay, "effGetParamDisplay"}};
  for (int index : {-1, plugin.Params()}) {
    for (const auto& [opcode, name] : texts) {
      audit.Ask(plugin, opcode, index, kVstMaxParamStrLen, "out-of-range parameter texts", Indexed(name, index));
    }
  }
}

void ReadPrograms(CheckContext& context, TextAudit& audit, Plugin& plugin) {
  context.Progress("program names");
  audit.Ask(plugin, effGetProgramName, 0, kVstMaxProgNameLen, "effGetProgramName", "effGetProgramName");
  const int programs = plugin.Programs();
  const int step = std::max(1, programs / kMaxProgramsRead);
  for (int i = 0; i < programs; i += step) {
    audit.Ask(plugin, effGetProgramNameIndexed, i, kVstMaxProgNameLen, "effGetProgramNameIndexed",
              Indexed("effGetProgramNameIndexed", i));
  }
  for (int index : {-1, programs}) {
    audit.Ask(plugin, effGetProgramNameIndexed, index, kVstMaxProgNameLen, "out-of-range program names",
              Indexed("effGetProgramNameIndexed", index));
  }
}

void ReadPins(CheckContext& context, TextAudit& audit, Plugin& plugin) {
  context.Progress("pin properties");
  GuardedBuffer record(sizeof(VstPinProperties));
  for (bool input : {true, false}) {
    const int channels = input ? plugin.Inputs() : plugin.Outputs();
    const char* opcodeName = input ? "effGetInputProperties" : "effGetOutputProperties";
    for (int pin = 0; pin <= channels; ++pin) {
      record.Reset();
      const intptr_t answer = plugin.Dispatch(input ? effGetInputProperties : effGetOutputProperties, pin, 0,
                                              record.Data());
      const size_t extent = record.WrittenExtent();
      if (extent > sizeof(VstPinProperties)) {
        context.Fail(Indexed(opcodeName, pin) + " wrote " + std::to_string(extent) + " bytes into a " +
                     std::to_string(sizeof(VstPinProperties)) + "-byte VstPinProperties");
        continue;
      }
      if (answer == 0 || pin == channels) continue;
      GuardedBuffer label(kVstMaxLabelLen, 0);
      std::copy(record.Data(), record.Data() + kVstMaxLabelLen, label.Data());
      audit.Judge(label, kVstMaxLabelLen, "pin labels", Indexed(opcodeName, pin) + " label");
    }
  }
}

}  // namespace

void RunInfoCheck(CheckContext& context) {
  std::unique_ptr<Plugin> plugin = context.NewPlugin();
  if (!plugin) return;
  plugin->Open();
  TextAudit audit(context);
  int emptyNames = 0;
  ReadIdentity(audit, *plugin, emptyNames);
  if (emptyNames > 0) context.Warn("effGetEffectName gives an empty name: hosts fall back to the file name");
  ReadParameters(context, audit, *plugin);
  ReadPrograms(context, audit, *plugin);
  ReadPins(context, audit, *plugin);
  audit.ReportWarnings();

  const intptr_t vstVersion = plugin->Dispatch(effGetVstVersion);
  if (vstVersion < 2400) {
    context.Warn("effGetVstVersion answers " + std::to_string(vstVersion) + ": hosts treat it as an older VST");
  }
  const intptr_t category = plugin->Dispatch(effGetPlugCategory);
  if (category < 0 || category > 11) context.Warn("effGetPlugCategory answers " + std::to_string(category));
  context.Progress("capability queries");
  for (const char* capability : {"receiveVstTimeInfo", "sendVstEvents", "receiveVstMidiEvent", "bypass",
                                 "", "an unknown capability that no plug-in knows"}) {
    plugin->Dispatch(effCanDo, 0, 0, const_cast<char*>(capability));
  }
}

}  // namespace kestrune::validate
