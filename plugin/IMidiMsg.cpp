#include "plugin/IMidiMsg.h"

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  mStatus = static_cast<uint8_t>(0x90 | channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mData2 = static_cast<uint8_t>(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  mStatus = static_cast<uint8_t>(0x80 | channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  // Out-of-range and NaN inputs are limited before the integer conversion, which would be undefined.
  double scaled = value * 8192.0;
  if (!(scaled > -8192.0)) scaled = -8192.0;
  if (scaled > 8191.0) scaled = 8191.0;
  const int i = static_cast<int>(scaled) + 8192;
  mStatus = static_cast<uint8_t>(0xE0 | channel);
  mData1 = static_cast<uint8_t>(i % 128);
  mData2 = static_cast<uint8_t>(i / 128);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  double scaled = value * 127.0;
  if (!(scaled > 0.0)) scaled = 0.0;
  if (scaled > 127.0) scaled = 127.0;
  mStatus = static_cast<uint8_t>(0xB0 | channel);
  mData1 = static_cast<uint8_t>(idx);
  mData2 = static_cast<uint8_t>(scaled);
}

int IMidiMsg::Channel() const
{
  return mStatus & 0x0F;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  const unsigned kind = mStatus >> 4;
  if (kind < kNoteOff || kind > kPitchWheel) return kNone;
  return static_cast<EStatusMsg>(kind);
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
    case kNoteOn:
    case kNoteOff:
    case kPolyAftertouch: return mData1;
    default: return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg())
  {
    case kNoteOn:
    case kNoteOff: return mData2;
    default: return -1;
  }
}

int IMidiMsg::PolyAfterTouch() const
{
  return StatusMsg() == kPolyAftertouch ? mData2 : -1;
}

int IMidiMsg::ChannelAfterTouch() const
{
  return StatusMsg() == kChannelAftertouch ? mData1 : -1;
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  const int i = mData2 * 128 + mData1 - 8192;
  return i / 8192.0;
}

IMidiMsg::EControlChangeMsg IMidiMsg::ControlChangeIdx() const
{
  return static_cast<EControlChangeMsg>(mData1);
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return mData2 / 127.0;
  return -1.0;
}

void ISysEx::Clear()
{
  mOffset = mSize = 0;
  mData = nullptr;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg msg)
{
  switch (msg)
  {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
    default: return "unknown";
  }
}

char* SysExStr(char* buf, int maxLen, const uint8_t* data, int size)
{
  if (maxLen <= 0) return buf;
  buf[0] = 0;
  if (!data || size <= 0) return buf;
  int n = maxLen / 3;
  if (size < n) n = size;
  static const char kHex[] = "0123456789ABCDEF";
  char* p = buf;
  for (int i = 0; i < n; ++i)
  {
    *p++ = kHex[data[i] >> 4];
    *p++ = kHex[data[i] & 0x0F];
    *p++ = ' ';
  }
  // The last separator becomes the terminator; with no room for one byte the text stays empty.
  if (n > 0) p[-1] = 0;
  return buf;
}
