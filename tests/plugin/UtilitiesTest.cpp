#include "plugin/Base64.h"
#include "plugin/IPlugUtilities.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(LookUpHost, MatchesSubstringsCaseInsensitivelyInOrder)
{
  EXPECT_EQ(kHostReaper, LookUpHost("REAPER64"));
  EXPECT_EQ(kHostAbletonLive, LookUpHost("Live 9"));
  EXPECT_EQ(kHostCubase, LookUpHost("Nuendo Cubase Bundle"));
  EXPECT_EQ(kHostAbletonLive, LookUpHost("logic live"));
  EXPECT_EQ(kHostMelodyneStudio, LookUpHost("Melodyne studio"));
  EXPECT_EQ(kHostSonar, LookUpHost("Cakewalk SONAR"));
  EXPECT_EQ(kHostStudioOne, LookUpHost("PreSonus Studio One"));
  EXPECT_EQ(kHostStandalone, LookUpHost("standalone"));
  EXPECT_EQ(kHostUnknown, LookUpHost(""));
  EXPECT_EQ(kHostUnknown, LookUpHost(nullptr));
}

TEST(LookUpHost, OverlongNamesAreExaminedOnlyUpToTheBuffer)
{
  std::string name(300, 'x');
  name.replace(10, 6, "ardour");
  EXPECT_EQ(kHostArdour, LookUpHost(name.c_str()));
  std::string late(300, 'x');
  late.replace(280, 6, "ardour");
  EXPECT_EQ(kHostUnknown, LookUpHost(late.c_str()));
}

TEST(GetHostNameStr, DisplayNamesAndUnknowns)
{
  char buf[MAX_HOST_NAME_LEN];
  GetHostNameStr(kHostSonar, buf);
  EXPECT_STREQ("Sonar", buf);
  GetHostNameStr(kHostVST3TestHost, buf);
  EXPECT_STREQ("VST3PluginTestHost", buf);
  GetHostNameStr(kHostDigitalPerformer, buf);
  EXPECT_STREQ("DigitalPerformer", buf);
  for (int code : {-1, 0, 10, 11, 12, 19, 31})
  {
    GetHostNameStr(static_cast<EHost>(code), buf);
    EXPECT_STREQ("Unknown", buf) << code;
  }
}

TEST(Versions, PartsDecimalAndText)
{
  int major, minor, patch;
  GetVersionParts(66051, &major, &minor, &patch);
  EXPECT_EQ(1, major);
  EXPECT_EQ(2, minor);
  EXPECT_EQ(3, patch);
  EXPECT_EQ(10203, GetDecimalVersion(66051));
  char buf[32];
  GetVersionStr(65536, buf);
  EXPECT_STREQ("v1.0.0", buf);
  GetVersionParts(-1, &major, &minor, &patch);
  EXPECT_EQ(65535, major);
}

TEST(Versions, KernelReleasePacking)
{
  EXPECT_EQ(0x060100, PackReleaseVersion("6.1.0-18-amd64"));
  EXPECT_EQ(0x0513FF, PackReleaseVersion("5.19.300"));
  EXPECT_EQ(0x040000, PackReleaseVersion("4"));
  EXPECT_EQ(0, PackReleaseVersion("linux"));
  EXPECT_GT(GetSystemVersion(), 0);
}

TEST(TimerEvery, FiresOnlyAfterTheIntervalAndRestarts)
{
  static std::clock_t now;
  now = 0;
  Timer timer([]() { return now; });
  now = CLOCKS_PER_SEC / 2;
  EXPECT_FALSE(timer.Every(0.5));
  now += 1;
  EXPECT_TRUE(timer.Every(0.5));
  now += CLOCKS_PER_SEC / 4;
  EXPECT_FALSE(timer.Every(0.5));
}

namespace
{
struct tm Tm(int year, int yday, int hour, int min, int mon = 0, int mday = 1)
{
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_yday = yday;
  t.tm_hour = hour;
  t.tm_min = min;
  t.tm_mon = mon;
  t.tm_mday = mday;
  return t;
}

std::string Format(const struct tm& local, const struct tm& utc)
{
  char buf[TIMESTAMP_BUF_LEN];
  return FormatTimeWithOffset(local, utc, buf);
}
} // namespace

