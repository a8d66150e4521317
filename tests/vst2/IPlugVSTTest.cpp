// The VST 2 wrapper driven the way a host drives it: through the effect record, with the test
// host's recording callback on the other side. A small plug-in with one parameter of each kind
// and a fake editor stands in for an effect.

#include "platform/headless/IGraphicsHeadless.h"
#include "tests/vst2/TestHost.h"
#include "vst2/IPlugVST.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using kestrune_test::AudioBuffers;
using kestrune_test::HostCall;
using kestrune_test::TestHost;

namespace {

constexpr int32_t FourCC(char a, char b, char c, char d)
{
  return (a << 24) | (b << 16) | (c << 8) | d;
}

enum { kGain, kSteps, kSwitch, kMode, kNeg, kNumTestParams };

struct PlugConfig
{
  const char* channels = "1-1 2-2";
  const char* effectName = "TestPlug";
  int nPresets = 1;
  bool midi = false;
  bool chunks = false;
  bool instrument = false;
  bool editor = false;
  bool editorOpens = true;
};

PlugConfig gConfig;

struct PlugFromEditor
{
  int idx;
  double value;
  bool normalized;
};

class FakeEditor : public IGraphicsHeadless
{
public:
  FakeEditor(IPlugBase* pPlug, bool opens) : IGraphicsHeadless(pPlug, 300, 200), mOpens(opens) {}
  void SetParameterFromPlug(int idx, double value, bool normalized) override
  {
    mFromPlug.push_back({idx, value, normalized});
    IGraphicsHeadless::SetParameterFromPlug(idx, value, normalized);
  }
  void PrepDraw() override
  {
    ++mPrepared;
    IGraphicsHeadless::PrepDraw();
  }
  void* OpenWindow(void* pParent) override
  {
    mParent = pParent;
    mOpen = mOpens;
    return mOpens ? this : nullptr;
  }
  void CloseWindow() override
  {
    ++mCloses;
    mOpen = false;
  }
  void* GetWindow() override { return mOpen ? this : nullptr; }

  bool mOpens;
  bool mOpen = false;
  void* mParent = nullptr;
  int mPrepared = 0;
  int mCloses = 0;
  std::vector<PlugFromEditor> mFromPlug;
};

class TestPlug : public IPlugVST
{
public:
  explicit TestPlug(IPlugInstanceInfo info)
    : IPlugVST(info, kNumTestParams, gConfig.channels, gConfig.nPresets, gConfig.effectName, "TestProduct",
               "TestMaker", 0x10203, FourCC('T', 's', 't', '1'), FourCC('T', 'm', 'k', 'r'), 0, gConfig.midi, gConfig.chunks,
               gConfig.instrument)
  {
    GetParam(kGain)->InitDouble("Gain", 0.5, 0., 1., 0.01, "dB");
    GetParam(kGain)->SetShape(2.);
    GetParam(kSteps)->InitInt("Frequency", 3, 0, 10, "Hz");
    GetParam(kSwitch)->InitBool("Switch", false);
    GetParam(kMode)->InitEnum("Mode", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "A");
    GetParam(kMode)->SetDisplayText(1, "B");
    GetParam(kMode)->SetDisplayText(2, "C");
    GetParam(kNeg)->InitDouble("Neg", 0., -1., 1., 0.1);
    GetParam(kNeg)->NegateDisplay();
    if (gConfig.editor)
    {
      mEditor = new FakeEditor(this, gConfig.editorOpens);
      AttachGraphics(mEditor);
    }
    MakeDefaultPreset("first", 1);
  }
  ~TestPlug() override { ++sDestroyed; }

  void Reset() override { ++mResets; }
  void OnParamChange(int idx) override { mChanges.push_back(idx); }
  void OnActivate(bool active) override { mActivations.push_back(active); }
  void OnHostIdentified() override { ++mIdentified; }
  void OnGUIOpen() override { ++mGUIOpens; }
  void OnGUIClose() override { ++mGUICloses; }
  void ProcessSysEx(ISysEx* pSysEx) override
  {
    mSysEx.assign(pSysEx->mData, pSysEx->mData + pSysEx->mSize);
    mSysExOffset = pSysEx->mOffset;
  }
  // Writes 0.25 into every output so that replacing and accumulating are told apart.
  void ProcessDoubleReplacing(double**, double** outputs, int nFrames) override
  {
    mFramesSeen.push_back(nFrames);
    for (int c = 0; c < NOutChannels(); ++c)
      for (int s = 0; s < nFrames; ++s) outputs[c][s] = 0.25;
  }

  static int sDestroyed;
  FakeEditor* mEditor = nullptr;
  int mResets = 0;
  int mIdentified = 0;
  int mGUIOpens = 0;
  int mGUICloses = 0;
  std::vector<int> mChanges;
  std::vector<bool> mActivations;
  std::vector<int> mFramesSeen;
  std::vector<uint8_t> mSysEx;
  int mSysExOffset = -1;
};

int TestPlug::sDestroyed = 0;

AEffect* TestEntry(audioMasterCallback hostCallback)
{
  IPlugInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  TestPlug* pPlug = new TestPlug(info);
  pPlug->EnsureDefaultPreset();
  return pPlug->GetAEffect();
}

class IPlugVSTTest : public ::testing::Test
{
protected:
  void SetUp() override { gConfig = PlugConfig(); }

  // Creates the plug-in with the current gConfig.
  TestPlug* Create()
  {
    mHost.UseEntryPoint(TestEntry);
    AEffect* pEffect = mHost.Create();
    return pEffect ? static_cast<TestPlug*>(pEffect->object) : nullptr;
  }

  intptr_t Dispatch(int32_t op, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f)
  {
    return mHost.Dispatch(op, idx, value, ptr, opt);
  }

  std::string Text(int32_t op, int32_t idx = 0)
  {
    char buf[256];
    memset(buf, 'x', sizeof(buf));
    buf[255] = '\0';
    Dispatch(op, idx, 0, buf);
    return buf;
  }

  TestHost mHost;
};

// ---- Effect record ----

TEST_F(IPlugVSTTest, RecordDescribesThePlugIn)
{
  TestPlug* pPlug = Create();
  ASSERT_NE(pPlug, nullptr);
  const AEffect* e = mHost.Effect();
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->numParams, kNumTestParams);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, effFlagsCanMono | effFlagsCanReplacing | effFlagsCanDoubleReplacing);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->object, static_cast<void*>(pPlug));
  EXPECT_EQ(e->user, nullptr);
  EXPECT_EQ(e->uniqueID, FourCC('T', 's', 't', '1'));
  EXPECT_EQ(e->version, 10203);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_EQ(pPlug->GetBlockSize(), 1024);
}

