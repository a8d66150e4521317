#include "TestPlug.h"
#include "RecordingGraphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// Exposes the pointer arrays the effect's processing routine receives.
class PlumbingPlug : public TestPlug
{
public:
  using TestPlug::TestPlug;
  double* In(int i) const { return mInData.Get()[i]; }
  double* Out(int i) const { return mOutData.Get()[i]; }
  const double* InScratch(int i) const { return mInChannels.Get(i)->mScratchBuf.Get(); }
  const double* OutScratch(int i) const { return mOutChannels.Get(i)->mScratchBuf.Get(); }

  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    ++processCalls;
    lastFrames = nFrames;
    if (writeConstant)
    {
      for (int c = 0; c < NOutChannels(); ++c)
        for (int s = 0; s < nFrames; ++s) outputs[c][s] = constant;
      return;
    }
    IPlugBase::ProcessDoubleReplacing(inputs, outputs, nFrames);
  }

  bool writeConstant = false;
  double constant = 0.25;
  int processCalls = 0;
  int lastFrames = -1;
};

PlumbingPlug* ConnectedStereo(int blockSize = 8)
{
  auto* plug = new PlumbingPlug(2, "1-1 2-2", 1);
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->SetBlockSize(blockSize);
  return plug;
}
} // namespace

TEST(ChannelIO, ParsesConfigurationsAndSizesTheChannels)
{
  TestPlug plug(0, "1-1 2-2", 0);
  EXPECT_EQ(2, plug.NInChannels());
  EXPECT_EQ(2, plug.NOutChannels());
  EXPECT_TRUE(plug.LegalIO(1, -1));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_TRUE(plug.LegalIO(-1, -1));
  EXPECT_TRUE(plug.LegalIO(-1, 1));
  EXPECT_FALSE(plug.LegalIO(1, 2));
  EXPECT_FALSE(plug.LegalIO(-1, 3));
}

TEST(ChannelIO, NullStringGivesNoChannelsAndNothingLegal)
{
  TestPlug plug(0, nullptr, 0);
  EXPECT_EQ(0, plug.NInChannels());
  EXPECT_EQ(0, plug.NOutChannels());
  EXPECT_FALSE(plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(0, 0));
}

TEST(ChannelIO, EmptyItemsBecomeZeroZero)
{
  TestPlug trailing(0, "2-2 ", 0);
  EXPECT_TRUE(trailing.LegalIO(0, 0));
  EXPECT_TRUE(trailing.LegalIO(2, 2));
  TestPlug empty(0, "", 0);
  EXPECT_TRUE(empty.LegalIO(0, 0));
  TestPlug oneSided(0, "4-", 0);
  EXPECT_TRUE(oneSided.LegalIO(4, 0));
  EXPECT_EQ(4, oneSided.NInChannels());
  EXPECT_EQ(0, oneSided.NOutChannels());
  TestPlug wide(0, "1-2 8-6", 0);
  EXPECT_EQ(8, wide.NInChannels());
  EXPECT_EQ(6, wide.NOutChannels());
}

TEST(ChannelConnections, RangeIsLimitedToExistingChannels)
{
  TestPlug plug(0, "2-2", 0);
  plug.SetInputChannelConnections(-1, 5, true);
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));
  plug.SetOutputChannelConnections(1, 1, true);
  EXPECT_FALSE(plug.IsOutChannelConnected(0));
  EXPECT_TRUE(plug.IsOutChannelConnected(1));
}

TEST(ChannelConnections, LimitToStereoDisconnectsExtraInputsAndConnectsExtraOutputs)
{
  TestPlug plug(0, "4-4", 0);
  plug.SetInputChannelConnections(0, 4, true);
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(3));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  EXPECT_TRUE(plug.IsOutChannelConnected(2));
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
  EXPECT_EQ(4, plug.NInChannels());
}

