#include "vst2/IPlugVST.h"

#include "graphics/IGraphics.h"
#include "vst2/EditorSnapshotRequest.h"
#include "plugin/Log.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kInitialBlockSize = 1024;
// Larger block sizes are refused: the scratch buffers could not honestly hold them.
constexpr intptr_t kMaxBlockSize = 1 << 20;
constexpr intptr_t kIdentifyMagic = ('N' << 24) | ('v' << 16) | ('E' << 8) | 'f';
constexpr intptr_t kVendorSpecificYes = 0xBEEF;
constexpr intptr_t kCanDoVendorExtension = 0xBEEF0000;
constexpr intptr_t kVstVersion = 2400;
constexpr int kVendorParamDisplay = 7;
constexpr int kVendorParamIsStepped = 8;

// Hosts may hand over normalised values outside 0..1, and the normalised setter limits only the
// top; not-a-number has no sensible place on a parameter's range at all.
bool HostValueToUnit(float value, float& unit)
{
  if (std::isnan(value)) return false;
  unit = value < 0.f ? 0.f : (value > 1.f ? 1.f : value);
  return true;
}
constexpr int kGetTimeFlags =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

// Copies text into a host buffer that promises room for capacity bytes, terminator included.
void CopyToHost(void* dst, const char* text, size_t capacity)
{
  char* out = static_cast<char*>(dst);
  size_t n = strnlen(text, capacity - 1);
  memcpy(out, text, n);
  out[n] = '\0';
}

// A host-supplied index as an int; -1 (never a valid index) when it does not fit.
int ToIndex(intptr_t value)
{
  return value >= 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

IPlugVST* Instance(AEffect* pEffect)
{
  return pEffect ? static_cast<IPlugVST*>(pEffect->object) : nullptr;
}

} // namespace

// One processing callback's way of running a block once the host buffers are attached.
struct IPlugVST::ReplacingFloat
{
  using Sample = float;
  static void Run(IPlugBase* pPlug, int nFrames) { pPlug->ProcessBuffers(0.f, nFrames); }
};

struct IPlugVST::AccumulatingFloat
{
  using Sample = float;
  static void Run(IPlugBase* pPlug, int nFrames) { pPlug->ProcessBuffersAccumulating(0.f, nFrames); }
};

struct IPlugVST::ReplacingDouble
{
  using Sample = double;
  static void Run(IPlugBase* pPlug, int nFrames) { pPlug->ProcessBuffers(0.0, nFrames); }
};

int VSTSpkrArrType(int nChannels)
{
  switch (nChannels)
  {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

IPlugVST::IPlugVST(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                   int nPresets, const char* effectName, const char* productName,
                   const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                   bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
  : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
              uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST2)
  , mHostCallback(instanceInfo.mVSTHostCallback)
{
  Trace("IPlugVST", __LINE__, "%s", effectName);

  memset(&mAEffect, 0, sizeof(mAEffect));
  mAEffect.magic = kEffectMagic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.process = VSTProcess;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.getParameter = VSTGetParameter;
  mAEffect.numPrograms = nPresets;
  mAEffect.numParams = nParams;
  mAEffect.numInputs = NInChannels();
  mAEffect.numOutputs = NOutChannels();
  mAEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (plugDoesChunks) mAEffect.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) mAEffect.flags |= effFlagsCanMono;
  if (plugIsInst) mAEffect.flags |= effFlagsIsSynth;
  mAEffect.initialDelay = latency;
  mAEffect.ioRatio = 1.0f;
  mAEffect.object = this;
  mAEffect.uniqueID = uniqueID;
  mAEffect.version = GetEffectVersion(true);
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;

  memset(&mInputSpkrArr, 0, sizeof(mInputSpkrArr));
  memset(&mOutputSpkrArr, 0, sizeof(mOutputSpkrArr));
  mInputSpkrArr.numChannels = NInChannels();
  mInputSpkrArr.type = VSTSpkrArrType(NInChannels());
  mOutputSpkrArr.numChannels = NOutChannels();
  mOutputSpkrArr.type = VSTSpkrArrType(NOutChannels());

  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(kInitialBlockSize);
}

IPlugVST::~IPlugVST() = default;

// ---- Host services ----

intptr_t IPlugVST::HostCall(int32_t opCode, int32_t idx, intptr_t value, void* ptr, float opt)
{
  // A host may hand the entry point no callback at all; every service then reports nothing.
  return mHostCallback ? mHostCallback(&mAEffect, opCode, idx, value, ptr, opt) : 0;
}

void IPlugVST::BeginInformHostOfParamChange(int paramIdx)
{
  HostCall(audioMasterBeginEdit, paramIdx);
}

void IPlugVST::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  HostCall(audioMasterAutomate, paramIdx, 0, nullptr, static_cast<float>(normalizedValue));
}