TEST_F(IPlugVSTTest, FlagsFollowChunksInstrumentEditorAndMonoSupport)
{
  gConfig.channels = "2-2";
  gConfig.chunks = true;
  gConfig.instrument = true;
  gConfig.editor = true;
  TestPlug* pPlug = Create();
  ASSERT_NE(pPlug, nullptr);
  EXPECT_EQ(mHost.Effect()->flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks |
                                       effFlagsIsSynth | effFlagsCanDoubleReplacing);
  EXPECT_EQ(pPlug->mEditor->mPrepared, 1);
  EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(IPlugVSTTest, SpeakerArrangementTypeFollowsChannelCount)
{
  EXPECT_EQ(VSTSpkrArrType(0), -1);
  EXPECT_EQ(VSTSpkrArrType(1), 0);
  EXPECT_EQ(VSTSpkrArrType(2), 1);
  EXPECT_EQ(VSTSpkrArrType(3), -2);
  EXPECT_EQ(VSTSpkrArrType(8), -2);
  EXPECT_EQ(VSTSpkrArrType(-1), -2);
}

TEST_F(IPlugVSTTest, SetLatencyUpdatesTheRecord)
{
  TestPlug* pPlug = Create();
  pPlug->SetLatency(64);
  EXPECT_EQ(mHost.Effect()->initialDelay, 64);
  EXPECT_EQ(pPlug->GetLatency(), 64);
}

// ---- Host identification and effOpen ----

TEST_F(IPlugVSTTest, HostIsIdentifiedOnceWithItsDecimalVersionPacked)
{
  mHost.SetProductString("REAPER64");
  mHost.SetVendorVersion(20301);
  TestPlug* pPlug = Create();
  Dispatch(effOpen);
  EXPECT_EQ(pPlug->GetHost(), kHostReaper);
  EXPECT_EQ(pPlug->GetHostVersion(false), 0x20301);
  EXPECT_EQ(pPlug->mIdentified, 1);
  Dispatch(effOpen);
  EXPECT_EQ(mHost.CallsWith(audioMasterGetProductString).size(), 1u);
  EXPECT_EQ(mHost.CallsWith(audioMasterGetVendorVersion).size(), 1u);
  EXPECT_EQ(pPlug->mIdentified, 1);
}

TEST_F(IPlugVSTTest, HostVersionIsReadAsMajorTimes10000PlusMinorTimes100PlusPatch)
{
  mHost.SetProductString("Renoise");
  mHost.SetVendorVersion(2301);
  TestPlug* pPlug = Create();
  EXPECT_EQ(pPlug->GetHost(), kHostRenoise);
  EXPECT_EQ(pPlug->GetHostVersion(false), (23 << 8) | 1);
  EXPECT_EQ(pPlug->GetHostVersion(true), 2301);
}

TEST_F(IPlugVSTTest, HostWithoutProductStringIsUnknownAndNotAskedForItsVersion)
{
  mHost.SetVendorVersion(2301);
  TestPlug* pPlug = Create();
  EXPECT_EQ(pPlug->GetHost(), kHostUnknown);
  EXPECT_EQ(pPlug->GetHostVersion(false), 0);
  EXPECT_TRUE(mHost.CallsWith(audioMasterGetVendorVersion).empty());
  pPlug->GetHost();
  EXPECT_EQ(mHost.CallsWith(audioMasterGetProductString).size(), 1u);
}

TEST_F(IPlugVSTTest, NegativeHostVersionIsStoredAsNoVersion)
{
  mHost.SetProductString("Ardour");
  mHost.SetVendorVersion(-2301);
  TestPlug* pPlug = Create();
  EXPECT_EQ(pPlug->GetHost(), kHostArdour);
  EXPECT_EQ(pPlug->GetHostVersion(false), 0);
}

TEST_F(IPlugVSTTest, OrionGetsStereoInputsButTheRecordKeepsAllChannels)
{
  gConfig.channels = "4-4";
  mHost.SetProductString("Orion");
  TestPlug* pPlug = Create();
  Dispatch(effOpen);
  EXPECT_TRUE(pPlug->IsInChannelConnected(0));
  EXPECT_TRUE(pPlug->IsInChannelConnected(1));
  EXPECT_FALSE(pPlug->IsInChannelConnected(2));
  EXPECT_FALSE(pPlug->IsInChannelConnected(3));
  EXPECT_TRUE(pPlug->IsOutChannelConnected(3));
  EXPECT_EQ(mHost.Effect()->numInputs, 4);
  EXPECT_EQ(mHost.Effect()->numOutputs, 4);
}

TEST_F(IPlugVSTTest, OpenRunsTheChangeHookForEveryParameter)
{
  TestPlug* pPlug = Create();
  pPlug->mChanges.clear();
  EXPECT_EQ(Dispatch(effOpen), 0);
  EXPECT_EQ(pPlug->mChanges, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(IPlugVSTTest, CloseDeletesTheInstance)
{
  Create();
  const int before = TestPlug::sDestroyed;
  EXPECT_EQ(Dispatch(effClose), 0);
  EXPECT_EQ(TestPlug::sDestroyed, before + 1);
  EXPECT_EQ(mHost.Effect(), nullptr);
}

// ---- Dispatcher: simple answers and unknown requests ----

TEST_F(IPlugVSTTest, FixedAnswers)
{
  Create();
  EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(Dispatch(effCanBeAutomated, 3), 1);
  EXPECT_EQ(Dispatch(effGetVendorVersion), 10203);
  EXPECT_EQ(Dispatch(effGetTailSize), 0);
  EXPECT_EQ(Dispatch(effProcessVarIo), 0);
}

TEST_F(IPlugVSTTest, IdleAndUnknownOpcodesAnswerZeroAndChangeNothing)
{
  TestPlug* pPlug = Create();
  pPlug->mChanges.clear();
  char buf[64] = "untouched";
  for (int32_t op : std::initializer_list<int32_t>{effEditIdle, effIdle, effEditDraw, effGetVu, effSetBypass, 70, 77, 79, 80, 1000, -1,
                     INT_MAX, INT_MIN})
  {
    EXPECT_EQ(Dispatch(op, 1, 1, buf, 1.f), 0) << "opcode " << op;
  }
  EXPECT_STREQ(buf, "untouched");
  EXPECT_TRUE(pPlug->mChanges.empty());
  EXPECT_EQ(pPlug->mResets, 0);
  EXPECT_TRUE(mHost.Calls().empty());
}

TEST_F(IPlugVSTTest, RecordWithoutObjectIsRefused)
{
  AEffect empty;
  memset(&empty, 0, sizeof(empty));
  EXPECT_EQ(IPlugVST::VSTDispatcher(&empty, effIdentify, 0, 0, nullptr, 0.f), 0);
  EXPECT_EQ(IPlugVST::VSTDispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.f), 0);
  EXPECT_EQ(IPlugVST::VSTGetParameter(&empty, 0), 0.f);
  IPlugVST::VSTSetParameter(&empty, 0, 0.5f);
  IPlugVST::VSTProcessReplacing(&empty, nullptr, nullptr, 16);
}

// ---- Dispatcher: names and texts ----

TEST_F(IPlugVSTTest, IdentityStringsAreCopiedOrRefusedForNull)
{
  Create();
  EXPECT_EQ(Text(effGetEffectName), "TestPlug");
  EXPECT_EQ(Text(effGetVendorString), "TestMaker");
  EXPECT_EQ(Text(effGetProductString), "TestProduct");
  EXPECT_EQ(Dispatch(effGetEffectName), 0);
  EXPECT_EQ(Dispatch(effGetVendorString), 0);
  EXPECT_EQ(Dispatch(effGetProductString), 0);
}

TEST_F(IPlugVSTTest, LongEffectNameIsCutToTheHostsBuffer)
{
  gConfig.effectName = "An effect name far longer than thirty-two bytes";
  Create();
  char buf[kVstMaxEffectNameLen + 8];
  memset(buf, '#', sizeof(buf));
  EXPECT_EQ(Dispatch(effGetEffectName, 0, 0, buf), 1);
  EXPECT_EQ(std::string(buf), std::string("An effect name far longer than thirty-two bytes", 31));
  EXPECT_EQ(buf[kVstMaxEffectNameLen], '#');
}

TEST_F(IPlugVSTTest, ParameterTextsFitTheParameterStringLimit)
{
  Create();
  EXPECT_EQ(Text(effGetParamName, kGain), "Gain");
  EXPECT_EQ(Text(effGetParamLabel, kGain), "dB");
  EXPECT_EQ(Text(effGetParamDisplay, kGain), "0.50");
  // "Frequency" needs ten bytes; hosts promise eight.
  char buf[16];
  memset(buf, '#', sizeof(buf));
  Dispatch(effGetParamName, kSteps, 0, buf);
  EXPECT_STREQ(buf, "Frequen");
  EXPECT_EQ(buf[8], '#');
  EXPECT_EQ(Text(effGetParamDisplay, kSteps), "3");
  EXPECT_EQ(Text(effGetParamDisplay, kSwitch), "off");
  EXPECT_EQ(Text(effGetParamLabel, kSwitch), "");
  EXPECT_EQ(Text(effGetParamDisplay, kMode), "A");
}

TEST_F(IPlugVSTTest, ParameterTextRequestsOutOfRangeOrWithoutBufferDoNothing)
{
  Create();
  for (int32_t op : std::initializer_list<int32_t>{effGetParamName, effGetParamLabel, effGetParamDisplay})
  {
    char buf[16] = "untouched";
    EXPECT_EQ(Dispatch(op, -1, 0, buf), 0);
    EXPECT_EQ(Dispatch(op, kNumTestParams, 0, buf), 0);
    EXPECT_STREQ(buf, "untouched");
    EXPECT_EQ(Dispatch(op, kGain, 0, nullptr), 0);
  }
}

// ---- Dispatcher: capabilities and vendor extensions ----

TEST_F(IPlugVSTTest, CanDoAnswersExactCapabilities)
{
  TestPlug* pPlug = Create();
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("ReceiveVstTimeInfo")), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("sendVstEvents")), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("bypass")), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, nullptr), 0);
  EXPECT_EQ(pPlug->GetHostExtensions(), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("hasVendorExtensions")), 0xBEEF0000);
  EXPECT_EQ(pPlug->GetHostExtensions(), IPlugVST::kHostHasVendorExtensions);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("hasVendorViewAsConfig")), 0xBEEF0000);
  EXPECT_EQ(pPlug->GetHostExtensions(),
            IPlugVST::kHostHasVendorExtensions | IPlugVST::kHostHasVendorViewAsConfig);
}