TEST(ChannelLabels, ChannelAndBusLabels)
{
  TestPlug plug(0, "2-2", 0);
  plug.SetInputLabel(1, "Side");
  plug.SetInputLabel(5, "ignored");
  plug.SetOutputLabel(0, nullptr);
  EXPECT_STREQ("Side", plug.GetInputLabel(1));
  EXPECT_STREQ("", plug.GetInputLabel(5));
  EXPECT_STREQ("", plug.GetOutputLabel(0));

  EXPECT_TRUE(plug.SetInputBusLabel(0, "Main"));
  EXPECT_TRUE(plug.SetInputBusLabel(0, "Main In"));
  EXPECT_FALSE(plug.SetInputBusLabel(2, "Nope"));
  EXPECT_STREQ("Main In", plug.GetInputBusLabel(0));
  EXPECT_EQ(nullptr, plug.GetInputBusLabel(1));
  EXPECT_TRUE(plug.SetOutputBusLabel(3, "Aux"));
  EXPECT_STREQ("Aux", plug.GetOutputBusLabel(0)) << "appended when the list is shorter";
}

TEST(BlockSize, SameSizeKeepsContentsNewSizeZeroFills)
{
  PlumbingPlug* plug = ConnectedStereo(4);
  float in0[4] = {1, 2, 3, 4}, in1[4] = {5, 6, 7, 8};
  float* ins[2] = {in0, in1};
  plug->AttachInputBuffers(0, 2, ins, 4);
  plug->SetBlockSize(4);
  EXPECT_EQ(3.0, plug->InScratch(0)[2]);
  plug->SetBlockSize(6);
  EXPECT_EQ(6, plug->GetBlockSize());
  for (int s = 0; s < 6; ++s) EXPECT_EQ(0.0, plug->InScratch(0)[s]);
  delete plug;
}

TEST(BlockSize, DisconnectedChannelsFollowTheirReallocatedScratch)
{
  PlumbingPlug plug(0, "2-2", 0);
  plug.SetInputChannelConnections(0, 2, false);
  plug.SetBlockSize(4);
  EXPECT_EQ(plug.InScratch(1), plug.In(1));
  plug.SetBlockSize(4096);
  EXPECT_EQ(plug.InScratch(1), plug.In(1));
  EXPECT_EQ(plug.OutScratch(0), plug.Out(0)) << "outputs start pointed at their scratch too";
}

TEST(AttachInputBuffers, OnlyConnectedChannelsConsumeHostPointers)
{
  PlumbingPlug* plug = ConnectedStereo(4);
  plug->SetInputChannelConnections(1, 1, false);
  float host0[4] = {0.5f, -1.0f, 0.25f, 2.0f};
  float* ins[1] = {host0};
  plug->AttachInputBuffers(0, 2, ins, 4);
  EXPECT_EQ(plug->InScratch(0), plug->In(0));
  EXPECT_EQ(-1.0, plug->In(0)[1]);
  EXPECT_EQ(2.0, plug->In(0)[3]);
  EXPECT_EQ(plug->InScratch(1), plug->In(1));
  for (int s = 0; s < 4; ++s) EXPECT_EQ(0.0, plug->In(1)[s]);
  delete plug;
}

TEST(AttachInputBuffers, DoubleBuffersArePointedAtNotCopied)
{
  PlumbingPlug* plug = ConnectedStereo(4);
  plug->SetInputChannelConnections(0, 1, false);
  double host[4] = {1, 2, 3, 4};
  double* ins[1] = {host};
  plug->AttachInputBuffers(0, 2, ins, 4);
  EXPECT_EQ(host, plug->In(1));
  EXPECT_EQ(plug->InScratch(0), plug->In(0));
  delete plug;
}

TEST(AttachInputBuffers, ZeroFramesPointsAtScratchWithoutConverting)
{
  PlumbingPlug* plug = ConnectedStereo(4);
  float* ins[2] = {nullptr, nullptr};
  plug->AttachInputBuffers(0, 2, ins, 0);
  EXPECT_EQ(plug->InScratch(0), plug->In(0));
  delete plug;
}

