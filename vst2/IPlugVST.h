#pragma once

#include "plugin/IPlugBase.h"
#include "vst2/VstInterface.h"

struct EditorSnapshotRequest;

// What the module's entry point hands to the effect's constructor: the host's callback.
struct IPlugInstanceInfo
{
  audioMasterCallback mVSTHostCallback = nullptr;
};

// Speaker-arrangement type for a channel count: kSpeakerArrEmpty for 0, kSpeakerArrMono for 1,
// kSpeakerArrStereo for 2, kSpeakerArrUserDefined for more (and for a negative count).
int VSTSpkrArrType(int nChannels);

// The VST 2.4 face of a plug-in: embeds the effect record the host drives, answers the host's
// dispatcher, parameter and processing calls by way of the plug-in base, and implements the
// plug-in base's host services through the host callback. Effects derive from it.
//
// Every callback finds the instance through the record's object field and holds the instance lock
// for its whole duration (except the two idle opcodes), so processing never overlaps a parameter,
// state or dispatcher change. effEditIdle drives the open editor's event handling and redraw timer
// (Idle) without the lock: drawing must never hold up processing, and the editor takes the lock
// itself where it changes parameters. Host input is checked: null pointers, out-of-range indices, negative
// sizes and unknown opcodes give 0 (or are ignored) rather than faults. Texts written into host
// buffers are cut to the sizes the interface promises (kVstMaxParamStrLen and its siblings), and a
// chunk that cannot be read completely leaves parameters and programs as they were.
//
// A plug-in with an editor also answers the editor snapshot request (EditorSnapshotRequest.h):
// its editor drawn into the caller's memory, with no window and no display.
class IPlugVST : public IPlugBase
{
public:
  // Builds the plug-in base (API VST 2) and fills in the effect record: callbacks, counts, flags
  // (replacing, double replacing, chunks, mono when one input is legal, synth), latency, version,
  // unique ID. Connects every channel and sizes every scratch buffer for 1024 frames.
  // plugScChans (side-chain channels) is accepted and not used.
  IPlugVST(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
           const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
           int uniqueID, int mfrID, int latency = 0, bool plugDoesMidi = false,
           bool plugDoesChunks = false, bool plugIsInst = false, int plugScChans = 0);
  ~IPlugVST() override;

  // The record handed to the host; valid and at a fixed address for the instance's whole life.
  AEffect* GetAEffect() { return &mAEffect; }
  // The host callback given at construction (may be null).
  audioMasterCallback GetHostCallback() const { return mHostCallback; }
  // Bits of GetHostExtensions(): what the host announced through effCanDo.
  enum EHostExtensions
  {
    kHostHasVendorExtensions = 1 << 0,
    kHostHasVendorViewAsConfig = 1 << 1
  };
  // The host extensions announced so far (EHostExtensions bits).
  int GetHostExtensions() const { return mHasVSTExtensions; }

  // ---- Host services ----

  // audioMasterBeginEdit / audioMasterAutomate / audioMasterEndEdit for a user gesture.
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  // audioMasterUpdateDisplay: the host refreshes its program and parameter display.
  void InformHostOfProgramChange() override;
  // True when the host reports kVstProcessLevelOffline.
  bool IsRenderingOffline() override;
  // The host's sample position rounded half up; 0 when the host gives none or a negative one.
  int GetSamplePos() override;
  // The host's tempo; 0 when the host gives no valid, non-negative tempo.
  double GetTempo() override;
  // The host's time signature; both 0 when the host gives no valid, non-negative one.
  void GetTimeSig(int* pNumerator, int* pDenominator) override;
  // Overwrites only the fields of pTimeInfo the host reports as valid; untouched when it reports none.
  void GetTime(ITimeInfo* pTimeInfo) override;
  // Identifies the host from its product string and version on first use; returns the host code.
  EHost GetHost() override;
  // Refreshes the editor rectangle from the attached editor's size and calls OnWindowResize.
  void ResizeGraphics(int width, int height) override;
  // Runs once (at effOpen): identifies the host, limits some hosts to stereo, copies the channel
  // counts into the record, then OnHostIdentified.
  void HostSpecificInit() override;
  // Attaches the editor (null is ignored), announces it with effFlagsHasEditor and sizes the rectangle.
  void AttachGraphics(IGraphics* pGraphics) override;
  // Stores the latency in the record and in the plug-in base; the host is not notified.
  void SetLatency(int samples) override;
  // Sends one MIDI message / SysEx dump to the host; true when the host accepts it (answers 1).
  bool SendMidiMsg(IMidiMsg* pMsg) override;
  bool SendSysEx(ISysEx* pSysEx) override;
  // Sends a caller-built event unchanged; true when the host answers 1.
  bool SendVSTEvent(VstEvent* pEvent);

