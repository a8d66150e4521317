#pragma once
// The host side of the VST 2 conversation: what kestrune-render answers when a plug-in calls back.

#include <atomic>
#include <cstdint>
#include <string>

#include "tools/vsthost/HostLink.h"
#include "vst2/VstInterface.h"

namespace kestrune::render {

// Answers a plug-in's host calls for an offline render: VST 2.4, offline process level, and a
// transport at 120 BPM in 4/4 that is stopped while the plug-in settles and plays from 0 with the
// input, its position following the frames rendered since. Takes note of audioMasterIOChanged.
class HostContext {
 public:
  static constexpr intptr_t kHostVersion = 2400;
  static constexpr double kTempo = 120.0;
  static constexpr const char* kVendor = "Orvantic";
  static constexpr const char* kProduct = "kestrune-render";
  static constexpr intptr_t kVendorVersion = 10000;

  HostContext() = default;
  HostContext(const HostContext&) = delete;
  HostContext& operator=(const HostContext&) = delete;

  // The function handed to the plug-in's entry point. Answers through the context Link finds for the
  // record, else answers only audioMasterVersion.
  static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  // Links records to their context, and routes the calls an entry point makes to the context creating it.
  using Link = host::HostLink<HostContext>;

  // Values answered to audioMasterGetSampleRate and audioMasterGetBlockSize, and the transport's rate.
  void SetSampleRate(double rate) { sampleRate_ = rate; }
  void SetBlockSize(int frames) { blockSize_ = frames; }
  // Folder of the loaded module, answered to audioMasterGetDirectory.
  void SetModuleDirectory(const std::string& folder) { moduleDirectory_ = folder; }
  // Moves a playing transport on after a block (a stopped one stays put).
  void Advance(int64_t frames);
  // Starts the transport playing from 0; the next block reports a transport change.
  void Rewind();
  // Stops the transport at 0, as a DAW's is before playback; the next block reports the change.
  void StopTransport();
  // Whether the plug-in has called audioMasterIOChanged since the last call; clears the note.
  bool TakeIoChanged() { return ioChanged_.exchange(false); }

  // The answer to one host call; exposed for tests.
  intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

 private:
  const VstTimeInfo* FillTimeInfo();

  double sampleRate_ = 44100.0;
  int blockSize_ = 512;
  int64_t position_ = 0;
  bool playing_ = true;
  bool transportChanged_ = true;
  // Plug-ins may announce a new latency from a thread of their own.
  std::atomic<bool> ioChanged_{false};
  std::string moduleDirectory_;
  VstTimeInfo timeInfo_{};
};

}  // namespace kestrune::render