TEST(DisconnectedInput, ReadsSilenceAfterHavingCarriedAudio)
{
  PlumbingPlug* plug = ConnectedStereo(2);
  float host0[2] = {1, 1}, host1[2] = {3, 3};
  float* ins[2] = {host0, host1};
  plug->AttachInputBuffers(0, 2, ins, 2);
  plug->SetInputChannelConnections(1, 1, false);
  EXPECT_EQ(0.0, plug->In(1)[0]);
  delete plug;
}

TEST(ProcessBuffers, FloatReplacingOverwritesAndAccumulatingAdds)
{
  PlumbingPlug* plug = ConnectedStereo(4);
  plug->writeConstant = true;
  float in0[4] = {0}, in1[4] = {0};
  float out0[4] = {1, 1, 1, 1}, out1[4] = {1, 1, 1, 1};
  float* ins[2] = {in0, in1};
  float* outs[2] = {out0, out1};

  plug->AttachInputBuffers(0, 2, ins, 4);
  plug->AttachOutputBuffers(0, 2, outs);
  plug->ProcessBuffersAccumulating(0.0f, 4);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(1.25f, out0[s]);

  plug->AttachOutputBuffers(0, 2, outs);
  plug->ProcessBuffers(0.0f, 4);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(0.25f, out1[s]);
  delete plug;
}

TEST(ProcessBuffers, FloatResultsBelowTheNormalRangeLeaveAsZero)
{
  PlumbingPlug* plug = ConnectedStereo(1);
  plug->writeConstant = true;
  float in0[1] = {0}, in1[1] = {0};
  float out0[1], out1[1];
  float* ins[2] = {in0, in1};
  float* outs[2] = {out0, out1};
  // The smallest normal float (2^-126) stays; half of it, and anything smaller, is 0.
  const double smallestNormal = std::ldexp(1.0, -126);
  const double constants[] = {smallestNormal, -smallestNormal, smallestNormal / 2, -1e-40, 1e-300};
  const float expected[] = {std::ldexp(1.0f, -126), -std::ldexp(1.0f, -126), 0.f, 0.f, 0.f};
  for (int i = 0; i < 5; ++i)
  {
    plug->constant = constants[i];
    plug->AttachInputBuffers(0, 2, ins, 1);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(0.0f, 1);
    EXPECT_EQ(expected[i], out0[0]) << i;
    out1[0] = 1.0f;
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffersAccumulating(0.0f, 1);
    EXPECT_EQ(1.0f + expected[i], out1[0]) << i;
  }
  delete plug;
}

TEST(ProcessBuffers, FloatPathConvertsInputsThroughToOutputs)
{
  PlumbingPlug* plug = ConnectedStereo(3);
  float in0[3] = {0.5f, -0.5f, 0.125f}, in1[3] = {1, 2, 3};
  float out0[3], out1[3];
  float* ins[2] = {in0, in1};
  float* outs[2] = {out0, out1};
  plug->AttachInputBuffers(0, 2, ins, 3);
  plug->AttachOutputBuffers(0, 2, outs);
  plug->ProcessBuffers(0.0f, 3);
  EXPECT_EQ(0.125f, out0[2]);
  EXPECT_EQ(2.0f, out1[1]);
  EXPECT_EQ(3, plug->lastFrames);
  delete plug;
}

TEST(ProcessBuffers, DoublePathRunsOnTheHostBuffers)
{
  PlumbingPlug* plug = ConnectedStereo(4);
  double in0[2] = {0.1, 0.2}, in1[2] = {0.3, 0.4};
  double out0[2] = {9, 9}, out1[2] = {9, 9};
  double* ins[2] = {in0, in1};
  double* outs[2] = {out0, out1};
  plug->AttachInputBuffers(0, 2, ins, 2);
  plug->AttachOutputBuffers(0, 2, outs);
  plug->ProcessBuffers(0.0, 2);
  EXPECT_EQ(out0, plug->Out(0));
  EXPECT_EQ(0.2, out0[1]);
  EXPECT_EQ(0.3, out1[0]);
  delete plug;
}

