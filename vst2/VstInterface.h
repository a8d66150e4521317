// VST 2.4 binary interface for x86-64 Linux, declared from the published layout.
// Every record size and field offset is pinned by a static_assert below: hosts and plug-ins built
// by others rely on these numbers, so a layout change must fail to compile.
#pragma once

#include <cstddef>
#include <cstdint>

struct AEffect;

// Host callback: the plug-in calls it to talk to the host (audioMaster opcodes below).
typedef intptr_t (*audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index,
                                        intptr_t value, void* ptr, float opt);
// Plug-in callbacks stored in the effect record.
typedef intptr_t (*AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index,
                                          intptr_t value, void* ptr, float opt);
typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                   int32_t sampleFrames);
typedef void (*AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                         int32_t sampleFrames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, int32_t index, float value);
typedef float (*AEffectGetParameterProc)(AEffect* effect, int32_t index);
// Signature of the module's entry points (VSTPluginMain and main).
typedef AEffect* (*VstPluginMainProc)(audioMasterCallback host);

// 'VstP', first character in the most significant byte.
constexpr int32_t kEffectMagic = ('V' << 24) | ('s' << 16) | ('t' << 8) | 'P';

// The effect record the plug-in hands to the host.
struct AEffect {
  int32_t magic;
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;
  intptr_t resvd1;
  intptr_t resvd2;
  int32_t initialDelay;
  int32_t realQualities;
  int32_t offQualities;
  float ioRatio;
  void* object;
  void* user;
  int32_t uniqueID;
  int32_t version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

enum VstAEffectFlags : int32_t {
  effFlagsHasEditor = 1,
  effFlagsHasClip = 2,
  effFlagsHasVu = 4,
  effFlagsCanMono = 8,
  effFlagsCanReplacing = 16,
  effFlagsProgramChunks = 32,
  effFlagsIsSynth = 256,
  effFlagsNoSoundInStop = 512,
  effFlagsCanDoubleReplacing = 4096,
};

// Dispatcher opcodes (host to plug-in).
enum AEffectOpcodes : int32_t {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effGetVu = 9,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditDraw = 16,
  effEditMouse = 17,
  effEditKey = 18,
  effEditIdle = 19,
  effEditTop = 20,
  effEditSleep = 21,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetNumProgramCategories = 28,
  effGetProgramNameIndexed = 29,
  effCopyProgram = 30,
  effConnectInput = 31,
  effConnectOutput = 32,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effGetCurrentPosition = 36,
  effGetDestinationBuffer = 37,
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBlockSizeAndSampleRate = 43,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetErrorText = 46,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effIdle = 53,
  effGetIcon = 54,
  effSetViewPosition = 55,
  effGetParameterProperties = 56,
  effKeysRequired = 57,
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effSetEditKnobMode = 61,
  effGetMidiProgramName = 62,
  effGetCurrentMidiProgram = 63,
  effGetMidiProgramCategory = 64,
  effHasMidiProgramsChanged = 65,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetTotalSampleToProcess = 73,
  effSetPanLaw = 74,
  effBeginLoadBank = 75,
  effBeginLoadProgram = 76,
  effSetProcessPrecision = 77,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// Host opcodes (plug-in to host, second argument of the host callback).
enum AudioMasterOpcodes : int32_t {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterProcessEvents = 8,
  audioMasterIOChanged = 13,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetInputLatency = 18,
  audioMasterGetOutputLatency = 19,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterGetDirectory = 41,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
  audioMasterOpenFileSelector = 45,
  audioMasterCloseFileSelector = 46,
};

// Answers to audioMasterGetCurrentProcessLevel.
enum VstProcessLevels : int32_t {
  kVstProcessLevelUnknown = 0,
  kVstProcessLevelUser = 1,
  kVstProcessLevelRealtime = 2,
  kVstProcessLevelPrefetch = 3,
  kVstProcessLevelOffline = 4,
};

// Editor rectangle answered to effEditGetRect.
struct ERect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};

// Transport and tempo state the host returns for audioMasterGetTime.
struct VstTimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  int32_t timeSigNumerator;
  int32_t timeSigDenominator;
  int32_t smpteOffset;
  int32_t smpteFrameRate;
  int32_t samplesToNextClock;
  int32_t flags;
};

