#include "lv2/IPlugLV2.h"

#include "graphics/IGraphics.h"
#include "lv2/IPlugLV2UI.h"
#include "plugin/Log.h"

#include <lv2/atom/atom.h>

#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr int kInitialBlockSize = 1024;
// A state far larger than any parameter list could need is not one of ours.
constexpr size_t kMaxStateBytes = 1 << 20;

IPlugLV2* Instance(LV2_Handle instance)
{
  return static_cast<IPlugLV2*>(instance);
}

// Control ports are compared bit for bit: a NaN the host keeps writing is one unchanged value.
bool SameBits(float a, float b)
{
  return memcmp(&a, &b, sizeof(float)) == 0;
}

LV2_URID_Map* FindMap(const LV2_Feature* const* features)
{
  for (; features && *features; ++features)
  {
    if ((*features)->URI && !strcmp((*features)->URI, LV2_URID__map))
      return static_cast<LV2_URID_Map*>((*features)->data);
  }
  return nullptr;
}

const LV2_State_Interface kStateInterface = {IPlugLV2::SaveState, IPlugLV2::RestoreState};

} // namespace

IPlugLV2::IPlugLV2(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                   int nPresets, const char* effectName, const char* productName,
                   const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                   bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
  : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
              uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPILV2)
  , mDescription(instanceInfo.mDescription)
  , mUI(instanceInfo.mUI)
  , mControlPorts(256)
  , mLastPortValues(256)
  , mInputPorts(64)
  , mOutputPorts(64)
  , mInputPiece(64)
  , mOutputPiece(64)
{
  Trace("IPlugLV2", __LINE__, "%s", effectName);

  mStateURI.Set(mDescription->uri);
  mStateURI.Append("#state");
  mMap = FindMap(instanceInfo.mFeatures);
  if (mMap)
  {
    mStateKey = mMap->map(mMap->handle, mStateURI.Get());
    mChunkType = mMap->map(mMap->handle, LV2_ATOM__Chunk);
  }

  // FinishInstantiation refuses an instance whose port lists could not be made.
  mPortListsMade = mControlPorts.Resize(NParams()) && mLastPortValues.Resize(NParams()) &&
                   mInputPorts.Resize(NInChannels()) && mOutputPorts.Resize(NOutChannels()) &&
                   mInputPiece.Resize(NInChannels()) && mOutputPiece.Resize(NOutChannels());
  mControlPorts.Zero();
  mInputPorts.Zero();
  mOutputPorts.Zero();

  // The host's sample rate is fixed for the instance's life; the entry refuses unusable ones.
  SetSampleRate(instanceInfo.mSampleRate);
  // No host name reaches an LV2 plug-in: the host is known to be unknown from the start.
  SetHost("", 0);
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(kInitialBlockSize);
}

IPlugLV2::~IPlugLV2() = default;

bool IPlugLV2::FinishInstantiation()
{
  if (!mPortListsMade) return false;
  EnsureDefaultPreset();
  for (int i = 0; i < NParams(); ++i) mLastPortValues.Get()[i] = PlainToPort(i, GetParam(i)->Value());
  return true;
}

// ---- Ports ----

double IPlugLV2::PortToPlain(int paramIdx, float portValue) const
{
  const IParam* pParam = GetParam(paramIdx);
  if (std::isnan(portValue)) return pParam->GetDefault();
  if (mDescription->ports[paramIdx].role == IPlugLV2Port::kEnabled)
  {
    // Zero and below bypass, as the enable switch's convention has it.
    return portValue > 0.f ? pParam->GetMin() : pParam->GetMax();
  }
  double v = portValue;
  if (v < pParam->GetMin()) v = pParam->GetMin();
  if (v > pParam->GetMax()) v = pParam->GetMax();
  // Stepped parameters land on their grid the way the normalised setter puts them there.
  const double step = pParam->GetStep();
  if (pParam->Type() != IParam::kTypeDouble && step > 0.0)
  {
    v = std::floor(v / step + 0.5) * step;
    if (v > pParam->GetMax()) v = pParam->GetMax();
  }
  return v;
}