TEST(ProcessBuffers, MoreOutputsThanInputsAreSilenced)
{
  PlumbingPlug plug(0, "1-2", 0);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 2, true);
  plug.SetBlockSize(2);
  float in0[2] = {1, 2};
  float out0[2] = {7, 7}, out1[2] = {7, 7};
  float* ins[1] = {in0};
  float* outs[2] = {out0, out1};
  plug.AttachInputBuffers(0, 1, ins, 2);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.PassThroughBuffers(0.0f, 2);
  EXPECT_EQ(2.0f, out0[1]);
  EXPECT_EQ(0.0f, out1[0]);
  EXPECT_EQ(0, plug.processCalls) << "pass-through bypasses the effect";
}

TEST(ProcessBuffers, BlocksLongerThanTheBlockSizeStopAtItAndSilenceTheRest)
{
  PlumbingPlug* plug = ConnectedStereo(2);
  float in0[4] = {1, 1, 1, 1}, in1[4] = {1, 1, 1, 1};
  float out0[4] = {5, 5, 5, 5}, out1[4] = {5, 5, 5, 5};
  float* ins[2] = {in0, in1};
  float* outs[2] = {out0, out1};
  plug->AttachInputBuffers(0, 2, ins, 4);
  plug->AttachOutputBuffers(0, 2, outs);
  plug->ProcessBuffers(0.0f, 4);
  EXPECT_EQ(2, plug->lastFrames);
  EXPECT_EQ((std::vector<float>{1, 1, 0, 0}), std::vector<float>(out0, out0 + 4));
  delete plug;
}

TEST(SetParameterFromGUI, TellsTheHostTheValueAsReceived)
{
  KestruneLikePlug plug;
  plug.paramChanges.clear();
  plug.SetParameterFromGUI(5, 0.25);
  EXPECT_EQ(0.0, plug.GetParam(5)->Value());
  ASSERT_EQ(1u, plug.hostInformed.size());
  EXPECT_EQ(5, plug.hostInformed[0].first);
  EXPECT_EQ(0.25, plug.hostInformed[0].second);
  EXPECT_EQ(std::vector<int>{5}, plug.paramChanges);
  plug.SetParameterFromGUI(17, 0.5);
  EXPECT_EQ(1u, plug.hostInformed.size()) << "an index without parameter is ignored";
}

TEST(DirtyParameters, InformsTheHostOfEveryNormalisedValue)
{
  KestruneLikePlug plug;
  plug.DirtyParameters();
  ASSERT_EQ(6u, plug.hostInformed.size());
  EXPECT_EQ(0.5, plug.hostInformed[0].second);
  EXPECT_NEAR(0.70710678, plug.hostInformed[2].second, 1e-8);
}

TEST(OnParamReset, CallsTheHookForEveryParameterInOrder)
{
  KestruneLikePlug plug;
  plug.paramChanges.clear();
  plug.OnParamReset();
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), plug.paramChanges);
}

TEST(AttachGraphics, PushesNormalisedValuesThenPreparesAndIsOwned)
{
  bool deleted = false;
  {
    KestruneLikePlug plug;
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(nullptr, plug.GetGUI());
    auto* pGraphics = new RecordingGraphics(&plug, &deleted);
    plug.AttachGraphics(pGraphics);
    EXPECT_EQ(pGraphics, plug.GetGUI());
    ASSERT_EQ(6u, pGraphics->pushes.size());
    EXPECT_EQ(6, pGraphics->prepDrawAfterPushes);
    EXPECT_NEAR(0.70710678, pGraphics->pushes[4].value, 1e-8);
    EXPECT_TRUE(pGraphics->pushes[4].normalized);

    pGraphics->pushes.clear();
    plug.RedrawParamControls();
    ASSERT_EQ(6u, pGraphics->pushes.size());
    EXPECT_EQ(0.5, pGraphics->pushes[4].value);
    EXPECT_FALSE(pGraphics->pushes[4].normalized);
  }
  EXPECT_TRUE(deleted);
}