void IPlugVST::EndInformHostOfParamChange(int paramIdx)
{
  HostCall(audioMasterEndEdit, paramIdx);
}

void IPlugVST::InformHostOfProgramChange()
{
  HostCall(audioMasterUpdateDisplay);
}

bool IPlugVST::IsRenderingOffline()
{
  return HostCall(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

const VstTimeInfo* IPlugVST::HostTimeInfo(intptr_t flags)
{
  return reinterpret_cast<const VstTimeInfo*>(HostCall(audioMasterGetTime, 0, flags));
}

int IPlugVST::GetSamplePos()
{
  const VstTimeInfo* pTI = HostTimeInfo(0);
  if (!pTI || !(pTI->samplePos >= 0.0)) return 0;
  // Positions past the 32-bit range (over 13 hours at 44.1 kHz) saturate instead of wrapping.
  double rounded = pTI->samplePos + 0.5;
  return rounded < static_cast<double>(INT_MAX) ? static_cast<int>(rounded) : INT_MAX;
}

double IPlugVST::GetTempo()
{
  const VstTimeInfo* pTI = HostTimeInfo(kVstTempoValid);
  if (pTI && (pTI->flags & kVstTempoValid) && pTI->tempo >= 0.0) return pTI->tempo;
  return 0.0;
}

void IPlugVST::GetTimeSig(int* pNumerator, int* pDenominator)
{
  int numerator = 0, denominator = 0;
  const VstTimeInfo* pTI = HostTimeInfo(kVstTimeSigValid);
  if (pTI && (pTI->flags & kVstTimeSigValid) && pTI->timeSigNumerator >= 0 &&
      pTI->timeSigDenominator >= 0)
  {
    numerator = pTI->timeSigNumerator;
    denominator = pTI->timeSigDenominator;
  }
  if (pNumerator) *pNumerator = numerator;
  if (pDenominator) *pDenominator = denominator;
}

void IPlugVST::GetTime(ITimeInfo* pTimeInfo)
{
  if (!pTimeInfo) return;
  const VstTimeInfo* pTI = HostTimeInfo(kGetTimeFlags);
  if (!pTI || !(pTI->flags & kGetTimeFlags)) return;

  pTimeInfo->mSamplePos = pTI->samplePos;
  if ((pTI->flags & kVstPpqPosValid) && pTI->ppqPos >= 0.0) pTimeInfo->mPPQPos = pTI->ppqPos;
  if ((pTI->flags & kVstTempoValid) && pTI->tempo > 0.0) pTimeInfo->mTempo = pTI->tempo;
  if ((pTI->flags & kVstBarsValid) && pTI->barStartPos >= 0.0) pTimeInfo->mLastBar = pTI->barStartPos;
  if ((pTI->flags & kVstCyclePosValid) && pTI->cycleStartPos >= 0.0 && pTI->cycleEndPos >= 0.0)
  {
    pTimeInfo->mCycleStart = pTI->cycleStartPos;
    pTimeInfo->mCycleEnd = pTI->cycleEndPos;
  }
  if ((pTI->flags & kVstTimeSigValid) && pTI->timeSigNumerator > 0 && pTI->timeSigDenominator > 0)
  {
    pTimeInfo->mNumerator = pTI->timeSigNumerator;
    pTimeInfo->mDenominator = pTI->timeSigDenominator;
  }
  pTimeInfo->mTransportIsRunning = (pTI->flags & kVstTransportPlaying) != 0;
  pTimeInfo->mTransportLoopEnabled = (pTI->flags & kVstTransportCycleActive) != 0;
}

EHost IPlugVST::GetHost()
{
  if (mHost != kHostUninit) return mHost;

  char productStr[256] = "";
  HostCall(audioMasterGetProductString, 0, 0, productStr);
  productStr[sizeof(productStr) - 1] = '\0';

  int version = 0;
  if (productStr[0])
  {
    intptr_t decimal = HostCall(audioMasterGetVendorVersion);
    // A negative or absurdly large answer is no version at all; packing it would overflow.
    if (decimal > 0 && decimal < 32768 * 10000)
    {
      int v = static_cast<int>(decimal);
      version = (v / 10000) * 65536 + ((v % 10000) / 100) * 256 + v % 100;
    }
  }
  SetHost(productStr, version);
  return mHost;
}

void IPlugVST::ResizeGraphics(int, int)
{
  if (!GetGUI()) return;
  SetEditRect(GetGUI());
  OnWindowResize();
}

void IPlugVST::SetEditRect(const IGraphics* pGraphics)
{
  mEditRect.top = mEditRect.left = 0;
  mEditRect.bottom = static_cast<int16_t>(pGraphics->Height());
  mEditRect.right = static_cast<int16_t>(pGraphics->Width());
}

void IPlugVST::SyncChannelCounts()
{
  mAEffect.numInputs = mInputSpkrArr.numChannels = NInChannels();
  mAEffect.numOutputs = mOutputSpkrArr.numChannels = NOutChannels();
}

void IPlugVST::HostSpecificInit()
{
  if (mHostSpecificInitDone) return;
  mHostSpecificInitDone = true;

  switch (GetHost())
  {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSAWStudio:
      LimitToStereoIO();
      break;
    default:
      break;
  }
  SyncChannelCounts();
  OnHostIdentified();
}

void IPlugVST::AttachGraphics(IGraphics* pGraphics)
{
  if (!pGraphics) return;
  IPlugBase::AttachGraphics(pGraphics);
  mAEffect.flags |= effFlagsHasEditor;
  SetEditRect(pGraphics);
}

void IPlugVST::SetLatency(int samples)
{
  mAEffect.initialDelay = samples;
  IPlugBase::SetLatency(samples);
}

bool IPlugVST::SendEvents(VstEvent* pEvent)
{
  VstEvents events;
  events.numEvents = 1;
  events.reserved = 0;
  events.events[0] = pEvent;
  events.events[1] = nullptr;
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPlugVST::SendVSTEvent(VstEvent* pEvent)
{
  return pEvent && SendEvents(pEvent);
}

bool IPlugVST::SendMidiMsg(IMidiMsg* pMsg)
{
  if (!pMsg) return false;
  VstMidiEvent midi;
  memset(&midi, 0, sizeof(midi));
  midi.type = kVstMidiType;
  midi.byteSize = sizeof(VstMidiEvent);
  midi.deltaFrames = pMsg->mOffset;
  midi.midiData[0] = static_cast<char>(pMsg->mStatus);
  midi.midiData[1] = static_cast<char>(pMsg->mData1);
  midi.midiData[2] = static_cast<char>(pMsg->mData2);
  return SendEvents(reinterpret_cast<VstEvent*>(&midi));
}

bool IPlugVST::SendSysEx(ISysEx* pSysEx)
{
  if (!pSysEx) return false;
  VstMidiSysexEvent sysex;
  memset(&sysex, 0, sizeof(sysex));
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof(VstMidiSysexEvent);
  sysex.deltaFrames = pSysEx->mOffset;
  sysex.dumpBytes = pSysEx->mSize;
  sysex.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(pSysEx->mData));
  return SendEvents(reinterpret_cast<VstEvent*>(&sysex));
}

// ---- Dispatcher ----

intptr_t IPlugVST::VSTDispatcher(AEffect* pEffect, int32_t opCode, int32_t idx, intptr_t value,
                                 void* ptr, float opt)
{
  IPlugVST* _this = Instance(pEffect);
  if (!_this) return 0;

  if (opCode == effClose)
  {
    {
      WDL_MutexLock lock(&_this->mMutex);
      Trace("VSTDispatcher", __LINE__, "%d(%s):%d:%d", opCode, VSTOpcodeStr(opCode), idx,
            static_cast<int>(value));
    }
    delete _this;
    return 0;
  }

  if (opCode == effEditIdle)
  {
    if (IGraphics* pGraphics = _this->GetGUI()) pGraphics->Idle();
    return 0;
  }
  WDL_MutexLock lock(&_this->mMutex);
  if (opCode == effIdle) return 0;
  Trace("VSTDispatcher", __LINE__, "%d(%s):%d:%d", opCode, VSTOpcodeStr(opCode), idx,
        static_cast<int>(value));
  return _this->Dispatch(opCode, idx, value, ptr, opt);
}

intptr_t IPlugVST::Dispatch(int32_t opCode, int32_t idx, intptr_t value, void* ptr, float opt)
{
  const bool paramInRange = idx >= 0 && idx < NParams();

  switch (opCode)
  {
    case effOpen:
      HostSpecificInit();
      OnParamReset();
      return 0;

    case effSetProgram:
      if (!DoesStateChunks()) ModifyCurrentPreset();
      RestorePreset(ToIndex(value));
      return 0;

    case effGetProgram:
      return GetCurrentPresetIdx();

    case effSetProgramName:
      if (ptr)
      {
        // Hosts promise a terminated name; reading stops at the longest name a preset can hold.
        char name[MAX_PRESET_NAME_LEN];
        CopyToHost(name, static_cast<const char*>(ptr), sizeof(name));
        ModifyCurrentPreset(name);
        PresetsChangedByHost();
      }
      return 0;

    case effGetProgramName:
      if (ptr) CopyToHost(ptr, GetPresetName(GetCurrentPresetIdx()), kVstMaxProgNameLen);
      return 0;

    case effGetParamLabel:
      if (paramInRange && ptr) CopyToHost(ptr, GetParam(idx)->GetLabelForHost(), kVstMaxParamStrLen);
      return 0;

    case effGetParamDisplay:
      if (paramInRange && ptr)
      {
        char display[MAX_PARAM_DISPLAY_LEN];
        IParam* pParam = GetParam(idx);
        pParam->GetDisplayForHost(pParam->Value(), false, display, true);
        CopyToHost(ptr, display, kVstMaxParamStrLen);
      }
      return 0;

    case effGetParamName:
      if (paramInRange && ptr) CopyToHost(ptr, GetParam(idx)->GetNameForHost(), kVstMaxParamStrLen);
      return 0;

    case effSetSampleRate:
      // Zero, negative or not-a-number rates would poison every coefficient; the old rate stays.
      if (std::isfinite(opt) && opt > 0.f) SetSampleRate(opt);
      Reset();
      return 0;

    case effSetBlockSize:
      if (value > 0 && value <= kMaxBlockSize) SetBlockSize(static_cast<int>(value));
      Reset();
      return 0;

    case effMainsChanged:
      if (value)
      {
        OnActivate(true);
      }
      else
      {
        OnActivate(false);
        Reset();
      }
      return 0;

    case effEditGetRect:
      if (!ptr || !GetGUI()) return 0;
      *static_cast<ERect**>(ptr) = &mEditRect;
      return 1;

    case effEditOpen:
      if (GetGUI() && GetGUI()->OpenWindow(ptr))
      {
        OnGUIOpen();
        return 1;
      }
      return 0;

    case effEditClose:
      if (!GetGUI()) return 0;
      OnGUIClose();
      GetGUI()->CloseWindow();
      return 1;

    case effIdentify:
      return kIdentifyMagic;

    case effGetChunk:
      return GetChunk(idx, ptr);

    case effSetChunk:
      return SetChunk(idx, value, ptr);

    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));

    case effCanBeAutomated:
      return 1;

    case effString2Parameter:
      return String2Parameter(idx, static_cast<const char*>(ptr));

    case effGetProgramNameIndexed:
    {
      if (!ptr) return 0;
      const char* name = GetPresetName(idx);
      CopyToHost(ptr, name, kVstMaxProgNameLen);
      return name[0] ? 1 : 0;
    }

    case effGetInputProperties:
    case effGetOutputProperties:
      return PinProperties(opCode == effGetInputProperties, idx, static_cast<VstPinProperties*>(ptr));

    case effGetPlugCategory:
      return IsInst() ? kPlugCategSynth : kPlugCategEffect;

    case effSetSpeakerArrangement:
      SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                            static_cast<const VstSpeakerArrangement*>(ptr));
      return 1;

    case effGetEffectName:
      if (!ptr) return 0;
      CopyToHost(ptr, GetEffectName(), kVstMaxEffectNameLen);
      return 1;

    case effGetVendorString:
      if (!ptr) return 0;
      CopyToHost(ptr, GetMfrName(), kVstMaxVendorStrLen);
      return 1;

    case effGetProductString:
      if (!ptr) return 0;
      CopyToHost(ptr, GetProductName(), kVstMaxProductStrLen);
      return 1;

    case effGetVendorVersion:
      return GetEffectVersion(true);

    case effVendorSpecific:
      return VendorSpecific(idx, value, ptr, opt);

    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));

    case effGetTailSize:
      return GetTailSize();

    case effGetVstVersion:
      return kVstVersion;

    case effGetMidiKeyName:
    {
      MidiKeyName* pKey = static_cast<MidiKeyName*>(ptr);
      if (!pKey) return 0;
      // The plug-in may name keys at any length; the record holds kVstMaxNameLen bytes.
      char name[256] = "";
      bool named = MidiNoteName(pKey->thisKeyNumber, name);
      name[sizeof(name) - 1] = '\0';
      CopyToHost(pKey->keyName, name, sizeof(pKey->keyName));
      return named ? 1 : 0;
    }

    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputSpkrArr;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputSpkrArr;
      return 1;

    default:
      return 0;
  }
}

