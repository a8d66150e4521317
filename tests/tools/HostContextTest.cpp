#include "tools/kestrune-render/HostContext.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kestrune::render;

TEST(HostContext, AnswersWhatAnOfflineVst24HostMust) {
  HostContext host;
  host.SetSampleRate(48000);
  host.SetBlockSize(256);
  EXPECT_EQ(host.Answer(audioMasterVersion, 0, 0, nullptr, 0.f), 2400);
  EXPECT_EQ(host.Answer(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.f), 4);
  EXPECT_EQ(host.Answer(audioMasterGetSampleRate, 0, 0, nullptr, 0.f), 48000);
  EXPECT_EQ(host.Answer(audioMasterGetBlockSize, 0, 0, nullptr, 0.f), 256);
  char text[64];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(host.Answer(audioMasterGetVendorString, 0, 0, text, 0.f), 1);
  EXPECT_STREQ(text, "Orvantic");
  EXPECT_EQ(host.Answer(audioMasterGetProductString, 0, 0, text, 0.f), 1);
  EXPECT_STREQ(text, "kestrune-render");
  EXPECT_EQ(host.Answer(audioMasterGetProductString, 0, 0, nullptr, 0.f), 0);
  EXPECT_EQ(host.Answer(audioMasterCanDo, 0, 0, const_cast<char*>("sendVstTimeInfo"), 0.f), 1);
  EXPECT_EQ(host.Answer(audioMasterCanDo, 0, 0, const_cast<char*>("sizeWindow"), 0.f), 0);
  EXPECT_EQ(host.Answer(audioMasterCanDo, 0, 0, nullptr, 0.f), 0);
}

TEST(HostContext, TransportFollowsRenderedFramesAt120BpmInFourFour) {
  HostContext host;
  host.SetSampleRate(48000);
  auto time = [&] {
    return reinterpret_cast<const VstTimeInfo*>(host.Answer(audioMasterGetTime, 0, kVstTempoValid, nullptr, 0.f));
  };
  const VstTimeInfo* t = time();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->samplePos, 0.0);
  EXPECT_EQ(t->sampleRate, 48000.0);
  EXPECT_EQ(t->tempo, 120.0);
  EXPECT_EQ(t->timeSigNumerator, 4);
  EXPECT_EQ(t->timeSigDenominator, 4);
  const int32_t valid = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                        kVstTimeSigValid;
  EXPECT_EQ(t->flags, valid | kVstTransportChanged);

  // 2.5 s at 120 BPM is 5 quarter notes: bar 2 started at quarter note 4.
  host.Advance(120000);
  t = time();
  EXPECT_EQ(t->samplePos, 120000.0);
  EXPECT_DOUBLE_EQ(t->ppqPos, 5.0);
  EXPECT_DOUBLE_EQ(t->barStartPos, 4.0);
  EXPECT_DOUBLE_EQ(t->nanoSeconds, 2.5e9);
  EXPECT_EQ(t->flags, valid);

  host.Rewind();
  EXPECT_EQ(time()->samplePos, 0.0);

  // Stopped, as while the plug-in settles before the input: the position stays at 0.
  host.StopTransport();
  EXPECT_EQ(time()->flags, (valid & ~kVstTransportPlaying) | kVstTransportChanged);
  host.Advance(4800);
  t = time();
  EXPECT_EQ(t->samplePos, 0.0);
  EXPECT_EQ(t->flags, valid & ~kVstTransportPlaying);
  host.Rewind();
  EXPECT_EQ(time()->flags, valid | kVstTransportChanged);
}

TEST(HostContext, AcceptsAndNotesLatencyChanges) {
  HostContext host;
  EXPECT_EQ(host.Answer(audioMasterCanDo, 0, 0, const_cast<char*>("acceptIOChanges"), 0.f), 1);
  EXPECT_FALSE(host.TakeIoChanged());
  EXPECT_EQ(host.Answer(audioMasterIOChanged, 0, 0, nullptr, 0.f), 1);
  EXPECT_TRUE(host.TakeIoChanged());
  EXPECT_FALSE(host.TakeIoChanged());
}

TEST(HostContext, CallbackFindsTheContextThroughTheRecordOrDuringCreation) {
  HostContext host;
  host.SetBlockSize(77);
  AEffect record{};
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.f), 0);
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f), 2400);
  {
    HostContext::Link::CreationScope creation(host);
    EXPECT_EQ(HostContext::Callback(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.f), 77);
  }
  EXPECT_EQ(HostContext::Callback(nullptr, audioMasterGetBlockSize, 0, 0, nullptr, 0.f), 0);
  HostContext::Link::Attach(&record, host);
  EXPECT_EQ(HostContext::Callback(&record, audioMasterGetBlockSize, 0, 0, nullptr, 0.f), 77);
}