TEST_F(IPlugVSTTest, MidiPlugInCanDoMidiEvents)
{
  gConfig.midi = true;
  Create();
  for (const char* cap : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"})
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>(cap)), 1) << cap;
}

TEST_F(IPlugVSTTest, VendorSpecificDisplaysArbitraryNormalisedValues)
{
  Create();
  char buf[16] = "untouched";
  // Shape 2: normalised 0.5 is the plain value 0.25.
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kGain, buf, 0.5f), 0xBEEF);
  EXPECT_STREQ(buf, "0.25");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kMode, buf, 1.0f), 0xBEEF);
  EXPECT_STREQ(buf, "C");
  strcpy(buf, "untouched");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kNumTestParams, buf, 0.5f), 0xBEEF);
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, -1, buf, 0.5f), 0xBEEF);
  EXPECT_STREQ(buf, "untouched");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kGain, nullptr, 0.5f), 0);
}

TEST_F(IPlugVSTTest, VendorSpecificDisplayKeepsHostValuesOnTheRange)
{
  Create();
  char buf[16] = "untouched";
  // Shape 2 over 0..1: normalised -3 reads as the bottom, 7 as the top.
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kGain, buf, -3.f), 0xBEEF);
  EXPECT_STREQ(buf, "0.00");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kGain, buf, 7.f), 0xBEEF);
  EXPECT_STREQ(buf, "1.00");
  strcpy(buf, "untouched");
  EXPECT_EQ(Dispatch(effVendorSpecific, 7, kGain, buf, std::nanf("")), 0xBEEF);
  EXPECT_STREQ(buf, "untouched");
}

TEST_F(IPlugVSTTest, VendorSpecificTellsSteppedParameters)
{
  Create();
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kGain), 0);
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kSteps), 0xBEEF);
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kSwitch), 0xBEEF);
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kMode), 0xBEEF);
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kNumTestParams), 0);
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, -1), 0);
  EXPECT_EQ(Dispatch(effVendorSpecific, 9, kSteps), 0);
}

// ---- Dispatcher: settings ----

TEST_F(IPlugVSTTest, SampleRateAndBlockSizeResetTheEffect)
{
  TestPlug* pPlug = Create();
  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  EXPECT_EQ(pPlug->GetSampleRate(), 48000.0);
  Dispatch(effSetBlockSize, 0, 256);
  EXPECT_EQ(pPlug->GetBlockSize(), 256);
  EXPECT_EQ(pPlug->mResets, 2);
}

TEST_F(IPlugVSTTest, ImpossibleSampleRatesAndBlockSizesAreIgnored)
{
  TestPlug* pPlug = Create();
  for (float rate : {0.f, -44100.f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity()})
    Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
  EXPECT_EQ(pPlug->GetSampleRate(), 44100.0);
  for (intptr_t frames : {intptr_t(0), intptr_t(-64), intptr_t(1) << 40})
    Dispatch(effSetBlockSize, 0, frames);
  EXPECT_EQ(pPlug->GetBlockSize(), 1024);
}

TEST_F(IPlugVSTTest, MainsChangedActivatesAndResetsOnSuspend)
{
  TestPlug* pPlug = Create();
  Dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(pPlug->mResets, 0);
  Dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(pPlug->mActivations, (std::vector<bool>{true, false}));
  EXPECT_EQ(pPlug->mResets, 1);
}

