// A small VST 2 host for tests and benchmarks: loads a module, creates one effect instance, answers
// the plug-in's host calls with configurable values and records every call it receives.
#pragma once

#include "tools/vsthost/VstModule.h"
#include "vst2/VstInterface.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kestrune_test {

// One event the plug-in sent with audioMasterProcessEvents, copied out of the plug-in's records.
struct RecordedEvent {
  int32_t type = 0;
  int32_t byteSize = 0;
  int32_t deltaFrames = 0;
  int32_t flags = 0;
  unsigned char midiData[4] = {0, 0, 0, 0};  // kVstMidiType only
  std::vector<unsigned char> sysex;           // kVstSysExType only: the dumpBytes bytes
};

// One call the plug-in made to the host callback.
struct HostCall {
  AEffect* effect = nullptr;
  int32_t opcode = 0;
  int32_t index = 0;
  intptr_t value = 0;
  float opt = 0.f;
  bool ptrWasNull = true;
  std::string text;                    // audioMasterCanDo: the capability string
  std::vector<RecordedEvent> events;   // audioMasterProcessEvents: the events sent
};

// Channel-major sample storage whose pointer array can be handed to a processing callback.
template <typename T>
class AudioBuffers {
 public:
  AudioBuffers(int channels, int frames, T fill = T(0))
      : frames_(frames), data_(channels, std::vector<T>(frames, fill)), ptrs_(channels) {
    for (int c = 0; c < channels; ++c) ptrs_[c] = data_[c].data();
  }
  // Pointer array for the host callback (valid while this object lives).
  T** Pointers() { return ptrs_.data(); }
  std::vector<T>& Channel(int c) { return data_[c]; }
  const std::vector<T>& Channel(int c) const { return data_[c]; }
  int Channels() const { return static_cast<int>(data_.size()); }
  int Frames() const { return frames_; }

 private:
  int frames_;
  std::vector<std::vector<T>> data_;
  std::vector<T*> ptrs_;
};

// Owns a loaded module and at most one effect instance created from it. Not copyable.
class TestHost {
 public:
  TestHost();
  // Closes the effect (effClose) if it is still open, then unloads the module.
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // Loads the module at path and finds VSTPluginMain, else main. False (see Error()) on failure or
  // when a module is already loaded.
  bool Load(const char* path);
  // Uses an entry point linked into the calling program instead of a module (for in-process tests).
  void UseEntryPoint(VstPluginMainProc entry) { entry_ = entry; }
  // The entry point found by Load (or given to UseEntryPoint), or null.
  VstPluginMainProc EntryPoint() const { return entry_; }
  // Calls the entry point with this host's callback; returns the record, or null when no module is
  // loaded, an effect already exists, or the entry point returned null or a record without the magic.
  AEffect* Create();
  // The current effect record, or null.
  AEffect* Effect() const { return effect_; }
  // Sends effClose and forgets the record; nothing when there is no effect.
  void Close();
  // Text of the last loading failure.
  const std::string& Error() const { return error_; }

  // Calls the dispatcher; 0 when there is no effect.
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.f);
  // Opens the effect the usual way: effOpen, sample rate, block size, effMainsChanged(1).
  void Start(float sampleRate, int32_t blockSize);
  // Parameter callbacks; 0 / nothing when there is no effect.
  float GetParameter(int32_t index);
  void SetParameter(int32_t index, float value);
  // Processing callbacks; nothing when there is no effect or the record lacks the callback.
  void ProcessReplacing(float** inputs, float** outputs, int32_t frames);
  void ProcessDoubleReplacing(double** inputs, double** outputs, int32_t frames);
  void ProcessAccumulating(float** inputs, float** outputs, int32_t frames);

  // Answers given to the plug-in. Defaults: version 2400, no time info, process level 0, empty
  // product and vendor strings, vendor version 0, sample rate 44100, block size 1024,
  // audioMasterProcessEvents answers 1, everything else 0.
  void SetTimeInfo(const VstTimeInfo& info);  // audioMasterGetTime returns this record
  void ClearTimeInfo();                       // audioMasterGetTime returns 0
  void SetProcessLevel(int32_t level);
  void SetProductString(const std::string& product);
  void SetVendorString(const std::string& vendor);
  void SetVendorVersion(intptr_t version);
  void SetSampleRateAnswer(intptr_t rate);
  void SetBlockSizeAnswer(intptr_t frames);
  void SetProcessEventsAnswer(intptr_t answer);
  void SetCanDoAnswer(intptr_t answer);

  // Every host call received so far, in order (a copy, safe while the plug-in keeps calling).
  std::vector<HostCall> Calls() const;
  // Only the calls with this opcode.
  std::vector<HostCall> CallsWith(int32_t opcode) const;
  void ClearCalls();

 private:
  static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);
  intptr_t Answer(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                  float opt);

  kestrune::host::VstModule module_;
  VstPluginMainProc entry_ = nullptr;
  AEffect* effect_ = nullptr;
  std::string error_;

  mutable std::mutex mutex_;
  std::vector<HostCall> calls_;
  bool haveTimeInfo_ = false;
  VstTimeInfo timeInfo_{};
  int32_t processLevel_ = kVstProcessLevelUnknown;
  std::string product_;
  std::string vendor_;
  intptr_t vendorVersion_ = 0;
  intptr_t sampleRate_ = 44100;
  intptr_t blockSize_ = 1024;
  intptr_t processEventsAnswer_ = 1;
  intptr_t canDoAnswer_ = 0;
};

}  // namespace kestrune_test
