#include "plugin/IMidiMsg.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(IMidiMsgMake, NoteOnAndOffCarryChannelAndOffset)
{
  IMidiMsg msg(9, 1, 2, 3);
  msg.MakeNoteOnMsg(60, 100, 12, 3);
  EXPECT_EQ(0x93, msg.mStatus);
  EXPECT_EQ(60, msg.mData1);
  EXPECT_EQ(100, msg.mData2);
  EXPECT_EQ(12, msg.mOffset);
  EXPECT_EQ(3, msg.Channel());
  EXPECT_EQ(IMidiMsg::kNoteOn, msg.StatusMsg());

  msg.MakeNoteOffMsg(61, 5, 15);
  EXPECT_EQ(0x8F, msg.mStatus);
  EXPECT_EQ(0, msg.mData2);
  EXPECT_EQ(61, msg.NoteNumber());
  EXPECT_EQ(0, msg.Velocity());
}

TEST(IMidiMsgMake, PitchWheelCentreAndExtremes)
{
  IMidiMsg msg;
  msg.MakePitchWheelMsg(0.0, 0);
  EXPECT_EQ(0xE0, msg.mStatus);
  EXPECT_EQ(0, msg.mData1);
  EXPECT_EQ(64, msg.mData2);
  EXPECT_EQ(0.0, msg.PitchWheel());
  msg.MakePitchWheelMsg(1.0, 0);
  EXPECT_EQ(127, msg.mData1);
  EXPECT_EQ(127, msg.mData2);
  EXPECT_EQ(8191.0 / 8192.0, msg.PitchWheel());
  msg.MakePitchWheelMsg(-1.0, 0);
  EXPECT_EQ(0, msg.mData1);
  EXPECT_EQ(0, msg.mData2);
  EXPECT_EQ(-1.0, msg.PitchWheel());
  msg.MakePitchWheelMsg(5.0, 1);
  EXPECT_EQ(127, msg.mData2);
  EXPECT_EQ(0, msg.mOffset);
}

TEST(IMidiMsgMake, ControlChangeScalesTo127)
{
  IMidiMsg msg;
  msg.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 0.5, 2);
  EXPECT_EQ(0xB2, msg.mStatus);
  EXPECT_EQ(7, msg.mData1);
  EXPECT_EQ(63, msg.mData2);
  EXPECT_EQ(63.0 / 127.0, msg.ControlChange(IMidiMsg::kChannelVolume));
  EXPECT_EQ(-1.0, msg.ControlChange(IMidiMsg::kBalance));
  EXPECT_EQ(IMidiMsg::kChannelVolume, msg.ControlChangeIdx());
}

TEST(IMidiMsgQueries, ValuesOnlyForTheirKinds)
{
  const IMidiMsg cc(0, 0xB0, 1, 2);
  EXPECT_EQ(-1, cc.Velocity());
  EXPECT_EQ(-1, cc.NoteNumber());
  EXPECT_EQ(-1, cc.Program());
  EXPECT_EQ(0.0, cc.PitchWheel());
  const IMidiMsg poly(0, 0xA4, 60, 33);
  EXPECT_EQ(60, poly.NoteNumber());
  EXPECT_EQ(33, poly.PolyAfterTouch());
  EXPECT_EQ(-1, poly.Velocity());
  const IMidiMsg chan(0, 0xD0, 44, 0);
  EXPECT_EQ(44, chan.ChannelAfterTouch());
  EXPECT_EQ(-1, chan.PolyAfterTouch());
  const IMidiMsg prog(0, 0xC0, 5, 0);
  EXPECT_EQ(5, prog.Program());
  EXPECT_EQ(-1, prog.ChannelAfterTouch());
}

TEST(IMidiMsgQueries, SystemAndDataBytesHaveNoKind)
{
  EXPECT_EQ(IMidiMsg::kNone, IMidiMsg(0, 0xF8).StatusMsg());
  EXPECT_EQ(IMidiMsg::kNone, IMidiMsg(0, 0x7F).StatusMsg());
  EXPECT_EQ(IMidiMsg::kPitchWheel, IMidiMsg(0, 0xEF).StatusMsg());
}

TEST(IMidiMsgClear, EveryFieldBecomesZero)
{
  IMidiMsg msg(4, 0x90, 1, 2);
  msg.Clear();
  EXPECT_EQ(0, msg.mOffset);
  EXPECT_EQ(0, msg.mStatus);
  EXPECT_EQ(0, msg.mData1 + msg.mData2);
  const uint8_t data[1] = {0xF0};
  ISysEx sysex(3, data, 1);
  sysex.Clear();
  EXPECT_EQ(0, sysex.mOffset);
  EXPECT_EQ(0, sysex.mSize);
  EXPECT_EQ(nullptr, sysex.mData);
}

TEST(StatusMsgStr, NamesEveryKind)
{
  EXPECT_STREQ("none", StatusMsgStr(IMidiMsg::kNone));
  EXPECT_STREQ("unknown", StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(3)));
  EXPECT_STREQ("noteoff", StatusMsgStr(IMidiMsg::kNoteOff));
  EXPECT_STREQ("noteon", StatusMsgStr(IMidiMsg::kNoteOn));
  EXPECT_STREQ("aftertouch", StatusMsgStr(IMidiMsg::kPolyAftertouch));
  EXPECT_STREQ("controlchange", StatusMsgStr(IMidiMsg::kControlChange));
  EXPECT_STREQ("programchange", StatusMsgStr(IMidiMsg::kProgramChange));
  EXPECT_STREQ("channelaftertouch", StatusMsgStr(IMidiMsg::kChannelAftertouch));
  EXPECT_STREQ("pitchwheel", StatusMsgStr(IMidiMsg::kPitchWheel));
  EXPECT_STREQ("unknown", StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(15)));
}

TEST(SysExStr, WritesAsManyBytesAsFitInThirds)
{
  const uint8_t data[] = {0xF0, 0x7E, 0xF7};
  char buf[16];
  EXPECT_STREQ("F0 7E", SysExStr(buf, 7, data, 3));
  EXPECT_STREQ("F0 7E F7", SysExStr(buf, 16, data, 3));
  EXPECT_STREQ("", SysExStr(buf, 16, nullptr, 3));
  EXPECT_STREQ("", SysExStr(buf, 16, data, 0));
  char exact[6];
  memset(exact, 'z', sizeof(exact));
  SysExStr(exact, 6, data, 3);
  EXPECT_STREQ("F0 7E", exact) << "six bytes hold two pairs and the terminator";
}