// ---- Dispatcher: editor ----

TEST_F(IPlugVSTTest, EditorRequestsWithoutEditorAnswerZero)
{
  TestPlug* pPlug = Create();
  ERect* pRect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &pRect), 0);
  EXPECT_EQ(pRect, nullptr);
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
  EXPECT_EQ(Dispatch(effEditClose), 0);
  EXPECT_EQ(pPlug->mGUIOpens + pPlug->mGUICloses, 0);
}

TEST_F(IPlugVSTTest, EditorRectOpenAndClose)
{
  gConfig.editor = true;
  TestPlug* pPlug = Create();
  ERect* pRect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, nullptr), 0);
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &pRect), 1);
  ASSERT_NE(pRect, nullptr);
  EXPECT_EQ(pRect->top, 0);
  EXPECT_EQ(pRect->left, 0);
  EXPECT_EQ(pRect->bottom, 200);
  EXPECT_EQ(pRect->right, 300);
  void* parent = reinterpret_cast<void*>(0x4711);
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, parent), 1);
  EXPECT_EQ(pPlug->mEditor->mParent, parent);
  EXPECT_EQ(pPlug->mGUIOpens, 1);
  EXPECT_EQ(Dispatch(effEditClose), 1);
  EXPECT_EQ(pPlug->mGUICloses, 1);
  EXPECT_EQ(pPlug->mEditor->mCloses, 1);
}

TEST_F(IPlugVSTTest, EditorThatFailsToOpenAnswersZero)
{
  gConfig.editor = true;
  gConfig.editorOpens = false;
  TestPlug* pPlug = Create();
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x4711)), 0);
  EXPECT_EQ(pPlug->mGUIOpens, 0);
}

// ---- Dispatcher: programs ----

TEST_F(IPlugVSTTest, ProgramNamesAndRenaming)
{
  gConfig.nPresets = 2;
  TestPlug* pPlug = Create();
  EXPECT_EQ(mHost.Effect()->numPrograms, 2);
  EXPECT_EQ(Text(effGetProgramName), "first");
  EXPECT_EQ(Text(effGetProgramNameIndexed, 1), "Empty");
  char buf[32] = "untouched";
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 2, 0, buf), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0, 0, buf), 1);

  pPlug->GetParam(kSteps)->Set(7.);
  Dispatch(effSetProgramName, 0, 0, const_cast<char*>("renamed"));
  EXPECT_EQ(Text(effGetProgramName), "renamed");
  EXPECT_EQ(Dispatch(effSetProgramName, 0, 0, nullptr), 0);
  EXPECT_EQ(Text(effGetProgramName), "renamed");
  // Renaming stored the state: leaving and coming back brings 7 again.
  Dispatch(effSetProgram, 0, 1);
  pPlug->GetParam(kSteps)->Set(2.);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 7.);
}

TEST_F(IPlugVSTTest, ProgramNameIsCutToTheProgramNameLimit)
{
  Create();
  Dispatch(effSetProgramName, 0, 0, const_cast<char*>("a program name of more than 24 bytes"));
  char buf[40];
  memset(buf, '#', sizeof(buf));
  Dispatch(effGetProgramName, 0, 0, buf);
  EXPECT_EQ(std::string(buf), std::string("a program name of more than 24 bytes", 23));
  EXPECT_EQ(buf[24], '#');
}

TEST_F(IPlugVSTTest, SwitchingProgramsKeepsTheSettingsOfTheProgramLeft)
{
  gConfig.nPresets = 2;
  TestPlug* pPlug = Create();
  pPlug->GetParam(kSteps)->Set(9.);
  Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(Dispatch(effGetProgram), 1);
  pPlug->GetParam(kSteps)->Set(1.);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 9.);
  Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 1.);
}

TEST_F(IPlugVSTTest, SetProgramZeroStoresCurrentSettingsFirst)
{
  TestPlug* pPlug = Create();
  pPlug->GetParam(kSteps)->Set(6.);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 6.);
}

TEST_F(IPlugVSTTest, ChunkPlugInSwitchesProgramsWithoutStoringFirst)
{
  gConfig.chunks = true;
  TestPlug* pPlug = Create();
  pPlug->GetParam(kSteps)->Set(6.);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 3.);
}

TEST_F(IPlugVSTTest, SetProgramOutOfRangeKeepsTheCurrentProgram)
{
  gConfig.nPresets = 2;
  Create();
  Dispatch(effSetProgram, 0, 1);
  Dispatch(effSetProgram, 0, 2);
  Dispatch(effSetProgram, 0, -1);
  Dispatch(effSetProgram, 0, (intptr_t(1) << 32));
  EXPECT_EQ(Dispatch(effGetProgram), 1);
}

// ---- Dispatcher: chunks ----

TEST_F(IPlugVSTTest, ProgramChunkIsHeaderAndOneDoublePerParameter)
{
  TestPlug* pPlug = Create();
  pPlug->GetParam(kSteps)->Set(4.);
  void* data = nullptr;
  ASSERT_EQ(Dispatch(effGetChunk, 1, 0, &data), 8 + 8 * kNumTestParams);
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(memcmp(data, header, 8), 0);
  double values[kNumTestParams];
  memcpy(values, static_cast<uint8_t*>(data) + 8, sizeof(values));
  EXPECT_EQ(values[kGain], 0.5);
  EXPECT_EQ(values[kSteps], 4.);
  EXPECT_EQ(values[kSwitch], 0.);
  EXPECT_EQ(Dispatch(effGetChunk, 1, 0, nullptr), 0);
}

TEST_F(IPlugVSTTest, ProgramChunkRoundTripsThroughTheHostsCopy)
{
  TestPlug* pPlug = Create();
  pPlug->GetParam(kSteps)->Set(8.);
  pPlug->GetParam(kNeg)->Set(-0.5);
  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, 1, 0, &data);
  std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  pPlug->GetParam(kSteps)->Set(1.);
  pPlug->GetParam(kNeg)->Set(0.);
  pPlug->mChanges.clear();
  EXPECT_EQ(Dispatch(effSetChunk, 1, size, copy.data()), 1);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 8.);
  EXPECT_EQ(pPlug->GetParam(kNeg)->Value(), -0.5);
  EXPECT_EQ(pPlug->mChanges, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(IPlugVSTTest, SetChunkAcceptsThePointerItHandedOut)
{
  TestPlug* pPlug = Create();
  pPlug->GetParam(kSteps)->Set(5.);
  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, 1, 0, &data);
  pPlug->GetParam(kSteps)->Set(0.);
  EXPECT_EQ(Dispatch(effSetChunk, 1, size, data), 1);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 5.);
}

