#pragma once

#include "containers/WDL_Mutex.h"
#include "containers/WDL_PtrList.h"
#include "containers/WDL_String.h"
#include "containers/WDL_TypedBuf.h"
#include "plugin/ByteChunk.h"
#include "plugin/Hosts.h"
#include "plugin/IMidiMsg.h"
#include "plugin/IParam.h"
#include "plugin/IPlugStructs.h"
#include "plugin/IPreset.h"

class IGraphics;

// Length of the effect, product and maker name fields, terminator included.
#define MAX_EFFECT_NAME_LEN 128
// Length of a program name inside program and bank files, terminator included.
#define FXP_NAME_LEN 28

// Host-neutral core of a plug-in: parameters, preset slots, channel configuration and the audio
// buffer plumbing between host buffers and the double-precision processing routine, state chunks,
// program and bank files, identity, and one recursive lock that serialises host calls, editor
// parameter changes and state access. Host wrappers derive from it and supply the host services.
class IPlugBase
{
public:
  // One legal (inputs, outputs) pair.
  struct ChannelIO
  {
    int mIn, mOut;
    ChannelIO(int nIn, int nOut) : mIn(nIn), mOut(nOut) {}
  };

  // One audio input: what the effect reads is always *mSrc.
  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr;
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };

  // One audio output: the effect writes *mDest; on single-precision paths the result is converted
  // into mFDest.
  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr;
    float* mFDest = nullptr;
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };

  // channelIOStr lists the legal configurations as "in-out" items separated by single spaces
  // ("1-1 2-2"); null gives no channels. Strings are copied (names cut to MAX_EFFECT_NAME_LEN - 1).
  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
            const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
            int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);

  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // ---- Virtual operations, in slot order ----

  // Deletes the editor, then parameters, presets and channel records.
  virtual ~IPlugBase();
  // Clears processing state (sample rate or block size changed). Base: nothing.
  virtual void Reset();
  // A parameter value changed. Base: nothing.
  virtual void OnParamChange(int paramIdx);
  // Processes nFrames frames. Base: copies input i to output i and silences outputs without input.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // The editor window opened / closed; host idle time. Base: nothing.
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  // Processing is switched on or off. Base: nothing.
  virtual void OnActivate(bool active);
  // Incoming MIDI. Base: sends the message straight back out.
  virtual void ProcessMidiMsg(IMidiMsg* pMsg);
  // Incoming SysEx. Base: ignored.
  virtual void ProcessSysEx(ISysEx* pSysEx);
  // Writes the name of a MIDI key into pNameStr. Base: "" and false.
  virtual bool MidiNoteName(int noteNumber, char* pNameStr);
  // Appends the plug-in's state to pChunk. Base: SerializeParams. Returns false when the chunk cannot grow.
  virtual bool SerializeState(ByteChunk* pChunk);
  // Restores the state stored at startPos. Base: UnserializeParams. Returns the position after it or -1.
  virtual int UnserializeState(ByteChunk* pChunk, int startPos);
  // True when the doubles at data from double index startPos on match the live parameters to
  // single precision.
  virtual bool CompareState(const unsigned char* data, int startPos);
  // The editor was resized. Base: nothing.
  virtual void OnWindowResize() {}
  // The host asks for an about box. Returns true when one was shown; base: false.
  virtual bool HostRequestingAboutBox() { return false; }
  // The host is known (GetHost). Base: nothing.
  virtual void OnHostIdentified() {}
  // Shows the host's menu for a parameter at (x, y). Base: nothing.
  virtual void PopupHostContextMenuForParam(int, int, int) {}
  // The editor changed a parameter: store it, tell the host the value as received, OnParamChange.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Host services: a user gesture on a parameter begins, reports a value, ends.
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  // Asks the host to refresh its view of programs and parameters.
  virtual void InformHostOfProgramChange() = 0;
  // True while the host renders offline. Base: false.
  virtual bool IsRenderingOffline() { return false; }
  // Transport: block position in samples, tempo in beats per minute (0 when unknown), time
  // signature (0/0 when unknown), and every field the host reports into *pTimeInfo.
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNumerator, int* pDenominator) = 0;
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;
  // The identified host (kHostUninit until known) and the plug-in API of this build.
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  // The editor changed its size.
  virtual void ResizeGraphics(int width, int height) = 0;
  // Adjusts to the host once it is known. Base: nothing.
  virtual void HostSpecificInit() {}
  // Takes ownership of pGraphics, pushes every parameter's value into it and prepares it for drawing.
  // Null is ignored.
  virtual void AttachGraphics(IGraphics* pGraphics);
  // Stores the processing latency in samples.
  virtual void SetLatency(int samples);
  // Sends MIDI / SysEx to the host. True when the host took it; SysEx base: false.
  virtual bool SendMidiMsg(IMidiMsg* pMsg) = 0;
  virtual bool SendSysEx(ISysEx*) { return false; }
  // Moves the editor's controls to the current plain values (callers hold the lock).
  virtual void RedrawParamControls();
  // Hooks for hosts that compare states / after the preset list changed. Base: nothing.
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Sizes every scratch buffer to blockSize zeroed doubles (nothing when unchanged); channels that
  // pointed at their scratch keep pointing at it.
  virtual void SetBlockSize(int blockSize);

  // ---- Parameters and channels ----

  // Parameter idx, or null outside [0, NParams()).
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  int NParams() const { return mParams.GetSize(); }
  int NPresets() const { return mPresets.GetSize(); }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  // False for an index outside the channel list.
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // Channel labels; "" for an index outside the list.
  const char* GetInputLabel(int chIdx) const;
  const char* GetOutputLabel(int chIdx) const;
  // Bus labels; null when none is set at idx.
  const char* GetInputBusLabel(int idx) const;
  const char* GetOutputBusLabel(int idx) const;

  // True when a declared configuration matches; a negative count matches any.
  bool LegalIO(int nIn, int nOut) const;
  // Disconnects inputs from index 2 on and marks outputs from index 2 on connected.
  void LimitToStereoIO();
  // Sets the connection state of channels [idx, idx + n) that exist. A disconnected channel is
  // pointed at its own silenced scratch buffer.
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  // Replaces a channel's label (null gives ""); an index outside the list does nothing.
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  // Sets a bus label; inputs accept idx 0 and 1 only. Returns false when the list cannot grow.
  bool SetInputBusLabel(int idx, const char* label);
  bool SetOutputBusLabel(int idx, const char* label);

  // ---- Buffer plumbing (the host wrapper calls these with the lock held) ----
  // Blocks longer than the block size are processed up to the block size; the rest of each host
  // output is silenced (replacing) or left as it was (accumulating).

  // Converts the connected inputs among [idx, idx + n) from the next host pointers into scratch.
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  // Points the connected inputs among [idx, idx + n) at the next host pointers.
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  // Directs the connected outputs among [idx, idx + n) to scratch, converted later into the next host pointers.
  void AttachOutputBuffers(int idx, int n, float** ppData);
  // Points the connected outputs among [idx, idx + n) at the next host pointers.
  void AttachOutputBuffers(int idx, int n, double** ppData);
  // Runs ProcessDoubleReplacing and, for float, writes the results into the host's float buffers.
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffers(float, int nFrames);
  // As ProcessBuffers(float, ...) but adds to what the host's float buffers hold.
  void ProcessBuffersAccumulating(float, int nFrames);
  // Copies inputs to outputs (silence for outputs without input) instead of processing.
  void PassThroughBuffers(double, int nFrames);
  void PassThroughBuffers(float, int nFrames);
  // Fills every scratch buffer with zeros.
  void ZeroScratchBuffers();

  // Sends every message in order through SendMidiMsg. True only when every send succeeded.
  bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs);

  // ---- Settings ----

  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  // Samples per beat at the host's tempo; 0 when the host reports none.
  double GetSamplesPerBeat();

  // ---- Identity ----

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }
  // Packed version, or major * 10000 + minor * 100 + patch when decimal.
  int GetEffectVersion(bool decimal) const;
  // Writes "v<major>.<minor>.<patch>" (buf at least 32 bytes).
  void GetEffectVersionStr(char* buf) const;
  // As above for the host (identifying it first).
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* buf);
  // "VST2", "VST3", "AU", "RTAS", "AAX", "Standalone", "LV2", or "" for any other API.
  const char* GetAPIString();
  const char* GetArchString() const { return "x64"; }
  // Identifies the host from its product name and stores its packed version.
  void SetHost(const char* hostName, int hostVersion);

  // ---- Parameter paths and editor ----

  // OnParamChange for every parameter (no lock taken).
  void OnParamReset();
  // Tells the host every parameter's normalised value, under the lock.
  void DirtyParameters();
  // The attached editor, or null.
  IGraphics* GetGUI() const { return mGraphics; }
  // The instance lock.
  WDL_Mutex* GetMutex() { return &mMutex; }

  // ---- State chunks ----

  // Appends each parameter's plain value as a double, under the lock. False when the chunk cannot grow.
  bool SerializeParams(ByteChunk* pChunk);
  // Reads the doubles at startPos into the parameters (limited to their ranges), then
  // OnParamChange for every parameter, under the lock. Returns the position after them or -1.
  int UnserializeParams(ByteChunk* pChunk, int startPos);
  // Appends every preset slot (name, initialised flag, state). False when the chunk cannot grow.
  bool SerializePresets(ByteChunk* pChunk);
  // Reads preset records at startPos into the slots, then restores the current preset.
  // Returns the position after them or -1.
  int UnserializePresets(ByteChunk* pChunk, int startPos);

  // ---- Presets ----

  // Fills the next nPresets uninitialised slots with the current state, named name ("Empty" for null).
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  // Fills the next uninitialised slot with one value per parameter: int for bool, int and enum
  // parameters, double for the others. Returns false when no slot is free or memory runs out.
  bool MakePreset(const char* name, ...);
  // As MakePreset with nParamsNamed (index, value) pairs; unnamed parameters keep their current values.
  bool MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  // Fills the next uninitialised slot with a copy of pChunk.
  bool MakePresetFromChunk(const char* name, const ByteChunk* pChunk);
  // Fills the next uninitialised slot with sizeOfChunk bytes decoded from base64 text (bytes not
  // decoded stay 0).
  bool MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  // Fills every uninitialised slot with the current state, named "Empty".
  void EnsureDefaultPreset();
  // Removes every uninitialised slot.
  void PruneUninitializedPresets();
  // Loads slot idx into the parameters (capturing the live values into an uninitialised slot) and
  // makes it current. False for an index outside the slots or an unreadable state.
  bool RestorePreset(int idx);
  // RestorePreset of the first slot named name; false for a null or empty name or no match.
  bool RestorePreset(const char* name);
  // Name of slot idx, or "".
  const char* GetPresetName(int idx) const;
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // Stores the current state into the current slot and renames it when name is neither null nor empty.
  void ModifyCurrentPreset(const char* name = nullptr);
  // Developer aids: write preset definitions as source text. Return false when the file cannot be
  // opened or written (or memory runs out while encoding).
  bool DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[]);
  bool DumpPresetBlob(const char* fileName);
  bool DumpBankBlob(const char* fileName);

  // ---- Program and bank files ----

  // Builds the program file of the current state into pOut. False when memory runs out.
  bool MakeProgramFXP(ByteChunk* pOut);
  // Builds the bank file of every slot into pOut. False when memory runs out.
  bool MakeBankFXB(ByteChunk* pOut);
  // Writes the program / bank file. False for an empty name, a file that cannot be opened or a
  // write that does not complete.
  bool SaveProgramAsFXP(const WDL_String* pFileName);
  bool SaveBankAsFXB(const WDL_String* pFileName);
  // Loads a program / bank file from memory. False, with no parameter or preset changed, for data
  // that fails the magic, version or ID tests or is shorter than its fields say.
  bool LoadProgramFromFXPData(const unsigned char* data, int size);
  bool LoadBankFromFXBData(const unsigned char* data, int size);
  // As above, from a file. False for an empty name or a file that cannot be read.
  bool LoadProgramFromFXP(const WDL_String* pFileName);
  bool LoadBankFromFXB(const WDL_String* pFileName);

