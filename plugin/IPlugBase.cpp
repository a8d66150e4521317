#include "plugin/IPlugBase.h"

#include "graphics/IGraphics.h"
#include "plugin/Log.h"
#include "plugin/Timestamps.h"
#include "plugin/Versions.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
void CopyEffectName(char* dst, const char* src)
{
  strncpy(dst, src ? src : "", MAX_EFFECT_NAME_LEN - 1);
  dst[MAX_EFFECT_NAME_LEN - 1] = 0;
}

// A result too small for a normal float leaves as 0: subnormal samples slow down whatever processes
// them next, and a level that fades towards 0 passes through that range on its way.
float ToHostFloat(double src)
{
  const float f = static_cast<float>(src);
  return std::fpclassify(f) == FP_SUBNORMAL ? 0.f : f;
}

// How converted samples reach a host's single-precision buffer.
struct Overwrite
{
  static void Write(float* dst, double src) { *dst = ToHostFloat(src); }
};

struct Accumulate
{
  static void Write(float* dst, double src) { *dst += ToHostFloat(src); }
};
} // namespace

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                     int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                     EAPI plugAPI)
  : mUniqueID(uniqueID)
  , mMfrID(mfrID)
  , mVersion(vendorVersion)
  , mAPI(plugAPI)
  , mStateChunks(plugDoesChunks)
  , mIsInst(plugIsInst)
  , mDoesMIDI(plugDoesMidi)
  , mLatency(latency)
  , mInData(4096)
  , mOutData(4096)
{
  for (int i = 0; i < nParams; ++i)
  {
    IParam* pParam = new IParam;
    if (!mParams.Add(pParam)) delete pParam;
  }
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* pPreset = new IPreset;
    if (!mPresets.Add(pPreset)) delete pPreset;
  }

  CopyEffectName(mEffectName, effectName);
  CopyEffectName(mProductName, productName);
  CopyEffectName(mMfrName, mfrName);

  ParseChannelIO(channelIOStr);

  int nIn = 0, nOut = 0;
  for (int i = 0; i < mChannelIO.GetSize(); ++i)
  {
    const ChannelIO* pIO = mChannelIO.Get(i);
    if (pIO->mIn > nIn) nIn = pIO->mIn;
    if (pIO->mOut > nOut) nOut = pIO->mOut;
  }
  // Channels exist only where their pointer entries do, so a failed allocation shrinks both together.
  if (!mInData.Resize(nIn)) nIn = 0;
  if (!mOutData.Resize(nOut)) nOut = 0;
  mInData.Zero();
  mOutData.Zero();

  for (int i = 0; i < nIn; ++i)
  {
    InChannel* pIn = new InChannel;
    pIn->mSrc = mInData.Get() + i;
    if (!mInChannels.Add(pIn)) delete pIn;
  }
  for (int i = 0; i < nOut; ++i)
  {
    OutChannel* pOut = new OutChannel;
    pOut->mDest = mOutData.Get() + i;
    if (!mOutChannels.Add(pOut)) delete pOut;
  }

  Trace("IPlugBase", __LINE__, "%s:%s", mEffectName, CurrentTime());
}

IPlugBase::~IPlugBase()
{
  delete mGraphics;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
}

void IPlugBase::ParseChannelIO(const char* channelIOStr)
{
  if (!channelIOStr) return;
  for (const char* p = channelIOStr;;)
  {
    int nIn = 0, nOut = 0;
    sscanf(p, "%d-%d", &nIn, &nOut);
    ChannelIO* pIO = new ChannelIO(nIn, nOut);
    if (!mChannelIO.Add(pIO)) delete pIO;
    p = strchr(p, ' ');
    if (!p) break;
    ++p;
  }
}

// ---- Virtual defaults ----

void IPlugBase::Reset()
{
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::OnParamChange(int)
{
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  const int nIn = NInChannels(), nOut = NOutChannels();
  const size_t bytes = static_cast<size_t>(nFrames) * sizeof(double);
  for (int i = 0; i < nOut; ++i)
  {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = i < nIn ? inputs[i] : nullptr;
    if (!in)
      memset(out, 0, bytes);
    else if (in != out)
      memmove(out, in, bytes);
  }
}

void IPlugBase::OnActivate(bool)
{
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* pMsg)
{
  SendMidiMsg(pMsg);
}

void IPlugBase::ProcessSysEx(ISysEx*) {}

bool IPlugBase::MidiNoteName(int, char* pNameStr)
{
  if (pNameStr) pNameStr[0] = 0;
  return false;
}

bool IPlugBase::SerializeState(ByteChunk* pChunk)
{
  return SerializeParams(pChunk);
}

int IPlugBase::UnserializeState(ByteChunk* pChunk, int startPos)
{
  return UnserializeParams(pChunk, startPos);
}

void IPlugBase::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIdx, normalizedValue);
  WDL_MutexLock lock(&mMutex);
  IParam* pParam = GetParam(paramIdx);
  if (!pParam) return;
  pParam->SetNormalized(normalizedValue);
  // The host records what the control sent, not the value after step rounding.
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IPlugBase::AttachGraphics(IGraphics* pGraphics)
{
  if (!pGraphics) return;
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  pGraphics->PrepDraw();
  if (mGraphics != pGraphics) delete mGraphics;
  mGraphics = pGraphics;
}