TEST_F(IPlugVSTTest, SetChunkLimitsValuesAndReadsHeaderlessState)
{
  TestPlug* pPlug = Create();
  double values[kNumTestParams] = {2.0, 11.0, 1.0, 2.0, -3.0};
  EXPECT_EQ(Dispatch(effSetChunk, 1, sizeof(values), values), 1);
  EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 1.0);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 10.0);
  EXPECT_EQ(pPlug->GetParam(kSwitch)->Value(), 1.0);
  EXPECT_EQ(pPlug->GetParam(kMode)->Value(), 2.0);
  EXPECT_EQ(pPlug->GetParam(kNeg)->Value(), -1.0);
}

TEST_F(IPlugVSTTest, TruncatedChunksAreRefusedAndChangeNothing)
{
  TestPlug* pPlug = Create();
  pPlug->GetParam(kGain)->Set(0.75);
  pPlug->GetParam(kSteps)->Set(6.);
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  uint8_t partial[8 + 12] = {};
  memcpy(partial, header, 8);
  const double gain = 0.125;
  memcpy(partial + 8, &gain, 8);
  for (intptr_t size : {intptr_t(4), intptr_t(8), intptr_t(20), intptr_t(0)})
  {
    EXPECT_EQ(Dispatch(effSetChunk, 1, size, partial), 0) << size << " bytes";
    EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 0.75) << size << " bytes";
    EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 6.) << size << " bytes";
  }
  // The current program was not overwritten with the half-read state either.
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 0.75);
}

TEST_F(IPlugVSTTest, SetChunkRefusesNullDataAndNegativeSizes)
{
  TestPlug* pPlug = Create();
  double values[kNumTestParams] = {};
  EXPECT_EQ(Dispatch(effSetChunk, 1, 40, nullptr), 0);
  EXPECT_EQ(Dispatch(effSetChunk, 1, -40, values), 0);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 3.);
}

TEST_F(IPlugVSTTest, SetChunkMovesTheEditorToTheNewValues)
{
  gConfig.editor = true;
  TestPlug* pPlug = Create();
  pPlug->mEditor->mFromPlug.clear();
  double values[kNumTestParams] = {0.25, 2.0, 0.0, 1.0, 0.5};
  EXPECT_EQ(Dispatch(effSetChunk, 1, sizeof(values), values), 1);
  ASSERT_EQ(pPlug->mEditor->mFromPlug.size(), static_cast<size_t>(kNumTestParams));
  EXPECT_EQ(pPlug->mEditor->mFromPlug[1].idx, 1);
  EXPECT_EQ(pPlug->mEditor->mFromPlug[1].value, 2.0);
  EXPECT_FALSE(pPlug->mEditor->mFromPlug[1].normalized);
}

TEST_F(IPlugVSTTest, BankChunkHoldsEveryProgramAndRestoresThem)
{
  gConfig.nPresets = 2;
  TestPlug* pPlug = Create();
  Dispatch(effSetProgramName, 0, 0, const_cast<char*>("one"));
  pPlug->GetParam(kSteps)->Set(9.);
  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, 0, 0, &data);
  // Header, then per program: name length, name, flag, five doubles.
  EXPECT_EQ(size, 8 + (4 + 3 + 1 + 40) + (4 + 5 + 1 + 40));
  std::vector<uint8_t> bank(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

  Dispatch(effSetProgramName, 0, 0, const_cast<char*>("other"));
  pPlug->GetParam(kSteps)->Set(0.);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(Dispatch(effSetChunk, 0, size, bank.data()), 1);
  EXPECT_EQ(Text(effGetProgramName), "one");
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 9.);
}

TEST_F(IPlugVSTTest, TruncatedBankChunkRestoresTheProgramsItFound)
{
  gConfig.nPresets = 2;
  TestPlug* pPlug = Create();
  void* data = nullptr;
  const intptr_t size = Dispatch(effGetChunk, 0, 0, &data);
  std::vector<uint8_t> bank(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  Dispatch(effSetProgramName, 0, 0, const_cast<char*>("kept"));
  pPlug->GetParam(kSteps)->Set(4.);
  EXPECT_EQ(Dispatch(effSetChunk, 0, size - 10, bank.data()), 0);
  EXPECT_EQ(Text(effGetProgramName), "kept");
  EXPECT_EQ(Text(effGetProgramNameIndexed, 1), "Empty");
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 4.);
}

// ---- Dispatcher: parameters from text ----

TEST_F(IPlugVSTTest, String2ParameterReadsNumbersAndDisplayTexts)
{
  gConfig.editor = true;
  TestPlug* pPlug = Create();
  pPlug->mChanges.clear();
  pPlug->mEditor->mFromPlug.clear();
  EXPECT_EQ(Dispatch(effString2Parameter, kGain, 0, const_cast<char*>("2.5")), 1);
  EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 1.0);
  ASSERT_EQ(pPlug->mEditor->mFromPlug.size(), 1u);
  EXPECT_EQ(pPlug->mEditor->mFromPlug[0].value, 2.5);
  EXPECT_FALSE(pPlug->mEditor->mFromPlug[0].normalized);
  EXPECT_EQ(Dispatch(effString2Parameter, kGain, 0, const_cast<char*>("abc")), 1);
  EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 0.0);
  EXPECT_EQ(Dispatch(effString2Parameter, kSteps, 0, const_cast<char*>("7.6")), 1);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 7.6);
  EXPECT_EQ(Dispatch(effString2Parameter, kMode, 0, const_cast<char*>("B")), 1);
  EXPECT_EQ(pPlug->GetParam(kMode)->Value(), 1.0);
  EXPECT_EQ(Dispatch(effString2Parameter, kNeg, 0, const_cast<char*>("0.5")), 1);
  EXPECT_EQ(pPlug->GetParam(kNeg)->Value(), -0.5);
  EXPECT_EQ(pPlug->mChanges, (std::vector<int>{kGain, kGain, kSteps, kMode, kNeg}));
  EXPECT_TRUE(mHost.CallsWith(audioMasterAutomate).empty());
}

TEST_F(IPlugVSTTest, String2ParameterRefusesUnknownTextsIndicesAndNotANumber)
{
  TestPlug* pPlug = Create();
  pPlug->mChanges.clear();
  EXPECT_EQ(Dispatch(effString2Parameter, kMode, 0, const_cast<char*>("b")), 0);
  EXPECT_EQ(Dispatch(effString2Parameter, kGain, 0, const_cast<char*>("nan")), 0);
  EXPECT_EQ(Dispatch(effString2Parameter, -1, 0, const_cast<char*>("1")), 0);
  EXPECT_EQ(Dispatch(effString2Parameter, kNumTestParams, 0, const_cast<char*>("1")), 0);
  EXPECT_EQ(Dispatch(effString2Parameter, kGain, 0, nullptr), 1);
  EXPECT_EQ(pPlug->GetParam(kMode)->Value(), 0.0);
  EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 0.5);
  EXPECT_TRUE(pPlug->mChanges.empty());
}