protected:
  WDL_PtrList<ChannelIO> mChannelIO;
  WDL_Mutex mMutex;
  char mEffectName[MAX_EFFECT_NAME_LEN];
  char mProductName[MAX_EFFECT_NAME_LEN];
  char mMfrName[MAX_EFFECT_NAME_LEN];
  int mUniqueID, mMfrID, mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  bool mStateChunks, mIsInst, mDoesMIDI;
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  int mTailSize = 0;
  IGraphics* mGraphics = nullptr;
  WDL_PtrList<IParam> mParams;
  WDL_PtrList<IPreset> mPresets;
  WDL_TypedBuf<double*> mInData, mOutData;
  WDL_PtrList<InChannel> mInChannels;
  WDL_PtrList<OutChannel> mOutChannels;
  WDL_PtrList<WDL_String> mInputBusLabels, mOutputBusLabels;

private:
  void ParseChannelIO(const char* channelIOStr);
  IPreset* FillNextPreset(const char* name);
  void PointAtScratch(InChannel* pIn);
  void PointAtScratch(OutChannel* pOut);
  template <class Writer>
  void WriteFloatOutputs(int nFrames);
  // Silences frames [from, nFrames) of every connected output (host float or double buffers).
  void SilenceTails(bool toFloat, int from, int nFrames);
  int LimitToBlock(int nFrames) const;
};