intptr_t IPlugVST::GetChunk(int32_t idx, void* ptr)
{
  if (!ptr) return 0;
  const bool bank = idx == 0;
  ByteChunk* pChunk = bank ? &mBankState : &mState;
  bool ok = InitChunkWithIPlugVer(pChunk);
  if (ok && bank)
  {
    ModifyCurrentPreset();
    ok = SerializePresets(pChunk);
  }
  else if (ok)
  {
    ok = SerializeState(pChunk);
  }
  if (!ok || pChunk->Size() == 0) return 0;
  *static_cast<void**>(ptr) = pChunk->GetBytes();
  return pChunk->Size();
}

intptr_t IPlugVST::SetChunk(int32_t idx, intptr_t size, const void* ptr)
{
  if (!ptr || size < 0 || size > INT_MAX) return 0;
  const bool bank = idx == 0;
  ByteChunk* pChunk = bank ? &mBankState : &mState;

  // Hosts may hand back the very buffer effGetChunk gave them, which refilling would overwrite
  // while it is being read: stage the bytes first.
  ByteChunk staged;
  const int n = static_cast<int>(size);
  if (n > 0 && staged.PutBytes(ptr, n) != n) return 0;
  pChunk->Clear();
  if (n > 0 && pChunk->PutChunk(&staged) != n) return 0;

  int pos = 0;
  const int version = GetIPlugVerFromChunk(pChunk, &pos);
  const bool presets = bank && version >= IPLUG_VERSION;

  // A chunk that cannot be read completely must not leave half of it applied (and, for a program,
  // stored into the current preset): what it would replace is kept aside and put back.
  ByteChunk presetsBefore, stateBefore;
  const bool saved = (!presets || SerializePresets(&presetsBefore)) && SerializeState(&stateBefore);

  pos = presets ? UnserializePresets(pChunk, pos) : UnserializeState(pChunk, pos);
  if (pos < 0)
  {
    if (saved)
    {
      if (presets) UnserializePresets(&presetsBefore, 0);
      UnserializeState(&stateBefore, 0);
    }
    return 0;
  }
  if (!presets) ModifyCurrentPreset();
  RedrawParamControls();
  return 1;
}