// ---- Dispatcher: pins and speakers ----

TEST_F(IPlugVSTTest, PinPropertiesPairChannelsAndNameThem)
{
  gConfig.channels = "3-3";
  TestPlug* pPlug = Create();
  VstPinProperties pin;
  memset(&pin, 0, sizeof(pin));
  EXPECT_EQ(Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(Dispatch(effGetOutputProperties, 2, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  pPlug->SetInputLabel(2, "Side");
  EXPECT_EQ(Dispatch(effGetInputProperties, 2, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Side");
  EXPECT_EQ(Dispatch(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(Dispatch(effGetOutputProperties, 3, 0, &pin), 0);
  EXPECT_EQ(Dispatch(effGetInputProperties, -1, 0, &pin), 0);
  EXPECT_EQ(Dispatch(effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(IPlugVSTTest, SpeakerArrangementConnectsTheChannelsItNames)
{
  TestPlug* pPlug = Create();
  VstSpeakerArrangement mono, none;
  memset(&mono, 0, sizeof(mono));
  memset(&none, 0, sizeof(none));
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  none.numChannels = -5;
  EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &none), 1);
  EXPECT_TRUE(pPlug->IsInChannelConnected(0));
  EXPECT_FALSE(pPlug->IsInChannelConnected(1));
  EXPECT_FALSE(pPlug->IsOutChannelConnected(0));
  EXPECT_FALSE(pPlug->IsOutChannelConnected(1));
  EXPECT_EQ(Dispatch(effSetSpeakerArrangement, 0, 0, nullptr), 1);

  VstSpeakerArrangement* pIn = nullptr;
  VstSpeakerArrangement* pOut = nullptr;
  EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&pIn), &pOut), 1);
  ASSERT_NE(pIn, nullptr);
  ASSERT_NE(pOut, nullptr);
  // The reported arrangements stay as declared.
  EXPECT_EQ(pIn->type, kSpeakerArrStereo);
  EXPECT_EQ(pIn->numChannels, 2);
  EXPECT_EQ(pOut->numChannels, 2);
  EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 1);
}

TEST_F(IPlugVSTTest, MidiKeyNameWithoutNamesAnswersZero)
{
  Create();
  MidiKeyName key;
  memset(&key, 'x', sizeof(key));
  key.thisKeyNumber = 60;
  EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
  EXPECT_EQ(Dispatch(effGetMidiKeyName, 0, 0, nullptr), 0);
}

// ---- Dispatcher: events ----

TEST_F(IPlugVSTTest, IncomingMidiIsSentBackAndSysExHandedToThePlugIn)
{
  TestPlug* pPlug = Create();
  VstMidiEvent note;
  memset(&note, 0, sizeof(note));
  note.type = kVstMidiType;
  note.byteSize = sizeof(note);
  note.deltaFrames = 17;
  note.midiData[0] = static_cast<char>(0x91);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  char dump[] = {static_cast<char>(0xF0), 0x7E, static_cast<char>(0xF7)};
  VstMidiSysexEvent sysex;
  memset(&sysex, 0, sizeof(sysex));
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof(sysex);
  sysex.deltaFrames = 5;
  sysex.dumpBytes = 3;
  sysex.sysexDump = dump;
  VstEvent other;
  memset(&other, 0, sizeof(other));
  other.type = 99;

  struct
  {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[4];
  } list = {4, 0, {reinterpret_cast<VstEvent*>(&note), nullptr, reinterpret_cast<VstEvent*>(&sysex), &other}};
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);

  auto sent = mHost.CallsWith(audioMasterProcessEvents);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].events.size(), 1u);
  const auto& ev = sent[0].events[0];
  EXPECT_EQ(ev.type, kVstMidiType);
  EXPECT_EQ(ev.byteSize, 32);
  EXPECT_EQ(ev.deltaFrames, 17);
  EXPECT_EQ(ev.midiData[0], 0x91);
  EXPECT_EQ(ev.midiData[1], 60);
  EXPECT_EQ(ev.midiData[2], 100);
  EXPECT_EQ(ev.midiData[3], 0);
  EXPECT_EQ(pPlug->mSysEx, (std::vector<uint8_t>{0xF0, 0x7E, 0xF7}));
  EXPECT_EQ(pPlug->mSysExOffset, 5);
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, nullptr), 0);
}

// ---- Parameter callbacks ----

TEST_F(IPlugVSTTest, GetParameterOutOfRangeIsZero)
{
  Create();
  EXPECT_EQ(mHost.GetParameter(-1), 0.f);
  EXPECT_EQ(mHost.GetParameter(kNumTestParams), 0.f);
  EXPECT_NEAR(mHost.GetParameter(kGain), std::sqrt(0.5), 1e-6);
  EXPECT_NEAR(mHost.GetParameter(kSteps), 0.3f, 1e-6);
}

TEST_F(IPlugVSTTest, SetParameterStoresShapedValueAndMovesTheEditor)
{
  gConfig.editor = true;
  TestPlug* pPlug = Create();
  pPlug->mChanges.clear();
  pPlug->mEditor->mFromPlug.clear();
  mHost.ClearCalls();
  mHost.SetParameter(kGain, 0.5f);
  EXPECT_EQ(pPlug->GetParam(kGain)->Value(), 0.25);
  EXPECT_EQ(pPlug->mChanges, std::vector<int>{kGain});
  ASSERT_EQ(pPlug->mEditor->mFromPlug.size(), 1u);
  EXPECT_EQ(pPlug->mEditor->mFromPlug[0].idx, kGain);
  EXPECT_EQ(pPlug->mEditor->mFromPlug[0].value, 0.5);
  EXPECT_TRUE(pPlug->mEditor->mFromPlug[0].normalized);
  EXPECT_TRUE(mHost.Calls().empty());
}

TEST_F(IPlugVSTTest, SetParameterOutOfRangeIsIgnored)
{
  TestPlug* pPlug = Create();
  pPlug->mChanges.clear();
  mHost.SetParameter(-1, 0.5f);
  mHost.SetParameter(kNumTestParams, 0.5f);
  EXPECT_TRUE(pPlug->mChanges.empty());
}

TEST_F(IPlugVSTTest, SetParameterNotANumberChangesNothing)
{
  TestPlug* pPlug = Create();
  mHost.SetParameter(kGain, 0.5f);
  pPlug->mChanges.clear();
  mHost.SetParameter(kGain, std::nanf(""));
  EXPECT_DOUBLE_EQ(pPlug->GetParam(kGain)->Value(), 0.25);
  EXPECT_TRUE(pPlug->mChanges.empty());
}

TEST_F(IPlugVSTTest, SetParameterKeepsHostValuesInsideTheNormalisedRange)
{
  TestPlug* pPlug = Create();
  mHost.SetParameter(kSteps, -3.f);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 0.);
  mHost.SetParameter(kNeg, -1.f);
  EXPECT_EQ(pPlug->GetParam(kNeg)->Value(), -1.);
  mHost.SetParameter(kSteps, 7.f);
  EXPECT_EQ(pPlug->GetParam(kSteps)->Value(), 10.);
}