  // ---- Record callbacks (host to plug-in) ----

  // Answers one dispatcher opcode (effClose deletes the instance); 0 for a record without an
  // instance and for unknown opcodes.
  static intptr_t VSTDispatcher(AEffect* pEffect, int32_t opCode, int32_t idx, intptr_t value,
                                void* ptr, float opt);
  // Normalised value of parameter idx; 0 for an index out of range.
  static float VSTGetParameter(AEffect* pEffect, int32_t idx);
  // Sets parameter idx from a normalised value (the editor follows); out of range is ignored.
  static void VSTSetParameter(AEffect* pEffect, int32_t idx, float value);
  // Adds the processed block to the host's outputs.
  static void VSTProcess(AEffect* pEffect, float** inputs, float** outputs, int32_t nFrames);
  // Overwrites the host's outputs with the processed block.
  static void VSTProcessReplacing(AEffect* pEffect, float** inputs, float** outputs, int32_t nFrames);
  static void VSTProcessDoubleReplacing(AEffect* pEffect, double** inputs, double** outputs,
                                        int32_t nFrames);

private:
  struct ReplacingFloat;
  struct AccumulatingFloat;
  struct ReplacingDouble;

  template <class Block>
  static void ProcessBlock(AEffect* pEffect, typename Block::Sample** inputs,
                           typename Block::Sample** outputs, int32_t nFrames);
  template <class Sample>
  bool HostBuffersUsable(Sample** inputs, Sample** outputs) const;

  intptr_t Dispatch(int32_t opCode, int32_t idx, intptr_t value, void* ptr, float opt);
  intptr_t GetChunk(int32_t idx, void* ptr);
  intptr_t SetChunk(int32_t idx, intptr_t size, const void* ptr);
  intptr_t ProcessEvents(const VstEvents* pEvents);
  intptr_t String2Parameter(int32_t idx, const char* text);
  intptr_t PinProperties(bool input, int32_t idx, VstPinProperties* pProps);
  void SetSpeakerArrangement(const VstSpeakerArrangement* pIn, const VstSpeakerArrangement* pOut);
  intptr_t VendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt);
  // The editor snapshot request (EditorSnapshotRequest.h).
  intptr_t SnapshotEditor(EditorSnapshotRequest* pRequest);
  intptr_t CanDo(const char* capability);

  intptr_t HostCall(int32_t opCode, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.f);
  const VstTimeInfo* HostTimeInfo(intptr_t flags);
  bool SendEvents(VstEvent* pEvent);
  void SyncChannelCounts();
  // The editor rectangle becomes (0, 0) to the editor's size.
  void SetEditRect(const IGraphics* pGraphics);

  ERect mEditRect = {0, 0, 0, 0};
  audioMasterCallback mHostCallback;
  VstSpeakerArrangement mInputSpkrArr;
  VstSpeakerArrangement mOutputSpkrArr;
  bool mHostSpecificInitDone = false;
  int mHasVSTExtensions = 0;
  ByteChunk mState;
  ByteChunk mBankState;
  AEffect mAEffect;
};
