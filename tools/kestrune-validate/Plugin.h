#pragma once
// The validator's host side: one effect instance created from a loaded module, driven the way
// hosts drive it, with the answers its host calls receive.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/vsthost/HostLink.h"
#include "vst2/VstInterface.h"

namespace kestrune::validate {

// What one instance's host calls are answered with. Safe to call from any thread: plug-ins call back
// from their audio and editor threads alike.
class InstanceHost {
 public:
  static constexpr intptr_t kHostVersion = 2400;
  static constexpr double kTempo = 120.0;

  // The function handed to entry points. Calls for records no host knows get only the version.
  static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  using Link = host::HostLink<InstanceHost>;

  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  void SetSampleRate(int rate) { sampleRate_ = rate; }
  void SetBlockSize(int frames) { blockSize_ = frames; }
  void SetModuleFolder(const std::string& folder) { moduleFolder_ = folder; }
  // Moves the transport on by frames (called after each block).
  void Advance(int frames) { position_ += frames; }

 private:
  std::atomic<int> sampleRate_{44100};
  std::atomic<int> blockSize_{512};
  std::atomic<int64_t> position_{0};
  std::string moduleFolder_;
};

// Marks the calling thread as inside a processing callback while it lives, so the host answers
// the realtime process level to calls made from there.
class ProcessingScope {
 public:
  ProcessingScope();
  ~ProcessingScope();
  ProcessingScope(const ProcessingScope&) = delete;
  ProcessingScope& operator=(const ProcessingScope&) = delete;
  static bool Active();
};

// One effect instance. Destruction suspends it if it runs and closes it; the module that created it
// must outlive it.
class Plugin {
 public:
  // Calls entry with this host's callback. Returns null and a reason when it gives no record, a record
  // without the magic, or one without a dispatcher.
  static std::unique_ptr<Plugin> Create(VstPluginMainProc entry, const std::string& moduleFolder, std::string& error);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  AEffect* Effect() const { return effect_; }
  int Inputs() const { return effect_->numInputs; }
  int Outputs() const { return effect_->numOutputs; }
  int Params() const { return effect_->numParams; }
  int Programs() const { return effect_->numPrograms; }
  bool HasFlag(int32_t flag) const { return (effect_->flags & flag) != 0; }
  // Whether the record offers double precision (flag and callback) and the accumulating call.
  bool CanDouble() const;
  bool CanAccumulate() const { return effect_->process != nullptr; }

  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f);
  // effOpen.
  void Open();
  // Sample rate and block size, as hosts send them while the effect is suspended.
  void Configure(int sampleRate, int blockSize);
  // effMainsChanged(1) then effStartProcess; Suspend() undoes both. Each is idempotent.
  void Resume();
  void Suspend();
  // Suspends if needed and sends effClose; the record is gone afterwards.
  void Close();

  // The processing callbacks (the accumulating one adds to outputs); the transport moves on.
  void ProcessFloat(float** inputs, float** outputs, int frames);
  void ProcessDouble(double** inputs, double** outputs, int frames);
  void ProcessAccumulating(float** inputs, float** outputs, int frames);

  float GetParameter(int index) const { return effect_->getParameter(effect_, index); }
  void SetParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  // Every parameter's normalised value.
  std::vector<float> Parameters() const;
  // A text the plug-in writes into ptr (names, labels, displays), read from a roomy buffer.
  std::string Text(int32_t opcode, int32_t index = 0);
  // Hands text to effString2Parameter; returns the plug-in's answer.
  intptr_t TextToParameter(int index, const std::string& text);
  // A copy of the program (program true) or bank chunk; empty when the plug-in gives none.
  std::vector<unsigned char> GetChunk(bool program);
  // effSetChunk with data and size as given; returns the plug-in's answer.
  intptr_t SetChunk(bool program, const void* data, intptr_t size);

 private:
  Plugin() = default;
  std::unique_ptr<InstanceHost> host_;
  AEffect* effect_ = nullptr;
  bool running_ = false;
};

}  // namespace kestrune::validate