intptr_t IPlugVST::ProcessEvents(const VstEvents* pEvents)
{
  if (!pEvents) return 0;
  for (int i = 0; i < pEvents->numEvents; ++i)
  {
    const VstEvent* pEvent = pEvents->events[i];
    if (!pEvent) continue;
    if (pEvent->type == kVstMidiType)
    {
      const VstMidiEvent* pMidi = reinterpret_cast<const VstMidiEvent*>(pEvent);
      IMidiMsg msg(pMidi->deltaFrames, static_cast<uint8_t>(pMidi->midiData[0]),
                   static_cast<uint8_t>(pMidi->midiData[1]), static_cast<uint8_t>(pMidi->midiData[2]));
      ProcessMidiMsg(&msg);
    }
    else if (pEvent->type == kVstSysExType)
    {
      const VstMidiSysexEvent* pSysEx = reinterpret_cast<const VstMidiSysexEvent*>(pEvent);
      ISysEx sysex(pSysEx->deltaFrames, reinterpret_cast<const uint8_t*>(pSysEx->sysexDump),
                   pSysEx->dumpBytes);
      ProcessSysEx(&sysex);
    }
  }
  return 1;
}

intptr_t IPlugVST::String2Parameter(int32_t idx, const char* text)
{
  if (idx < 0 || idx >= NParams()) return 0;
  if (!text) return 1;

  IParam* pParam = GetParam(idx);
  double v;
  if (pParam->GetNDisplayTexts())
  {
    int mapped;
    if (!pParam->MapDisplayText(text, &mapped)) return 0;
    v = mapped;
  }
  else
  {
    v = atof(text);
    // "nan" would survive the range limit and reach the effect as a value.
    if (std::isnan(v)) return 0;
    if (pParam->DisplayIsNegated()) v = -v;
  }
  if (GetGUI()) GetGUI()->SetParameterFromPlug(idx, v, false);
  pParam->Set(v);
  OnParamChange(idx);
  return 1;
}