TEST(CurrentTime, OffsetsWithinOneDay)
{
  EXPECT_EQ("20261207 08:15 +0100", Format(Tm(2026, 340, 8, 15, 11, 7), Tm(2026, 340, 7, 15, 11, 7)));
  EXPECT_EQ("20261207 12:00 +0530", Format(Tm(2026, 340, 12, 0, 11, 7), Tm(2026, 340, 6, 30, 11, 7)));
  EXPECT_EQ("20261207 10:00 +0000", Format(Tm(2026, 340, 10, 0, 11, 7), Tm(2026, 340, 10, 0, 11, 7)));
}

TEST(CurrentTime, WestOfUtcAcrossMidnight)
{
  // 22:00 on 7 December in New York is 03:00 on 8 December in UTC.
  EXPECT_EQ("20261207 22:00 -0500", Format(Tm(2026, 340, 22, 0, 11, 7), Tm(2026, 341, 3, 0, 11, 8)));
  // 01:00 on 8 December in Tokyo is 16:00 on 7 December in UTC.
  EXPECT_EQ("20261208 01:00 +0900", Format(Tm(2026, 341, 1, 0, 11, 8), Tm(2026, 340, 16, 0, 11, 7)));
}

TEST(CurrentTime, AcrossTheYearEnd)
{
  // 31 December 20:00 in New York is 1 January 01:00 UTC: day 364 against day 0.
  EXPECT_EQ("20261231 20:00 -0500", Format(Tm(2026, 364, 20, 0, 11, 31), Tm(2027, 0, 1, 0, 0, 1)));
  // 1 January 08:00 in Tokyo is 31 December 23:00 UTC of the previous year.
  EXPECT_EQ("20270101 08:00 +0900", Format(Tm(2027, 0, 8, 0, 0, 1), Tm(2026, 364, 23, 0, 11, 31)));
  // Leap year: day 365 is 31 December.
  EXPECT_EQ("20281231 23:30 -0130", Format(Tm(2028, 365, 23, 30, 11, 31), Tm(2029, 0, 1, 0, 0, 1)));
}

TEST(CurrentTime, ReadsTheClock)
{
  const std::string now = CurrentTime();
  ASSERT_EQ(20u, now.size());
  EXPECT_EQ(' ', now[8]);
  EXPECT_TRUE(now[15] == '+' || now[15] == '-');
}

TEST(CompileTimestamp, KeepsMonthDayHoursAndMinutes)
{
  WDL_String out;
  CompileTimestamp("Dec 17 2026", "12:34:56", &out);
  EXPECT_STREQ("[Dec17 12:34]", out.Get());
  EXPECT_STREQ("Kestrune [Dec17 12:34]", AppendTimestamp("Dec 17 2026", "12:34:56", "Kestrune"));
}

TEST(TextUtils, WhitespaceAndLowerCase)
{
  EXPECT_TRUE(IsWhitespace(' '));
  EXPECT_TRUE(IsWhitespace('\t'));
  EXPECT_TRUE(IsWhitespace('\n'));
  EXPECT_TRUE(IsWhitespace('\r'));
  EXPECT_FALSE(IsWhitespace('\v'));
  EXPECT_FALSE(IsWhitespace('\f'));
  EXPECT_FALSE(IsWhitespace('a'));
  char buf[16];
  ToLower(buf, "ReAPer 6");
  EXPECT_STREQ("reaper 6", buf);
}

TEST(Base64, EncodesWithPaddingAndDecodesUpToPadding)
{
  WDL_String text;
  const uint8_t man[] = {'M', 'a', 'n', 'M', 'a'};
  ASSERT_TRUE(Base64Encode(man, 5, &text));
  EXPECT_STREQ("TWFuTWE=", text.Get());
  ASSERT_TRUE(Base64Encode(man, 4, &text));
  EXPECT_STREQ("TWFuTQ==", text.Get());
  ASSERT_TRUE(Base64Encode(man, 0, &text));
  EXPECT_STREQ("", text.Get());
  uint8_t out[8] = {0};
  EXPECT_EQ(4, Base64Decode("TWFuTQ==", out, 8));
  EXPECT_EQ(0, memcmp(out, man, 4));
  EXPECT_EQ(0, Base64Decode(nullptr, out, 8));
}