void IPlugBase::SetLatency(int samples)
{
  mLatency = samples;
}

void IPlugBase::RedrawParamControls()
{
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IPlugBase::SetBlockSize(int blockSize)
{
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;

  // A failed growth keeps a buffer at its old length, so the usable block is the shortest buffer.
  int usable = blockSize;
  auto resize = [&usable, blockSize](WDL_TypedBuf<double>* pBuf, double** ppEntry) {
    const double* old = pBuf->Get();
    pBuf->Resize(blockSize);
    pBuf->Zero();
    if (pBuf->GetSize() < usable) usable = pBuf->GetSize();
    // An entry left pointing at the old storage would dangle after the reallocation.
    if (*ppEntry == old || !*ppEntry) *ppEntry = pBuf->GetSize() > 0 ? pBuf->Get() : nullptr;
  };
  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    resize(&pIn->mScratchBuf, pIn->mSrc);
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    resize(&pOut->mScratchBuf, pOut->mDest);
  }
  mBlockSize = usable;
}

// ---- Channels ----

bool IPlugBase::IsInChannelConnected(int chIdx) const
{
  const InChannel* pIn = mInChannels.Get(chIdx);
  return pIn && pIn->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* pOut = mOutChannels.Get(chIdx);
  return pOut && pOut->mConnected;
}

const char* IPlugBase::GetInputLabel(int chIdx) const
{
  const InChannel* pIn = mInChannels.Get(chIdx);
  return pIn ? pIn->mLabel.Get() : "";
}

const char* IPlugBase::GetOutputLabel(int chIdx) const
{
  const OutChannel* pOut = mOutChannels.Get(chIdx);
  return pOut ? pOut->mLabel.Get() : "";
}

const char* IPlugBase::GetInputBusLabel(int idx) const
{
  const WDL_String* pLabel = mInputBusLabels.Get(idx);
  return pLabel ? pLabel->Get() : nullptr;
}

const char* IPlugBase::GetOutputBusLabel(int idx) const
{
  const WDL_String* pLabel = mOutputBusLabels.Get(idx);
  return pLabel ? pLabel->Get() : nullptr;
}

bool IPlugBase::LegalIO(int nIn, int nOut) const
{
  bool legal = false;
  for (int i = 0; i < mChannelIO.GetSize() && !legal; ++i)
  {
    const ChannelIO* pIO = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == pIO->mIn) && (nOut < 0 || nOut == pIO->mOut);
  }
  Trace("LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

void IPlugBase::LimitToStereoIO()
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nIn > 2) SetInputChannelConnections(2, nIn - 2, false);
  if (nOut > 2) SetOutputChannelConnections(2, nOut - 2, true);
}

void IPlugBase::PointAtScratch(InChannel* pIn)
{
  // A disconnected input must read silence, whatever it last converted.
  pIn->mScratchBuf.Zero();
  *pIn->mSrc = pIn->mScratchBuf.GetSize() > 0 ? pIn->mScratchBuf.Get() : nullptr;
}

void IPlugBase::PointAtScratch(OutChannel* pOut)
{
  *pOut->mDest = pOut->mScratchBuf.GetSize() > 0 ? pOut->mScratchBuf.Get() : nullptr;
}

void IPlugBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  for (int i = idx < 0 ? 0 : idx; i < idx + n && i < NInChannels(); ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    pIn->mConnected = connected;
    if (!connected) PointAtScratch(pIn);
  }
}

void IPlugBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  for (int i = idx < 0 ? 0 : idx; i < idx + n && i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    pOut->mConnected = connected;
    if (!connected) PointAtScratch(pOut);
  }
}

void IPlugBase::SetInputLabel(int idx, const char* label)
{
  InChannel* pIn = mInChannels.Get(idx);
  if (pIn) pIn->mLabel.Set(label ? label : "");
}

void IPlugBase::SetOutputLabel(int idx, const char* label)
{
  OutChannel* pOut = mOutChannels.Get(idx);
  if (pOut) pOut->mLabel.Set(label ? label : "");
}

static bool SetBusLabel(WDL_PtrList<WDL_String>* pList, int idx, const char* label)
{
  WDL_String* pLabel = new WDL_String(label ? label : "");
  pList->Delete(idx, true);
  if (pList->Insert(idx, pLabel)) return true;
  delete pLabel;
  return false;
}

bool IPlugBase::SetInputBusLabel(int idx, const char* label)
{
  if (idx < 0 || idx > 1) return false;
  return SetBusLabel(&mInputBusLabels, idx, label);
}

bool IPlugBase::SetOutputBusLabel(int idx, const char* label)
{
  if (idx < 0) return false;
  return SetBusLabel(&mOutputBusLabels, idx, label);
}

