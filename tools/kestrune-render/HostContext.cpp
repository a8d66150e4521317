#include "tools/kestrune-render/HostContext.h"

#include <cmath>
#include <cstring>

#include "tools/vsthost/HostText.h"

namespace kestrune::render {

intptr_t HostContext::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  HostContext* context = Link::Find(effect);
  if (context == nullptr) {
    // Asked before any context exists: only the version is safe to give.
    return opcode == audioMasterVersion ? kHostVersion : 0;
  }
  return context->Answer(opcode, index, value, ptr, opt);
}

void HostContext::Advance(int64_t frames) {
  if (playing_) position_ += frames;
  transportChanged_ = false;
}

void HostContext::Rewind() {
  position_ = 0;
  playing_ = true;
  transportChanged_ = true;
}

void HostContext::StopTransport() {
  position_ = 0;
  playing_ = false;
  transportChanged_ = true;
}

const VstTimeInfo* HostContext::FillTimeInfo() {
  VstTimeInfo& t = timeInfo_;
  t = VstTimeInfo{};
  const double seconds = static_cast<double>(position_) / sampleRate_;
  t.samplePos = static_cast<double>(position_);
  t.sampleRate = sampleRate_;
  t.nanoSeconds = seconds * 1e9;
  t.ppqPos = seconds * kTempo / 60.0;
  t.tempo = kTempo;
  t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
  t.timeSigNumerator = 4;
  t.timeSigDenominator = 4;
  t.flags = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
            (playing_ ? kVstTransportPlaying : 0) | (transportChanged_ ? kVstTransportChanged : 0);
  return &timeInfo_;
}

intptr_t HostContext::Answer(int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVersion;
    case audioMasterGetTime:
      return reinterpret_cast<intptr_t>(FillTimeInfo());
    case audioMasterGetSampleRate:
      return static_cast<intptr_t>(sampleRate_);
    case audioMasterGetBlockSize:
      return blockSize_;
    case audioMasterGetCurrentProcessLevel:
      return kVstProcessLevelOffline;
    case audioMasterGetAutomationState:
      return 1;  // automation off: nothing is read or written while rendering
    case audioMasterGetVendorString:
      return host::CopyHostText(ptr, kVendor, kVstMaxVendorStrLen);
    case audioMasterGetProductString:
      return host::CopyHostText(ptr, kProduct, kVstMaxProductStrLen);
    case audioMasterGetVendorVersion:
      return kVendorVersion;
    case audioMasterCanDo: {
      if (ptr == nullptr) return 0;
      const char* capability = static_cast<const char*>(ptr);
      return std::strcmp(capability, "sendVstTimeInfo") == 0 || std::strcmp(capability, "acceptIOChanges") == 0 ? 1 : 0;
    }
    case audioMasterIOChanged:
      ioChanged_ = true;
      return 1;
    case audioMasterGetLanguage:
      return 1;  // English
    case audioMasterGetDirectory:
      return moduleDirectory_.empty() ? 0 : reinterpret_cast<intptr_t>(moduleDirectory_.c_str());
    case audioMasterWantMidi:
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterUpdateDisplay:
      return 1;
    default:
      return 0;
  }
}

}  // namespace kestrune::render