enum VstTimeInfoFlags : int32_t {
  kVstTransportChanged = 1,
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstNanosValid = 1 << 8,
  kVstPpqPosValid = 1 << 9,
  kVstTempoValid = 1 << 10,
  kVstBarsValid = 1 << 11,
  kVstCyclePosValid = 1 << 12,
  kVstTimeSigValid = 1 << 13,
  kVstSmpteValid = 1 << 14,
  kVstClockValid = 1 << 15,
};

enum VstEventTypes : int32_t {
  kVstMidiType = 1,
  kVstSysExType = 6,
};

// Common header of every event; type-specific data follows.
struct VstEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  char data[16];
};

// Event list: allocated with room for numEvents pointers, whatever the declared bound.
struct VstEvents {
  int32_t numEvents;
  intptr_t reserved;
  VstEvent* events[2];
};

struct VstMidiEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t noteLength;
  int32_t noteOffset;
  char midiData[4];
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct VstMidiSysexEvent {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t dumpBytes;
  intptr_t resvd1;
  char* sysexDump;
  intptr_t resvd2;
};

enum VstStringLimits : int32_t {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  int32_t flags;
  int32_t arrangementType;
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

enum VstPinPropertiesFlags : int32_t {
  kVstPinIsActive = 1,
  kVstPinIsStereo = 2,
  kVstPinUseSpeaker = 4,
};

struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[kVstMaxNameLen];
  int32_t type;
  char future[28];
};

struct VstSpeakerArrangement {
  int32_t type;
  int32_t numChannels;
  VstSpeakerProperties speakers[8];
};

enum VstSpeakerArrangementType : int32_t {
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
};

struct MidiKeyName {
  int32_t thisProgramIndex;
  int32_t thisKeyNumber;
  char keyName[kVstMaxNameLen];
  int32_t reserved;
  int32_t flags;
};

enum VstPlugCategory : int32_t {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
};

static_assert(kEffectMagic == 0x56737450, "magic is 'VstP'");

static_assert(sizeof(AEffect) == 192, "AEffect size");
static_assert(offsetof(AEffect, magic) == 0, "AEffect::magic");
static_assert(offsetof(AEffect, dispatcher) == 8, "AEffect::dispatcher");
static_assert(offsetof(AEffect, process) == 16, "AEffect::process");
static_assert(offsetof(AEffect, setParameter) == 24, "AEffect::setParameter");
static_assert(offsetof(AEffect, getParameter) == 32, "AEffect::getParameter");
static_assert(offsetof(AEffect, numPrograms) == 40, "AEffect::numPrograms");
static_assert(offsetof(AEffect, numParams) == 44, "AEffect::numParams");
static_assert(offsetof(AEffect, numInputs) == 48, "AEffect::numInputs");
static_assert(offsetof(AEffect, numOutputs) == 52, "AEffect::numOutputs");
static_assert(offsetof(AEffect, flags) == 56, "AEffect::flags");
static_assert(offsetof(AEffect, resvd1) == 64, "AEffect::resvd1");
static_assert(offsetof(AEffect, resvd2) == 72, "AEffect::resvd2");
static_assert(offsetof(AEffect, initialDelay) == 80, "AEffect::initialDelay");
static_assert(offsetof(AEffect, realQualities) == 84, "AEffect::realQualities");
static_assert(offsetof(AEffect, offQualities) == 88, "AEffect::offQualities");
static_assert(offsetof(AEffect, ioRatio) == 92, "AEffect::ioRatio");
static_assert(offsetof(AEffect, object) == 96, "AEffect::object");
static_assert(offsetof(AEffect, user) == 104, "AEffect::user");
static_assert(offsetof(AEffect, uniqueID) == 112, "AEffect::uniqueID");
static_assert(offsetof(AEffect, version) == 116, "AEffect::version");
static_assert(offsetof(AEffect, processReplacing) == 120, "AEffect::processReplacing");
static_assert(offsetof(AEffect, processDoubleReplacing) == 128, "AEffect::processDoubleReplacing");
static_assert(offsetof(AEffect, future) == 136, "AEffect::future");