// ---- Host services ----

TEST_F(IPlugVSTTest, EditorGestureReachesTheHostBracketedByBeginAndEnd)
{
  TestPlug* pPlug = Create();
  mHost.ClearCalls();
  pPlug->BeginInformHostOfParamChange(kGain);
  pPlug->SetParameterFromGUI(kGain, 0.25);
  pPlug->EndInformHostOfParamChange(kGain);
  pPlug->InformHostOfProgramChange();
  auto calls = mHost.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(calls[0].index, kGain);
  EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
  EXPECT_EQ(calls[1].index, kGain);
  EXPECT_EQ(calls[1].opt, 0.25f);
  EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(calls[2].index, kGain);
  EXPECT_EQ(calls[3].opcode, audioMasterUpdateDisplay);
  for (const HostCall& call : calls) EXPECT_EQ(call.effect, mHost.Effect());
}

TEST_F(IPlugVSTTest, RenderingOfflineOnlyAtTheOfflineLevel)
{
  TestPlug* pPlug = Create();
  for (int level = 0; level <= 3; ++level)
  {
    mHost.SetProcessLevel(level);
    EXPECT_FALSE(pPlug->IsRenderingOffline()) << level;
  }
  mHost.SetProcessLevel(kVstProcessLevelOffline);
  EXPECT_TRUE(pPlug->IsRenderingOffline());
}

VstTimeInfo TimeInfo(int32_t flags)
{
  VstTimeInfo ti;
  memset(&ti, 0, sizeof(ti));
  ti.samplePos = 4410.0;
  ti.sampleRate = 44100.0;
  ti.ppqPos = 2.5;
  ti.tempo = 90.0;
  ti.barStartPos = 2.0;
  ti.cycleStartPos = 1.0;
  ti.cycleEndPos = 5.0;
  ti.timeSigNumerator = 3;
  ti.timeSigDenominator = 8;
  ti.flags = flags;
  return ti;
}

TEST_F(IPlugVSTTest, SamplePosIsRoundedHalfUpAndNeverNegative)
{
  TestPlug* pPlug = Create();
  EXPECT_EQ(pPlug->GetSamplePos(), 0);
  VstTimeInfo ti = TimeInfo(0);
  ti.samplePos = 1000.5;
  mHost.SetTimeInfo(ti);
  EXPECT_EQ(pPlug->GetSamplePos(), 1001);
  ti.samplePos = 1000.49;
  mHost.SetTimeInfo(ti);
  EXPECT_EQ(pPlug->GetSamplePos(), 1000);
  ti.samplePos = -5.0;
  mHost.SetTimeInfo(ti);
  EXPECT_EQ(pPlug->GetSamplePos(), 0);
  ti.samplePos = 1e12;
  mHost.SetTimeInfo(ti);
  EXPECT_EQ(pPlug->GetSamplePos(), INT_MAX);
  auto asks = mHost.CallsWith(audioMasterGetTime);
  ASSERT_FALSE(asks.empty());
  EXPECT_EQ(asks.back().value, 0);
}

TEST_F(IPlugVSTTest, TempoNeedsItsValidFlag)
{
  TestPlug* pPlug = Create();
  EXPECT_EQ(pPlug->GetTempo(), 0.0);
  mHost.SetTimeInfo(TimeInfo(kVstTempoValid));
  EXPECT_EQ(pPlug->GetTempo(), 90.0);
  EXPECT_EQ(mHost.CallsWith(audioMasterGetTime).back().value, kVstTempoValid);
  mHost.SetTimeInfo(TimeInfo(kVstPpqPosValid));
  EXPECT_EQ(pPlug->GetTempo(), 0.0);
  VstTimeInfo zero = TimeInfo(kVstTempoValid);
  zero.tempo = 0.0;
  mHost.SetTimeInfo(zero);
  EXPECT_EQ(pPlug->GetTempo(), 0.0);
  EXPECT_EQ(pPlug->GetSamplesPerBeat(), 0.0);
}

TEST_F(IPlugVSTTest, TimeSignatureNeedsItsValidFlag)
{
  TestPlug* pPlug = Create();
  int num = -1, den = -1;
  pPlug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);
  mHost.SetTimeInfo(TimeInfo(kVstTimeSigValid));
  pPlug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(den, 8);
  mHost.SetTimeInfo(TimeInfo(kVstTempoValid));
  pPlug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);
}

TEST_F(IPlugVSTTest, GetTimeTakesOnlyWhatTheHostMarksValid)
{
  TestPlug* pPlug = Create();
  ITimeInfo untouched;
  mHost.SetTimeInfo(TimeInfo(kVstTransportPlaying));
  pPlug->GetTime(&untouched);
  EXPECT_EQ(untouched.mSamplePos, -1.0);
  EXPECT_FALSE(untouched.mTransportIsRunning);
  EXPECT_EQ(mHost.CallsWith(audioMasterGetTime).back().value, 0x3e00);

  ITimeInfo all;
  mHost.SetTimeInfo(TimeInfo(kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                                  kVstTimeSigValid | kVstTransportPlaying | kVstTransportCycleActive));
  pPlug->GetTime(&all);
  EXPECT_EQ(all.mSamplePos, 4410.0);
  EXPECT_EQ(all.mPPQPos, 2.5);
  EXPECT_EQ(all.mTempo, 90.0);
  EXPECT_EQ(all.mLastBar, 2.0);
  EXPECT_EQ(all.mCycleStart, 1.0);
  EXPECT_EQ(all.mCycleEnd, 5.0);
  EXPECT_EQ(all.mNumerator, 3);
  EXPECT_EQ(all.mDenominator, 8);
  EXPECT_TRUE(all.mTransportIsRunning);
  EXPECT_TRUE(all.mTransportLoopEnabled);
}

TEST_F(IPlugVSTTest, GetTimeKeepsFieldsWhoseValuesAreOutOfRange)
{
  TestPlug* pPlug = Create();
  VstTimeInfo ti = TimeInfo(kVstPpqPosValid | kVstTempoValid | kVstCyclePosValid | kVstTimeSigValid);
  ti.tempo = 0.0;
  ti.cycleEndPos = -1.0;
  ti.timeSigDenominator = 0;
  mHost.SetTimeInfo(ti);
  ITimeInfo info;
  pPlug->GetTime(&info);
  EXPECT_EQ(info.mPPQPos, 2.5);
  EXPECT_EQ(info.mTempo, 120.0);
  EXPECT_EQ(info.mCycleStart, -1.0);
  EXPECT_EQ(info.mCycleEnd, -1.0);
  EXPECT_EQ(info.mNumerator, 4);
  EXPECT_EQ(info.mDenominator, 4);
  EXPECT_FALSE(info.mTransportIsRunning);
}

