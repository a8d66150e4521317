#pragma once
// One VST 2 effect loaded from a module, driven through the usual host sequence.

#include <cstdint>
#include <memory>
#include <string>

#include "tools/kestrune-render/HostContext.h"
#include "tools/vsthost/VstModule.h"
#include "vst2/VstInterface.h"

namespace kestrune::render {

// The plug-in's identity as shown by --list.
struct PluginIdentity {
  std::string name;       // effGetEffectName, else the module's file name
  std::string vendor;
  std::string product;
  int32_t vendorVersion = 0;
  int32_t uniqueId = 0;
};

// Owns the module and the effect created from it. Destruction suspends the effect if it is running,
// closes it (effClose) and only then unloads the module.
class PluginInstance {
 public:
  // Loads the module at path and creates the effect; returns null and a reason when the file is
  // missing, is not a loadable VST 2 module, or its entry point returns no valid effect.
  static std::unique_ptr<PluginInstance> Load(const std::string& path, std::string& error);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // The effect record, valid for the life of this object.
  AEffect* Effect() const { return effect_; }
  // The answers this instance's host calls receive.
  HostContext& Host() { return *host_; }
  // The module's path as given to Load().
  const std::string& Path() const { return path_; }
  // Whether the record carries an effFlags* bit.
  bool HasFlag(int32_t flag) const { return (effect_->flags & flag) != 0; }

  // Calls the effect's dispatcher and returns its answer.
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f);

  // effOpen, then the sample rate and block size; the effect stays suspended.
  void Open(double sampleRate, int blockSize);
  // The sample rate given to Open() (0 before).
  double SampleRate() const { return sampleRate_; }
  // Tells the effect the channel counts it will be given (effSetSpeakerArrangement, mono or stereo
  // layouts); returns the effect's answer (non-zero when it accepted).
  bool SetChannelLayout(int inputs, int outputs);
  // Announces the sample type (effSetProcessPrecision) for effects that can process doubles.
  void SetDoublePrecision(bool useDouble);
  // effMainsChanged(1) and effStartProcess, with the transport rewound; Suspend() undoes both
  // (effStopProcess, effMainsChanged(0)). Each is idempotent.
  void Resume();
  void Suspend();

  // Frames of latency the record reports now (initialDelay); a negative report reads as 0.
  int64_t Latency() const { return effect_->initialDelay > 0 ? effect_->initialDelay : 0; }
  // The effect's answer to effGetTailSize: frames of tail, with 1 meaning "no tail" and 0 (or less)
  // "not reported".
  int64_t TailSize() { return static_cast<int64_t>(Dispatch(effGetTailSize)); }

  int NumParameters() const { return effect_->numParams; }
  int NumPrograms() const { return effect_->numPrograms; }
  // Normalised (0..1) parameter values through the record's callbacks.
  float GetParameter(int index) const { return effect_->getParameter(effect_, index); }
  void SetParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  // Texts the effect reports for a parameter; empty when it reports none.
  std::string ParameterName(int index);
  std::string ParameterDisplay(int index);
  std::string ParameterLabel(int index);
  // Hands text to effString2Parameter; returns the effect's answer (non-zero when it took the text).
  bool SetParameterFromText(int index, const std::string& text);

  // Name of the current program; empty when the effect reports none.
  std::string ProgramName();
  // Name, maker, product, version and unique ID as the effect reports them.
  PluginIdentity Identity();

 private:
  PluginInstance() = default;
  std::string TextQuery(int32_t opcode, int32_t index);

  // Declared first so it is destroyed last: the module must outlive the effect's code.
  host::VstModule module_;
  std::unique_ptr<HostContext> host_;
  AEffect* effect_ = nullptr;
  std::string path_;
  double sampleRate_ = 0.0;
  bool running_ = false;
};

// The module kestrune-render loads when --plugin is not given: Kestrune.so in the build folder the
// tool was built in (../Kestrune.so from the tool's own folder), else ~/.vst/Kestrune.so. Returns the
// first candidate that exists, or the first candidate when none does (so the error names it).
std::string DefaultPluginPath();

}  // namespace kestrune::render