TEST(Identity, VersionsApiAndNames)
{
  TestPlug plug(0, "2-2", 0, false, 0x010203);
  char buf[32];
  plug.GetEffectVersionStr(buf);
  EXPECT_STREQ("v1.2.3", buf);
  EXPECT_EQ(10203, plug.GetEffectVersion(true));
  EXPECT_EQ(0x010203, plug.GetEffectVersion(false));
  EXPECT_STREQ("VST2", plug.GetAPIString());
  EXPECT_STREQ("x64", plug.GetArchString());
  EXPECT_STREQ("Kestrune", plug.GetEffectName());
  EXPECT_STREQ("Orvantic", plug.GetMfrName());
  EXPECT_EQ(kUniqueID, plug.GetUniqueID());
  EXPECT_EQ(44100.0, plug.GetSampleRate());
  EXPECT_EQ(kHostUninit, plug.GetHost());
  TestPlug other(0, "2-2", 0, false, 0x10000, static_cast<EAPI>(6));
  EXPECT_STREQ("", other.GetAPIString());
  TestPlug aax(0, "2-2", 0, false, 0x10000, kAPIAAX);
  EXPECT_STREQ("AAX", aax.GetAPIString());
  TestPlug lv2(0, "2-2", 0, false, 0x10000, kAPILV2);
  EXPECT_STREQ("LV2", lv2.GetAPIString());
}

TEST(Identity, SetHostLooksTheNameUp)
{
  TestPlug plug(0, "2-2", 0);
  plug.SetHost("REAPER64", 0x050A01);
  EXPECT_EQ(kHostReaper, plug.GetHost());
  EXPECT_EQ(51001, plug.GetHostVersion(true));
  char buf[32];
  plug.GetHostVersionStr(buf);
  EXPECT_STREQ("v5.10.1", buf);
  plug.SetHost("SomethingElse", 0);
  EXPECT_EQ(kHostUnknown, plug.GetHost());
}

TEST(Settings, SamplesPerBeatFollowTheHostTempo)
{
  TestPlug plug(0, "2-2", 0);
  plug.tempo = 120.0;
  EXPECT_EQ(22050.0, plug.GetSamplesPerBeat());
  plug.tempo = 0.0;
  EXPECT_EQ(0.0, plug.GetSamplesPerBeat());
  plug.SetSampleRate(48000.0);
  plug.tempo = 60.0;
  EXPECT_EQ(48000.0, plug.GetSamplesPerBeat());
}

TEST(MidiDefaults, MessagesPassThroughAndNoKeysAreNamed)
{
  TestPlug plug(0, "2-2", 0);
  IMidiMsg msg(3, 0x90, 60, 100);
  plug.ProcessMidiMsg(&msg);
  ASSERT_EQ(1u, plug.sentMidi.size());
  EXPECT_EQ(&msg, plug.sentMidi[0]);
  char name[32] = "x";
  EXPECT_FALSE(plug.MidiNoteName(60, name));
  EXPECT_STREQ("", name);
  ISysEx sysex;
  EXPECT_FALSE(plug.SendSysEx(&sysex));
}

TEST(SendMidiMsgs, SendsEveryMessageInOrderAndReportsAnyFailure)
{
  TestPlug plug(0, "2-2", 0);
  WDL_TypedBuf<IMidiMsg> msgs;
  for (int i = 0; i < 3; ++i) msgs.Add(IMidiMsg(i, 0x90, static_cast<uint8_t>(60 + i), 100));
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
  plug.sentMidi.clear();
  plug.failSendAt = 1;
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  ASSERT_EQ(3u, plug.sentMidi.size());
  EXPECT_EQ(62, plug.sentMidi[2]->NoteNumber());
}