intptr_t IPlugVST::PinProperties(bool input, int32_t idx, VstPinProperties* pProps)
{
  const int nChannels = input ? NInChannels() : NOutChannels();
  if (idx < 0 || !pProps || idx >= nChannels) return 0;

  pProps->flags = kVstPinIsActive;
  if (idx % 2 == 0 && idx + 1 < nChannels) pProps->flags |= kVstPinIsStereo;
  const char* label = input ? GetInputLabel(idx) : GetOutputLabel(idx);
  if (label && label[0])
    CopyToHost(pProps->label, label, sizeof(pProps->label));
  else
    snprintf(pProps->label, sizeof(pProps->label), "%s %d", input ? "Input" : "Output", idx + 1);
  return 1;
}

void IPlugVST::SetSpeakerArrangement(const VstSpeakerArrangement* pIn,
                                     const VstSpeakerArrangement* pOut)
{
  if (pIn)
  {
    const int n = pIn->numChannels < 0 ? 0 : pIn->numChannels;
    SetInputChannelConnections(0, n, true);
    if (n < NInChannels()) SetInputChannelConnections(n, NInChannels() - n, false);
  }
  if (pOut)
  {
    const int n = pOut->numChannels < 0 ? 0 : pOut->numChannels;
    SetOutputChannelConnections(0, n, true);
    if (n < NOutChannels()) SetOutputChannelConnections(n, NOutChannels() - n, false);
  }
}

