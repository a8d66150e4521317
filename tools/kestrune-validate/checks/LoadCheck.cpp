// load: the module loads as a host loads it and hands back a record a host can trust.

#include <dlfcn.h>

#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/ElfSymbols.h"

namespace kestrune::validate {
namespace {

constexpr int kMaxChannels = 1024;
constexpr int kMaxCount = 1 << 16;

std::string FourCharacters(int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((id >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return text;
}

void CheckCounts(CheckContext& context, const AEffect& e) {
  auto inRange = [&](const char* what, int value, int limit) {
    if (value < 0 || value > limit) {
      context.Fail(std::string(what) + " is " + std::to_string(value) + ", outside 0.." + std::to_string(limit));
    }
  };
  inRange("numInputs", e.numInputs, kMaxChannels);
  inRange("numOutputs", e.numOutputs, kMaxChannels);
  inRange("numParams", e.numParams, kMaxCount);
  inRange("numPrograms", e.numPrograms, kMaxCount);
}

void CheckCallbacks(CheckContext& context, const AEffect& e) {
  if (e.setParameter == nullptr) context.Fail("the record has no setParameter callback");
  if (e.getParameter == nullptr) context.Fail("the record has no getParameter callback");
  if (e.processReplacing == nullptr) context.Fail("the record has no processReplacing callback");
  if ((e.flags & effFlagsCanReplacing) == 0 && e.processReplacing != nullptr) {
    context.Warn("processReplacing is present but effFlagsCanReplacing is not set: hosts may not use it");
  }
  if ((e.flags & effFlagsCanDoubleReplacing) != 0 && e.processDoubleReplacing == nullptr) {
    context.Fail("effFlagsCanDoubleReplacing is set but the record has no processDoubleReplacing callback");
  }
}

void CheckExports(CheckContext& context) {
  std::vector<std::string> names;
  std::string error;
  if (!ReadExportedSymbols(context.ModulePath(), names, error)) {
    context.Warn("cannot list exported symbols: " + error);
    return;
  }
  std::vector<std::string> others;
  for (const std::string& name : names) {
    if (name != "VSTPluginMain" && name != "main") others.push_back(name);
  }
  if (others.empty()) return;
  std::string examples;
  for (size_t i = 0; i < others.size() && i < 3; ++i) examples += (i ? ", " : "") + others[i];
  context.Warn("exports " + std::to_string(others.size()) + " symbol" + (others.size() == 1 ? "" : "s") +
               " besides the entry points (" + examples + (others.size() > 3 ? ", ..." : "") +
               "): they can clash with other plug-ins in the same host");
}

// Creates and closes one effect through the entry point exported as symbol.
bool TryEntryPoint(CheckContext& context, void* handle, const char* symbol) {
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle, symbol));
  if (entry == nullptr) return false;
  context.Progress(std::string("creating an effect through ") + symbol);
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::Create(entry, FolderOf(context.ModulePath()), error);
  if (!plugin) {
    context.Fail(std::string(symbol) + ": " + error);
    return true;
  }
  plugin->Open();
  plugin->Close();
  return true;
}

}  // namespace

void RunLoadCheck(CheckContext& context) {
  context.Progress("loading the module");
  if (!context.LoadModule()) {
    context.Fatal();
    return;
  }
  std::unique_ptr<Plugin> plugin = context.NewPlugin();
  if (!plugin) {
    context.Fatal();
    return;
  }
  const AEffect e = *plugin->Effect();  // a copy: the record goes with Close()
  CheckCounts(context, e);
  CheckCallbacks(context, e);
  if (context.Failed()) {
    context.Fatal();
    return;
  }
  // A failure, but the effect can still be put through the other checks.
  if (e.uniqueID == 0) context.Fail("the unique ID is 0: hosts cannot tell the plug-in apart in saved projects");
  plugin->Open();
  const std::string name = plugin->Text(effGetEffectName);
  const std::string vendor = plugin->Text(effGetVendorString);
  plugin->Close();

  // Hosts look for VSTPluginMain first and fall back to main; both must work where both exist.
  void* handle = dlopen(context.ModulePath().find('/') == std::string::npos ? ("./" + context.ModulePath()).c_str()
                                                                            : context.ModulePath().c_str(),
                        RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
  if (handle != nullptr) {
    const bool hasMain = TryEntryPoint(context, handle, "main");
    const bool hasPluginMain = TryEntryPoint(context, handle, "VSTPluginMain");
    if (!hasPluginMain && hasMain) context.Warn("exports only the old entry point main, not VSTPluginMain");
    dlclose(handle);
  }
  CheckExports(context);

  std::string note = (name.empty() ? std::string("(no name)") : name) + (vendor.empty() ? "" : " by " + vendor) +
                     ", '" + FourCharacters(e.uniqueID) + "', " + std::to_string(e.numParams) +
                     (e.numParams == 1 ? " parameter, " : " parameters, ") +
                     std::to_string(e.numPrograms) + (e.numPrograms == 1 ? " program, " : " programs, ") +
                     std::to_string(e.numInputs) + " in / " +
                     std::to_string(e.numOutputs) + " out";
  if (e.flags & effFlagsHasEditor) note += ", editor";
  context.Note(note);
}

}  // namespace kestrune::validate
