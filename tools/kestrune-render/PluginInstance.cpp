#include "tools/kestrune-render/PluginInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace kestrune::render {
namespace {

// Effects may write up to 127 characters of name and 31 of text; hosts' usual buffers are larger
// than the interface's limits for that reason.
constexpr size_t kTextBufferSize = 256;

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  return std::string(buffer.data(), static_cast<size_t>(n));
}

}  // namespace

std::unique_ptr<PluginInstance> PluginInstance::Load(const std::string& path, std::string& error) {
  host::VstModule module;
  if (!module.Open(path, error)) return nullptr;

  std::unique_ptr<PluginInstance> instance(new PluginInstance());
  instance->host_ = std::make_unique<HostContext>();
  instance->host_->SetModuleDirectory(FolderOf(path));
  instance->path_ = path;
  AEffect* effect = HostContext::Link::Create(module.EntryPoint(), &HostContext::Callback, *instance->host_);
  if (effect == nullptr) {
    error = "\"" + path + "\" returned no effect from its entry point";
    return nullptr;
  }
  if (effect->magic != kEffectMagic) {
    error = "\"" + path + "\" returned a record that is not a VST 2 effect (wrong magic)";
    return nullptr;
  }
  instance->effect_ = effect;
  instance->module_ = std::move(module);
  if (effect->dispatcher == nullptr || effect->getParameter == nullptr || effect->setParameter == nullptr ||
      (effect->processReplacing == nullptr && effect->process == nullptr) || effect->numParams < 0 ||
      effect->numPrograms < 0 || effect->numInputs < 0 || effect->numOutputs < 0) {
    error = "\"" + path + "\" returned an effect record with missing callbacks or negative counts";
    if (effect->dispatcher != nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
    instance->effect_ = nullptr;
    return nullptr;
  }
  return instance;
}

PluginInstance::~PluginInstance() {
  if (effect_ == nullptr) return;
  Suspend();
  Dispatch(effClose);
  effect_ = nullptr;
}

intptr_t PluginInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::Open(double sampleRate, int blockSize) {
  sampleRate_ = sampleRate;
  host_->SetSampleRate(sampleRate);
  host_->SetBlockSize(blockSize);
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, blockSize);
}

bool PluginInstance::SetChannelLayout(int inputs, int outputs) {
  auto layout = [](int channels) {
    VstSpeakerArrangement arrangement{};
    arrangement.numChannels = channels;
    arrangement.type = channels == 1 ? kSpeakerArrMono : channels == 2 ? kSpeakerArrStereo : kSpeakerArrUserDefined;
    return arrangement;
  };
  VstSpeakerArrangement in = layout(inputs);
  VstSpeakerArrangement out = layout(outputs);
  return Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out) != 0;
}

void PluginInstance::SetDoublePrecision(bool useDouble) {
  if (HasFlag(effFlagsCanDoubleReplacing)) Dispatch(effSetProcessPrecision, 0, useDouble ? 1 : 0);
}

void PluginInstance::Resume() {
  if (running_) return;
  host_->Rewind();
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  running_ = true;
}

void PluginInstance::Suspend() {
  if (!running_) return;
  Dispatch(effStopProcess);
  Dispatch(effMainsChanged, 0, 0);
  running_ = false;
}

std::string PluginInstance::TextQuery(int32_t opcode, int32_t index) {
  char buffer[kTextBufferSize] = {};
  Dispatch(opcode, index, 0, buffer);
  buffer[kTextBufferSize - 1] = '\0';
  return buffer;
}

std::string PluginInstance::ParameterName(int index) { return TextQuery(effGetParamName, index); }
std::string PluginInstance::ParameterDisplay(int index) { return TextQuery(effGetParamDisplay, index); }
std::string PluginInstance::ParameterLabel(int index) { return TextQuery(effGetParamLabel, index); }
std::string PluginInstance::ProgramName() { return TextQuery(effGetProgramName, 0); }

bool PluginInstance::SetParameterFromText(int index, const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return Dispatch(effString2Parameter, index, 0, buffer.data()) != 0;
}

PluginIdentity PluginInstance::Identity() {
  PluginIdentity identity;
  identity.name = TextQuery(effGetEffectName, 0);
  if (identity.name.empty()) {
    const size_t slash = path_.find_last_of('/');
    identity.name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  }
  identity.vendor = TextQuery(effGetVendorString, 0);
  identity.product = TextQuery(effGetProductString, 0);
  identity.vendorVersion = static_cast<int32_t>(Dispatch(effGetVendorVersion));
  identity.uniqueId = effect_->uniqueID;
  return identity;
}

std::string DefaultPluginPath() {
  std::vector<std::string> candidates;
  const std::string exe = ExecutablePath();
  if (!exe.empty()) candidates.push_back(FolderOf(FolderOf(exe)) + "/Kestrune.so");
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    candidates.push_back(std::string(home) + "/.vst/Kestrune.so");
  }
  for (const std::string& candidate : candidates) {
    if (IsFile(candidate)) return candidate;
  }
  return candidates.empty() ? "Kestrune.so" : candidates.front();
}

}  // namespace kestrune::render