TEST_F(IPlugVSTTest, MidiAndSysExGoOutAsOneEventEach)
{
  TestPlug* pPlug = Create();
  IMidiMsg msg(12, 0xB2, 7, 63);
  EXPECT_TRUE(pPlug->SendMidiMsg(&msg));
  const uint8_t bytes[] = {0xF0, 0x01, 0x02, 0xF7};
  ISysEx sysex(3, bytes, 4);
  EXPECT_TRUE(pPlug->SendSysEx(&sysex));
  mHost.SetProcessEventsAnswer(0);
  EXPECT_FALSE(pPlug->SendMidiMsg(&msg));

  auto sent = mHost.CallsWith(audioMasterProcessEvents);
  ASSERT_EQ(sent.size(), 3u);
  ASSERT_EQ(sent[0].events.size(), 1u);
  EXPECT_EQ(sent[0].events[0].type, kVstMidiType);
  EXPECT_EQ(sent[0].events[0].deltaFrames, 12);
  EXPECT_EQ(sent[0].events[0].midiData[0], 0xB2);
  EXPECT_EQ(sent[0].events[0].midiData[1], 7);
  EXPECT_EQ(sent[0].events[0].midiData[2], 63);
  ASSERT_EQ(sent[1].events.size(), 1u);
  EXPECT_EQ(sent[1].events[0].type, kVstSysExType);
  EXPECT_EQ(sent[1].events[0].byteSize, 48);
  EXPECT_EQ(sent[1].events[0].deltaFrames, 3);
  EXPECT_EQ(sent[1].events[0].sysex, (std::vector<unsigned char>{0xF0, 0x01, 0x02, 0xF7}));
}

TEST_F(IPlugVSTTest, WithoutHostCallbackEveryServiceAnswersNothing)
{
  IPlugInstanceInfo info;
  TestPlug* pPlug = new TestPlug(info);
  AEffect* e = pPlug->GetAEffect();
  EXPECT_EQ(e->dispatcher(e, effOpen, 0, 0, nullptr, 0.f), 0);
  EXPECT_EQ(pPlug->GetHost(), kHostUnknown);
  EXPECT_EQ(pPlug->GetTempo(), 0.0);
  EXPECT_EQ(pPlug->GetSamplePos(), 0);
  EXPECT_FALSE(pPlug->IsRenderingOffline());
  IMidiMsg msg;
  EXPECT_FALSE(pPlug->SendMidiMsg(&msg));
  pPlug->SetParameterFromGUI(kGain, 0.5);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);
}

// ---- Processing callbacks ----

TEST_F(IPlugVSTTest, ReplacingOverwritesAndAccumulatingAdds)
{
  Create();
  AudioBuffers<float> in(2, 4, 0.5f), out(2, 4, 1.0f);
  mHost.ProcessAccumulating(in.Pointers(), out.Pointers(), 4);
  EXPECT_EQ(out.Channel(0), std::vector<float>(4, 1.25f));
  EXPECT_EQ(out.Channel(1), std::vector<float>(4, 1.25f));
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), 4);
  EXPECT_EQ(out.Channel(0), std::vector<float>(4, 0.25f));
  AudioBuffers<double> din(2, 4, 0.5), dout(2, 4, 1.0);
  mHost.ProcessDoubleReplacing(din.Pointers(), dout.Pointers(), 4);
  EXPECT_EQ(dout.Channel(1), std::vector<double>(4, 0.25));
}

TEST_F(IPlugVSTTest, BlocksLongerThanTheBlockSizeAreCutAndTheRestSilenced)
{
  TestPlug* pPlug = Create();
  Dispatch(effSetBlockSize, 0, 16);
  AudioBuffers<float> in(2, 64, 0.5f), out(2, 64, 1.0f);
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), 64);
  EXPECT_EQ(pPlug->mFramesSeen.back(), 16);
  EXPECT_EQ(out.Channel(0)[15], 0.25f);
  EXPECT_EQ(out.Channel(0)[16], 0.0f);
  EXPECT_EQ(out.Channel(1)[63], 0.0f);
  AudioBuffers<double> din(2, 64, 0.5), dout(2, 64, 1.0);
  mHost.ProcessDoubleReplacing(din.Pointers(), dout.Pointers(), 64);
  EXPECT_EQ(dout.Channel(0)[15], 0.25);
  EXPECT_EQ(dout.Channel(0)[63], 0.0);
}

TEST_F(IPlugVSTTest, EmptyOrNegativeBlocksWriteNothing)
{
  Create();
  AudioBuffers<float> in(2, 4, 0.5f), out(2, 4, 1.0f);
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), 0);
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), -8);
  mHost.ProcessAccumulating(in.Pointers(), out.Pointers(), INT_MIN);
  AudioBuffers<double> din(2, 4, 0.5), dout(2, 4, 1.0);
  mHost.ProcessDoubleReplacing(din.Pointers(), dout.Pointers(), -1);
  EXPECT_EQ(out.Channel(0), std::vector<float>(4, 1.0f));
  EXPECT_EQ(dout.Channel(1), std::vector<double>(4, 1.0));
}

TEST_F(IPlugVSTTest, MissingHostBuffersSkipTheBlock)
{
  TestPlug* pPlug = Create();
  AudioBuffers<float> in(2, 4, 0.5f), out(2, 4, 1.0f);
  mHost.ProcessReplacing(nullptr, out.Pointers(), 4);
  mHost.ProcessReplacing(in.Pointers(), nullptr, 4);
  float* halfIn[2] = {in.Pointers()[0], nullptr};
  mHost.ProcessReplacing(halfIn, out.Pointers(), 4);
  double* none[2] = {nullptr, nullptr};
  mHost.ProcessDoubleReplacing(none, none, 4);
  EXPECT_TRUE(pPlug->mFramesSeen.empty());
  EXPECT_EQ(out.Channel(0), std::vector<float>(4, 1.0f));
}

TEST_F(IPlugVSTTest, MonoArrangementUsesOneHostBufferEachWay)
{
  Create();
  VstSpeakerArrangement mono;
  memset(&mono, 0, sizeof(mono));
  mono.numChannels = 1;
  Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &mono);
  AudioBuffers<float> in(1, 8, 0.5f), out(1, 8, 1.0f);
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), 8);
  EXPECT_EQ(out.Channel(0), std::vector<float>(8, 0.25f));
}

TEST_F(IPlugVSTTest, MidiPlugInAsksForMidiEveryBlock)
{
  gConfig.midi = true;
  Create();
  AudioBuffers<float> in(2, 4), out(2, 4);
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), 4);
  mHost.ProcessAccumulating(in.Pointers(), out.Pointers(), 4);
  EXPECT_EQ(mHost.CallsWith(audioMasterWantMidi).size(), 2u);
}

} // namespace
