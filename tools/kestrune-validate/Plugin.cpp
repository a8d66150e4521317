#include "tools/kestrune-validate/Plugin.h"

#include <cmath>
#include <cstring>

#include "tools/vsthost/HostText.h"

namespace kestrune::validate {
namespace {

// Effects may write long names; this is roomier than any host's buffer.
constexpr size_t kRoomyText = 4096;

thread_local int processingDepth = 0;

}  // namespace

ProcessingScope::ProcessingScope() { ++processingDepth; }
ProcessingScope::~ProcessingScope() { --processingDepth; }
bool ProcessingScope::Active() { return processingDepth > 0; }

intptr_t InstanceHost::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  InstanceHost* host = Link::Find(effect);
  if (host == nullptr) return opcode == audioMasterVersion ? kHostVersion : 0;
  return host->Answer(opcode, index, value, ptr, opt);
}

intptr_t InstanceHost::Answer(int32_t opcode, int32_t, intptr_t, void* ptr, float) {
  switch (opcode) {
    case audioMasterVersion:
      return kHostVersion;
    case audioMasterGetTime: {
      // One record per thread: the audio and editor threads may ask at the same time.
      thread_local VstTimeInfo info;
      const double rate = sampleRate_;
      const double position = static_cast<double>(position_.load());
      info = VstTimeInfo{};
      info.samplePos = position;
      info.sampleRate = rate;
      info.nanoSeconds = position / rate * 1e9;
      info.ppqPos = position / rate * kTempo / 60.0;
      info.tempo = kTempo;
      info.barStartPos = std::floor(info.ppqPos / 4.0) * 4.0;
      info.timeSigNumerator = 4;
      info.timeSigDenominator = 4;
      info.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                   kVstTimeSigValid;
      return reinterpret_cast<intptr_t>(&info);
    }
    case audioMasterGetSampleRate:
      return sampleRate_;
    case audioMasterGetBlockSize:
      return blockSize_;
    case audioMasterGetCurrentProcessLevel:
      return ProcessingScope::Active() ? kVstProcessLevelRealtime : kVstProcessLevelUser;
    case audioMasterGetAutomationState:
      return 1;
    case audioMasterGetVendorString:
      return host::CopyHostText(ptr, "Orvantic", kVstMaxVendorStrLen);
    case audioMasterGetProductString:
      return host::CopyHostText(ptr, "kestrune-validate", kVstMaxProductStrLen);
    case audioMasterGetVendorVersion:
      return 10000;
    case audioMasterCanDo:
      if (ptr == nullptr) return 0;
      return std::strcmp(static_cast<const char*>(ptr), "sendVstTimeInfo") == 0 ? 1 : 0;
    case audioMasterGetLanguage:
      return 1;
    case audioMasterGetDirectory:
      return moduleFolder_.empty() ? 0 : reinterpret_cast<intptr_t>(moduleFolder_.c_str());
    case audioMasterAutomate:
    case audioMasterWantMidi:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterUpdateDisplay:
    case audioMasterProcessEvents:
      return 1;
    default:
      return 0;
  }
}

std::unique_ptr<Plugin> Plugin::Create(VstPluginMainProc entry, const std::string& moduleFolder, std::string& error) {
  std::unique_ptr<Plugin> plugin(new Plugin());
  plugin->host_ = std::make_unique<InstanceHost>();
  plugin->host_->SetModuleFolder(moduleFolder);
  AEffect* effect = InstanceHost::Link::Create(entry, &InstanceHost::Callback, *plugin->host_);
  if (effect == nullptr) {
    error = "the entry point returned no effect";
    return nullptr;
  }
  if (effect->magic != kEffectMagic) {
    error = "the entry point returned a record without the 'VstP' magic";
    return nullptr;
  }
  if (effect->dispatcher == nullptr) {
    error = "the effect record has no dispatcher";
    return nullptr;
  }
  plugin->effect_ = effect;
  return plugin;
}

Plugin::~Plugin() { Close(); }

bool Plugin::CanDouble() const {
  return HasFlag(effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing != nullptr;
}

intptr_t Plugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Plugin::Open() { Dispatch(effOpen); }

void Plugin::Configure(int sampleRate, int blockSize) {
  host_->SetSampleRate(sampleRate);
  host_->SetBlockSize(blockSize);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, blockSize);
}

void Plugin::Resume() {
  if (running_) return;
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  running_ = true;
}

void Plugin::Suspend() {
  if (!running_) return;
  Dispatch(effStopProcess);
  Dispatch(effMainsChanged, 0, 0);
  running_ = false;
}

void Plugin::Close() {
  if (effect_ == nullptr) return;
  Suspend();
  AEffect* effect = effect_;
  effect_ = nullptr;
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
}

void Plugin::ProcessFloat(float** inputs, float** outputs, int frames) {
  {
    ProcessingScope scope;
    effect_->processReplacing(effect_, inputs, outputs, frames);
  }
  host_->Advance(frames);
}

void Plugin::ProcessDouble(double** inputs, double** outputs, int frames) {
  {
    ProcessingScope scope;
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
  }
  host_->Advance(frames);
}

void Plugin::ProcessAccumulating(float** inputs, float** outputs, int frames) {
  {
    ProcessingScope scope;
    effect_->process(effect_, inputs, outputs, frames);
  }
  host_->Advance(frames);
}

std::vector<float> Plugin::Parameters() const {
  std::vector<float> values;
  for (int i = 0; i < Params(); ++i) values.push_back(GetParameter(i));
  return values;
}

std::string Plugin::Text(int32_t opcode, int32_t index) {
  std::vector<char> buffer(kRoomyText, '\0');
  Dispatch(opcode, index, 0, buffer.data());
  buffer.back() = '\0';
  return buffer.data();
}

intptr_t Plugin::TextToParameter(int index, const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return Dispatch(effString2Parameter, index, 0, buffer.data());
}

std::vector<unsigned char> Plugin::GetChunk(bool program) {
  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

intptr_t Plugin::SetChunk(bool program, const void* data, intptr_t size) {
  return Dispatch(effSetChunk, program ? 1 : 0, size, const_cast<void*>(data));
}

}  // namespace kestrune::validate