float IPlugLV2::PlainToPort(int paramIdx, double plain) const
{
  const IParam* pParam = GetParam(paramIdx);
  if (mDescription->ports[paramIdx].role == IPlugLV2Port::kEnabled)
    return plain > pParam->GetMin() ? 0.f : 1.f;
  return static_cast<float>(plain);
}

bool IPlugLV2::SetParameterFromPort(int paramIdx, float portValue)
{
  WDL_MutexLock lock(&mMutex);
  IParam* pParam = GetParam(paramIdx);
  if (!pParam) return false;
  const double plain = PortToPlain(paramIdx, portValue);
  // A port that agrees with the parameter to the port's precision changes nothing, so a host
  // that echoes restored state back into the ports leaves its full precision in place, and an
  // editor's own change coming back from the host does not move its control.
  if (static_cast<float>(plain) == static_cast<float>(pParam->Value())) return false;
  pParam->Set(plain);
  if (GetGUI()) GetGUI()->SetParameterFromPlug(paramIdx, pParam->GetNormalized(), true);
  OnParamChange(paramIdx);
  return true;
}

void IPlugLV2::ApplyControlPorts()
{
  const float* const* ports = mControlPorts.Get();
  float* last = mLastPortValues.Get();
  for (int i = 0; i < NParams(); ++i)
  {
    if (!ports[i]) continue;
    const float portValue = *ports[i];
    if (SameBits(portValue, last[i])) continue;
    last[i] = portValue;
    SetParameterFromPort(i, portValue);
  }
}

void IPlugLV2::ConnectPort(LV2_Handle instance, uint32_t port, void* data)
{
  IPlugLV2* _this = Instance(instance);
  if (!_this) return;
  WDL_MutexLock lock(&_this->mMutex);
  if (port < static_cast<uint32_t>(_this->NParams()))
    _this->mControlPorts.Get()[port] = static_cast<const float*>(data);
  else if (port < static_cast<uint32_t>(_this->AudioOutputPort(0)))
    _this->mInputPorts.Get()[port - _this->AudioInputPort(0)] = static_cast<float*>(data);
  else if (port < static_cast<uint32_t>(_this->NPorts()))
    _this->mOutputPorts.Get()[port - _this->AudioOutputPort(0)] = static_cast<float*>(data);
}

// ---- Processing ----

bool IPlugLV2::AudioPortsConnected() const
{
  for (int i = 0; i < NInChannels(); ++i)
    if (!mInputPorts.Get()[i]) return false;
  for (int i = 0; i < NOutChannels(); ++i)
    if (!mOutputPorts.Get()[i]) return false;
  return true;
}

void IPlugLV2::ProcessPiecewise(uint32_t nFrames)
{
  for (uint32_t done = 0; done < nFrames;)
  {
    const uint32_t left = nFrames - done;
    const int n = left < static_cast<uint32_t>(GetBlockSize()) ? static_cast<int>(left) : GetBlockSize();
    for (int i = 0; i < NInChannels(); ++i) mInputPiece.Get()[i] = mInputPorts.Get()[i] + done;
    for (int i = 0; i < NOutChannels(); ++i) mOutputPiece.Get()[i] = mOutputPorts.Get()[i] + done;
    AttachInputBuffers(0, NInChannels(), mInputPiece.Get(), n);
    AttachOutputBuffers(0, NOutChannels(), mOutputPiece.Get());
    ProcessBuffers(0.f, n);
    done += static_cast<uint32_t>(n);
  }
}

void IPlugLV2::Run(LV2_Handle instance, uint32_t nFrames)
{
  IPlugLV2* _this = Instance(instance);
  if (!_this) return;
  WDL_MutexLock lock(&_this->mMutex);
  _this->ApplyControlPorts();
  if (_this->AudioPortsConnected()) _this->ProcessPiecewise(nFrames);
}

