#include "tests/vst2/TestHost.h"

#include "tools/vsthost/HostLink.h"

#include <algorithm>
#include <cstring>

namespace kestrune_test {

namespace {

using Link = kestrune::host::HostLink<TestHost>;

void CopyString(void* ptr, const std::string& text, size_t capacity) {
  if (!ptr) return;
  size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(ptr, text.data(), n);
  static_cast<char*>(ptr)[n] = '\0';
}

std::vector<RecordedEvent> CopyEvents(const VstEvents* list) {
  std::vector<RecordedEvent> out;
  if (!list) return out;
  for (int32_t i = 0; i < list->numEvents; ++i) {
    const VstEvent* ev = list->events[i];
    if (!ev) continue;
    RecordedEvent rec;
    rec.type = ev->type;
    rec.byteSize = ev->byteSize;
    rec.deltaFrames = ev->deltaFrames;
    rec.flags = ev->flags;
    if (ev->type == kVstMidiType) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(ev);
      std::memcpy(rec.midiData, midi->midiData, 4);
    } else if (ev->type == kVstSysExType) {
      const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(ev);
      if (sysex->sysexDump && sysex->dumpBytes > 0)
        rec.sysex.assign(sysex->sysexDump, sysex->sysexDump + sysex->dumpBytes);
    }
    out.push_back(std::move(rec));
  }
  return out;
}

}  // namespace

TestHost::TestHost() = default;

TestHost::~TestHost() { Close(); }

bool TestHost::Load(const char* path) {
  if (!module_.Open(path, error_)) return false;
  entry_ = module_.EntryPoint();
  return true;
}

AEffect* TestHost::Create() {
  if (!entry_ || effect_) return nullptr;
  AEffect* effect = Link::Create(entry_, &TestHost::Callback, *this);
  if (!effect || effect->magic != kEffectMagic) return nullptr;
  effect_ = effect;
  return effect_;
}

void TestHost::Close() { Dispatch(effClose); }

intptr_t TestHost::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (!effect_) return 0;
  // The record is gone once effClose returns, so it is forgotten before the call.
  if (opcode == effClose) {
    AEffect* effect = effect_;
    effect_ = nullptr;
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void TestHost::Start(float sampleRate, int32_t blockSize) {
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(effSetBlockSize, 0, blockSize);
  Dispatch(effMainsChanged, 0, 1);
}

float TestHost::GetParameter(int32_t index) {
  return effect_ ? effect_->getParameter(effect_, index) : 0.f;
}

void TestHost::SetParameter(int32_t index, float value) {
  if (effect_) effect_->setParameter(effect_, index, value);
}

void TestHost::ProcessReplacing(float** inputs, float** outputs, int32_t frames) {
  if (effect_ && effect_->processReplacing)
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

void TestHost::ProcessDoubleReplacing(double** inputs, double** outputs, int32_t frames) {
  if (effect_ && effect_->processDoubleReplacing)
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

void TestHost::ProcessAccumulating(float** inputs, float** outputs, int32_t frames) {
  if (effect_ && effect_->process) effect_->process(effect_, inputs, outputs, frames);
}

void TestHost::SetTimeInfo(const VstTimeInfo& info) {
  std::lock_guard<std::mutex> lock(mutex_);
  timeInfo_ = info;
  haveTimeInfo_ = true;
}

void TestHost::ClearTimeInfo() {
  std::lock_guard<std::mutex> lock(mutex_);
  haveTimeInfo_ = false;
}

void TestHost::SetProcessLevel(int32_t level) {
  std::lock_guard<std::mutex> lock(mutex_);
  processLevel_ = level;
}

void TestHost::SetProductString(const std::string& product) {
  std::lock_guard<std::mutex> lock(mutex_);
  product_ = product;
}

void TestHost::SetVendorString(const std::string& vendor) {
  std::lock_guard<std::mutex> lock(mutex_);
  vendor_ = vendor;
}

void TestHost::SetVendorVersion(intptr_t version) {
  std::lock_guard<std::mutex> lock(mutex_);
  vendorVersion_ = version;
}

void TestHost::SetSampleRateAnswer(intptr_t rate) {
  std::lock_guard<std::mutex> lock(mutex_);
  sampleRate_ = rate;
}

void TestHost::SetBlockSizeAnswer(intptr_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  blockSize_ = frames;
}

void TestHost::SetProcessEventsAnswer(intptr_t answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  processEventsAnswer_ = answer;
}

void TestHost::SetCanDoAnswer(intptr_t answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  canDoAnswer_ = answer;
}

std::vector<HostCall> TestHost::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<HostCall> TestHost::CallsWith(int32_t opcode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<HostCall> out;
  for (const HostCall& call : calls_)
    if (call.opcode == opcode) out.push_back(call);
  return out;
}

void TestHost::ClearCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

intptr_t TestHost::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt) {
  TestHost* host = Link::Find(effect);
  if (!host) return opcode == audioMasterVersion ? 2400 : 0;
  return host->Answer(effect, opcode, index, value, ptr, opt);
}

intptr_t TestHost::Answer(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                          void* ptr, float opt) {
  std::lock_guard<std::mutex> lock(mutex_);
  HostCall call;
  call.effect = effect;
  call.opcode = opcode;
  call.index = index;
  call.value = value;
  call.opt = opt;
  call.ptrWasNull = ptr == nullptr;
  if (opcode == audioMasterCanDo && ptr) call.text = static_cast<const char*>(ptr);
  if (opcode == audioMasterProcessEvents) call.events = CopyEvents(static_cast<VstEvents*>(ptr));
  calls_.push_back(std::move(call));

  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterGetTime:
      return haveTimeInfo_ ? reinterpret_cast<intptr_t>(&timeInfo_) : 0;
    case audioMasterProcessEvents:
      return processEventsAnswer_;
    case audioMasterGetSampleRate:
      return sampleRate_;
    case audioMasterGetBlockSize:
      return blockSize_;
    case audioMasterGetCurrentProcessLevel:
      return processLevel_;
    case audioMasterGetVendorString:
      CopyString(ptr, vendor_, kVstMaxVendorStrLen);
      return ptr && !vendor_.empty() ? 1 : 0;
    case audioMasterGetProductString:
      CopyString(ptr, product_, kVstMaxProductStrLen);
      return ptr && !product_.empty() ? 1 : 0;
    case audioMasterGetVendorVersion:
      return vendorVersion_;
    case audioMasterCanDo:
      return canDoAnswer_;
    default:
      return 0;
  }
}

}  // namespace kestrune_test