intptr_t IPlugVST::VendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt)
{
  if (idx == kEditorSnapshotRequest) return SnapshotEditor(static_cast<EditorSnapshotRequest*>(ptr));
  const bool paramInRange = value >= 0 && value < NParams();
  if (idx == kVendorParamDisplay && ptr)
  {
    float unit;
    if (paramInRange && HostValueToUnit(opt, unit))
    {
      char display[MAX_PARAM_DISPLAY_LEN];
      GetParam(static_cast<int>(value))->GetDisplayForHost(unit, true, display, true);
      CopyToHost(ptr, display, kVstMaxParamStrLen);
    }
    return kVendorSpecificYes;
  }
  if (idx == kVendorParamIsStepped)
  {
    if (!paramInRange) return 0;
    switch (GetParam(static_cast<int>(value))->Type())
    {
      case IParam::kTypeBool:
      case IParam::kTypeInt:
      case IParam::kTypeEnum:
        return kVendorSpecificYes;
      default:
        return 0;
    }
  }
  return 0;
}

intptr_t IPlugVST::SnapshotEditor(EditorSnapshotRequest* pRequest)
{
  IGraphics* pGraphics = GetGUI();
  if (!pGraphics || !pRequest) return 0;
  if (!pRequest->pixels)
  {
    pRequest->width = pGraphics->Width();
    pRequest->height = pGraphics->Height();
    return 1;
  }
  return pGraphics->DrawSnapshot(pRequest->pixels, pRequest->width, pRequest->height) ? 1 : 0;
}