void IPlugLV2::Activate(LV2_Handle instance)
{
  IPlugLV2* _this = Instance(instance);
  if (!_this) return;
  WDL_MutexLock lock(&_this->mMutex);
  _this->OnActivate(true);
}

void IPlugLV2::Deactivate(LV2_Handle instance)
{
  IPlugLV2* _this = Instance(instance);
  if (!_this) return;
  WDL_MutexLock lock(&_this->mMutex);
  _this->OnActivate(false);
  _this->Reset();
}

void IPlugLV2::Cleanup(LV2_Handle instance)
{
  delete Instance(instance);
}

const void* IPlugLV2::ExtensionData(const char* uri)
{
  return uri && !strcmp(uri, LV2_STATE__interface) ? &kStateInterface : nullptr;
}

// ---- State ----

bool IPlugLV2::GetStateChunk(ByteChunk* pChunk)
{
  WDL_MutexLock lock(&mMutex);
  return InitChunkWithIPlugVer(pChunk) && SerializeState(pChunk);
}

bool IPlugLV2::SetStateChunk(const void* data, size_t size)
{
  if (!data || size > kMaxStateBytes) return false;
  WDL_MutexLock lock(&mMutex);
  ByteChunk chunk;
  const int n = static_cast<int>(size);
  if (chunk.PutBytes(data, n) != n) return false;

  // Every state this wrapper writes starts with the version header; bytes without one are not a
  // state (the position stays 0, or becomes -1 for a header that breaks off).
  int pos = 0;
  GetIPlugVerFromChunk(&chunk, &pos);
  if (pos <= 0) return false;

  // What a chunk that breaks off half-way would replace is kept aside and put back.
  ByteChunk before;
  if (!SerializeState(&before)) return false;
  if (UnserializeState(&chunk, pos) < 0)
  {
    UnserializeState(&before, 0);
    return false;
  }
  RedrawParamControls();
  return true;
}

LV2_State_Status IPlugLV2::SaveState(LV2_Handle instance, LV2_State_Store_Function store,
                                     LV2_State_Handle handle, uint32_t, const LV2_Feature* const*)
{
  IPlugLV2* _this = Instance(instance);
  if (!_this || !store) return LV2_STATE_ERR_UNKNOWN;
  if (!_this->mMap) return LV2_STATE_ERR_NO_FEATURE;
  ByteChunk chunk;
  if (!_this->GetStateChunk(&chunk)) return LV2_STATE_ERR_NO_SPACE;
  return store(handle, _this->mStateKey, chunk.GetBytes(), static_cast<size_t>(chunk.Size()),
               _this->mChunkType, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IPlugLV2::RestoreState(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                                        LV2_State_Handle handle, uint32_t,
                                        const LV2_Feature* const*)
{
  IPlugLV2* _this = Instance(instance);
  if (!_this || !retrieve) return LV2_STATE_ERR_UNKNOWN;
  if (!_this->mMap) return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, _this->mStateKey, &size, &type, &flags);
  if (!data) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != _this->mChunkType) return LV2_STATE_ERR_BAD_TYPE;
  return _this->SetStateChunk(data, size) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

// ---- Host services ----

void IPlugLV2::GetTimeSig(int* pNumerator, int* pDenominator)
{
  if (pNumerator) *pNumerator = 0;
  if (pDenominator) *pDenominator = 0;
}

void IPlugLV2::BeginInformHostOfParamChange(int paramIdx)
{
  if (mUI) mUI->Touch(paramIdx, true);
}

void IPlugLV2::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  const IParam* pParam = GetParam(paramIdx);
  if (mUI && pParam) mUI->WritePort(paramIdx, PlainToPort(paramIdx, pParam->GetNonNormalized(normalizedValue)));
}

void IPlugLV2::EndInformHostOfParamChange(int paramIdx)
{
  if (mUI) mUI->Touch(paramIdx, false);
}

void IPlugLV2::ResizeGraphics(int width, int height)
{
  if (!GetGUI()) return;
  if (mUI) mUI->RequestSize(width, height);
  OnWindowResize();
}