// ---- Buffer plumbing ----

int IPlugBase::LimitToBlock(int nFrames) const
{
  return nFrames < mBlockSize ? nFrames : mBlockSize;
}

void IPlugBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  const int frames = LimitToBlock(nFrames);
  for (int i = idx < 0 ? 0 : idx; i < idx + n && i < NInChannels(); ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    if (!pIn->mConnected) continue;
    const float* src = *ppData++;
    double* scratch = pIn->mScratchBuf.Get();
    for (int s = 0; s < frames; ++s) scratch[s] = src ? src[s] : 0.0;
    *pIn->mSrc = scratch;
  }
}

void IPlugBase::AttachInputBuffers(int idx, int n, double** ppData, int)
{
  for (int i = idx < 0 ? 0 : idx; i < idx + n && i < NInChannels(); ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    if (pIn->mConnected) *pIn->mSrc = *ppData++;
  }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  for (int i = idx < 0 ? 0 : idx; i < idx + n && i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    if (!pOut->mConnected) continue;
    *pOut->mDest = pOut->mScratchBuf.Get();
    pOut->mFDest = *ppData++;
  }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  for (int i = idx < 0 ? 0 : idx; i < idx + n && i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    if (pOut->mConnected) *pOut->mDest = *ppData++;
  }
}

template <class Writer>
void IPlugBase::WriteFloatOutputs(int nFrames)
{
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    const double* src = *pOut->mDest;
    float* dst = pOut->mFDest;
    if (!pOut->mConnected || !src || !dst) continue;
    for (int s = 0; s < nFrames; ++s) Writer::Write(dst + s, src[s]);
  }
}

void IPlugBase::SilenceTails(bool toFloat, int from, int nFrames)
{
  if (from >= nFrames) return;
  if (from < 0) from = 0;
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    if (!pOut->mConnected) continue;
    if (toFloat && pOut->mFDest)
      memset(pOut->mFDest + from, 0, static_cast<size_t>(nFrames - from) * sizeof(float));
    else if (!toFloat && *pOut->mDest)
      memset(*pOut->mDest + from, 0, static_cast<size_t>(nFrames - from) * sizeof(double));
  }
}

void IPlugBase::ProcessBuffers(double, int nFrames)
{
  const int frames = LimitToBlock(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  SilenceTails(false, frames, nFrames);
}

void IPlugBase::ProcessBuffers(float, int nFrames)
{
  const int frames = LimitToBlock(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  WriteFloatOutputs<Overwrite>(frames);
  SilenceTails(true, frames, nFrames);
}

void IPlugBase::ProcessBuffersAccumulating(float, int nFrames)
{
  const int frames = LimitToBlock(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  WriteFloatOutputs<Accumulate>(frames);
}

void IPlugBase::PassThroughBuffers(double, int nFrames)
{
  const int frames = LimitToBlock(nFrames);
  IPlugBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  SilenceTails(false, frames, nFrames);
}

void IPlugBase::PassThroughBuffers(float, int nFrames)
{
  const int frames = LimitToBlock(nFrames);
  IPlugBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), frames);
  WriteFloatOutputs<Overwrite>(frames);
  SilenceTails(true, frames, nFrames);
}

void IPlugBase::ZeroScratchBuffers()
{
  for (int i = 0; i < NInChannels(); ++i) mInChannels.Get(i)->mScratchBuf.Zero();
  for (int i = 0; i < NOutChannels(); ++i) mOutChannels.Get(i)->mScratchBuf.Zero();
}

bool IPlugBase::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs)
{
  bool ok = true;
  for (int i = 0; i < pMsgs->GetSize(); ++i) ok = SendMidiMsg(pMsgs->Get() + i) && ok;
  return ok;
}

// ---- Settings and identity ----

double IPlugBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

int IPlugBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IPlugBase::GetEffectVersionStr(char* buf) const
{
  GetVersionStr(mVersion, buf);
}

int IPlugBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPlugBase::GetHostVersionStr(char* buf)
{
  GetHost();
  GetVersionStr(mHostVersion, buf);
}

const char* IPlugBase::GetAPIString()
{
  switch (GetAPI())
  {
    case kAPIVST2: return "VST2";
    case kAPIVST3: return "VST3";
    case kAPIAU: return "AU";
    case kAPIRTAS: return "RTAS";
    case kAPIAAX: return "AAX";
    case kAPISA: return "Standalone";
    case kAPILV2: return "LV2";
    default: return "";
  }
}

void IPlugBase::SetHost(const char* hostName, int hostVersion)
{
  mHost = LookUpHost(hostName);
  mHostVersion = hostVersion;
  char versionStr[32];
  GetVersionStr(hostVersion, versionStr);
  Trace("SetHost", __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", hostName ? hostName : "",
        versionStr);
}

// ---- Parameter paths ----

void IPlugBase::OnParamReset()
{
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IPlugBase::DirtyParameters()
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}