intptr_t IPlugVST::CanDo(const char* capability)
{
  if (!capability) return 0;
  Trace("VSTDispatcher", __LINE__, "VSTCanDo(%s)", capability);

  if (!strcmp(capability, "receiveVstTimeInfo")) return 1;
  if (DoesMIDI() &&
      (!strcmp(capability, "sendVstEvents") || !strcmp(capability, "sendVstMidiEvent") ||
       !strcmp(capability, "receiveVstEvents") || !strcmp(capability, "receiveVstMidiEvent")))
    return 1;
  if (!strcmp(capability, "hasVendorExtensions"))
  {
    mHasVSTExtensions |= kHostHasVendorExtensions;
    return kCanDoVendorExtension;
  }
  if (!strcmp(capability, "hasVendorViewAsConfig"))
  {
    mHasVSTExtensions |= kHostHasVendorViewAsConfig;
    return kCanDoVendorExtension;
  }
  return 0;
}

// ---- Parameter and processing callbacks ----

float IPlugVST::VSTGetParameter(AEffect* pEffect, int32_t idx)
{
  Trace("VSTGetParameter", __LINE__, "%d", idx);
  IPlugVST* _this = Instance(pEffect);
  if (!_this) return 0.f;
  WDL_MutexLock lock(&_this->mMutex);
  if (idx < 0 || idx >= _this->NParams()) return 0.f;
  return static_cast<float>(_this->GetParam(idx)->GetNormalized());
}

void IPlugVST::VSTSetParameter(AEffect* pEffect, int32_t idx, float value)
{
  Trace("VSTSetParameter", __LINE__, "%d:%f", idx, value);
  IPlugVST* _this = Instance(pEffect);
  if (!_this) return;
  WDL_MutexLock lock(&_this->mMutex);
  if (idx < 0 || idx >= _this->NParams() || !HostValueToUnit(value, value)) return;
  if (_this->GetGUI()) _this->GetGUI()->SetParameterFromPlug(idx, value, true);
  _this->GetParam(idx)->SetNormalized(value);
  _this->OnParamChange(idx);
}

template <class Sample>
bool IPlugVST::HostBuffersUsable(Sample** inputs, Sample** outputs) const
{
  int nIn = 0, nOut = 0;
  for (int i = 0; i < NInChannels(); ++i) nIn += IsInChannelConnected(i) ? 1 : 0;
  for (int i = 0; i < NOutChannels(); ++i) nOut += IsOutChannelConnected(i) ? 1 : 0;
  if ((nIn && !inputs) || (nOut && !outputs)) return false;
  for (int i = 0; i < nIn; ++i)
    if (!inputs[i]) return false;
  for (int i = 0; i < nOut; ++i)
    if (!outputs[i]) return false;
  return true;
}

template <class Block>
void IPlugVST::ProcessBlock(AEffect* pEffect, typename Block::Sample** inputs,
                            typename Block::Sample** outputs, int32_t nFrames)
{
  IPlugVST* _this = Instance(pEffect);
  if (!_this) return;
  WDL_MutexLock lock(&_this->mMutex);
  if (_this->DoesMIDI()) _this->HostCall(audioMasterWantMidi);
  // A block whose buffers the host left out cannot be read or written: it is skipped.
  if (!_this->HostBuffersUsable(inputs, outputs)) return;
  _this->AttachInputBuffers(0, _this->NInChannels(), inputs, nFrames);
  _this->AttachOutputBuffers(0, _this->NOutChannels(), outputs);
  Block::Run(_this, nFrames);
}

void IPlugVST::VSTProcess(AEffect* pEffect, float** inputs, float** outputs, int32_t nFrames)
{
  ProcessBlock<AccumulatingFloat>(pEffect, inputs, outputs, nFrames);
}

void IPlugVST::VSTProcessReplacing(AEffect* pEffect, float** inputs, float** outputs,
                                   int32_t nFrames)
{
  ProcessBlock<ReplacingFloat>(pEffect, inputs, outputs, nFrames);
}

void IPlugVST::VSTProcessDoubleReplacing(AEffect* pEffect, double** inputs, double** outputs,
                                         int32_t nFrames)
{
  ProcessBlock<ReplacingDouble>(pEffect, inputs, outputs, nFrames);
}