static_assert(sizeof(ERect) == 8, "ERect size");
static_assert(offsetof(ERect, top) == 0, "ERect::top");
static_assert(offsetof(ERect, left) == 2, "ERect::left");
static_assert(offsetof(ERect, bottom) == 4, "ERect::bottom");
static_assert(offsetof(ERect, right) == 6, "ERect::right");

static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo size");
static_assert(offsetof(VstTimeInfo, samplePos) == 0, "VstTimeInfo::samplePos");
static_assert(offsetof(VstTimeInfo, sampleRate) == 8, "VstTimeInfo::sampleRate");
static_assert(offsetof(VstTimeInfo, nanoSeconds) == 16, "VstTimeInfo::nanoSeconds");
static_assert(offsetof(VstTimeInfo, ppqPos) == 24, "VstTimeInfo::ppqPos");
static_assert(offsetof(VstTimeInfo, tempo) == 32, "VstTimeInfo::tempo");
static_assert(offsetof(VstTimeInfo, barStartPos) == 40, "VstTimeInfo::barStartPos");
static_assert(offsetof(VstTimeInfo, cycleStartPos) == 48, "VstTimeInfo::cycleStartPos");
static_assert(offsetof(VstTimeInfo, cycleEndPos) == 56, "VstTimeInfo::cycleEndPos");
static_assert(offsetof(VstTimeInfo, timeSigNumerator) == 64, "VstTimeInfo::timeSigNumerator");
static_assert(offsetof(VstTimeInfo, timeSigDenominator) == 68, "VstTimeInfo::timeSigDenominator");
static_assert(offsetof(VstTimeInfo, smpteOffset) == 72, "VstTimeInfo::smpteOffset");
static_assert(offsetof(VstTimeInfo, smpteFrameRate) == 76, "VstTimeInfo::smpteFrameRate");
static_assert(offsetof(VstTimeInfo, samplesToNextClock) == 80, "VstTimeInfo::samplesToNextClock");
static_assert(offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo::flags");

static_assert(offsetof(VstEvent, type) == 0, "VstEvent::type");
static_assert(offsetof(VstEvent, byteSize) == 4, "VstEvent::byteSize");
static_assert(offsetof(VstEvent, deltaFrames) == 8, "VstEvent::deltaFrames");
static_assert(offsetof(VstEvent, flags) == 12, "VstEvent::flags");

static_assert(offsetof(VstEvents, numEvents) == 0, "VstEvents::numEvents");
static_assert(offsetof(VstEvents, reserved) == 8, "VstEvents::reserved");
static_assert(offsetof(VstEvents, events) == 16, "VstEvents::events");

static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
static_assert(offsetof(VstMidiEvent, type) == 0, "VstMidiEvent::type");
static_assert(offsetof(VstMidiEvent, byteSize) == 4, "VstMidiEvent::byteSize");
static_assert(offsetof(VstMidiEvent, deltaFrames) == 8, "VstMidiEvent::deltaFrames");
static_assert(offsetof(VstMidiEvent, flags) == 12, "VstMidiEvent::flags");
static_assert(offsetof(VstMidiEvent, noteLength) == 16, "VstMidiEvent::noteLength");
static_assert(offsetof(VstMidiEvent, noteOffset) == 20, "VstMidiEvent::noteOffset");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent::midiData");
static_assert(offsetof(VstMidiEvent, detune) == 28, "VstMidiEvent::detune");
static_assert(offsetof(VstMidiEvent, noteOffVelocity) == 29, "VstMidiEvent::noteOffVelocity");
static_assert(offsetof(VstMidiEvent, reserved1) == 30, "VstMidiEvent::reserved1");
static_assert(offsetof(VstMidiEvent, reserved2) == 31, "VstMidiEvent::reserved2");

static_assert(sizeof(VstMidiSysexEvent) == 48, "VstMidiSysexEvent size");
static_assert(offsetof(VstMidiSysexEvent, type) == 0, "VstMidiSysexEvent::type");
static_assert(offsetof(VstMidiSysexEvent, byteSize) == 4, "VstMidiSysexEvent::byteSize");
static_assert(offsetof(VstMidiSysexEvent, deltaFrames) == 8, "VstMidiSysexEvent::deltaFrames");
static_assert(offsetof(VstMidiSysexEvent, flags) == 12, "VstMidiSysexEvent::flags");
static_assert(offsetof(VstMidiSysexEvent, dumpBytes) == 16, "VstMidiSysexEvent::dumpBytes");
static_assert(offsetof(VstMidiSysexEvent, resvd1) == 24, "VstMidiSysexEvent::resvd1");
static_assert(offsetof(VstMidiSysexEvent, sysexDump) == 32, "VstMidiSysexEvent::sysexDump");
static_assert(offsetof(VstMidiSysexEvent, resvd2) == 40, "VstMidiSysexEvent::resvd2");

static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties size");
static_assert(offsetof(VstPinProperties, label) == 0, "VstPinProperties::label");
static_assert(offsetof(VstPinProperties, flags) == 64, "VstPinProperties::flags");
static_assert(offsetof(VstPinProperties, arrangementType) == 68, "VstPinProperties::arrangementType");
static_assert(offsetof(VstPinProperties, shortLabel) == 72, "VstPinProperties::shortLabel");
static_assert(offsetof(VstPinProperties, future) == 80, "VstPinProperties::future");

static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties size");
static_assert(offsetof(VstSpeakerProperties, azimuth) == 0, "VstSpeakerProperties::azimuth");
static_assert(offsetof(VstSpeakerProperties, elevation) == 4, "VstSpeakerProperties::elevation");
static_assert(offsetof(VstSpeakerProperties, radius) == 8, "VstSpeakerProperties::radius");
static_assert(offsetof(VstSpeakerProperties, reserved) == 12, "VstSpeakerProperties::reserved");
static_assert(offsetof(VstSpeakerProperties, name) == 16, "VstSpeakerProperties::name");
static_assert(offsetof(VstSpeakerProperties, type) == 80, "VstSpeakerProperties::type");
static_assert(offsetof(VstSpeakerProperties, future) == 84, "VstSpeakerProperties::future");

static_assert(sizeof(VstSpeakerArrangement) == 904, "VstSpeakerArrangement size");
static_assert(offsetof(VstSpeakerArrangement, type) == 0, "VstSpeakerArrangement::type");
static_assert(offsetof(VstSpeakerArrangement, numChannels) == 4, "VstSpeakerArrangement::numChannels");
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8, "VstSpeakerArrangement::speakers");

static_assert(sizeof(MidiKeyName) == 80, "MidiKeyName size");
static_assert(offsetof(MidiKeyName, thisProgramIndex) == 0, "MidiKeyName::thisProgramIndex");
static_assert(offsetof(MidiKeyName, thisKeyNumber) == 4, "MidiKeyName::thisKeyNumber");
static_assert(offsetof(MidiKeyName, keyName) == 8, "MidiKeyName::keyName");
static_assert(offsetof(MidiKeyName, reserved) == 72, "MidiKeyName::reserved");
static_assert(offsetof(MidiKeyName, flags) == 76, "MidiKeyName::flags");
