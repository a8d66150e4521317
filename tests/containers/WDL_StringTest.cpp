#include "containers/WDL_String.h"

#include <gtest/gtest.h>

#include <string>

TEST(WDL_String, StartsEmptyAndCopiesText)
{
  WDL_String s;
  EXPECT_STREQ("", s.Get());
  EXPECT_EQ(0, s.GetLength());
  WDL_String t("abc");
  EXPECT_STREQ("abc", t.Get());
  WDL_String n(nullptr);
  EXPECT_STREQ("", n.Get());
}

TEST(WDL_String, SetAndAppendHonourMaxLen)
{
  WDL_String s;
  ASSERT_TRUE(s.Set("abcdef", 3));
  EXPECT_STREQ("abc", s.Get());
  ASSERT_TRUE(s.Append("xyz", 2));
  EXPECT_STREQ("abcxy", s.Get());
  ASSERT_TRUE(s.Append("!"));
  EXPECT_EQ(6, s.GetLength());
  ASSERT_TRUE(s.Set("ab\0cd", 5));
  EXPECT_STREQ("ab", s.Get()) << "copying stops at a terminator";
}

TEST(WDL_String, SelfReferencesSurviveGrowth)
{
  WDL_String s("0123456789");
  ASSERT_TRUE(s.Append(s.Get()));
  EXPECT_STREQ("01234567890123456789", s.Get());
  ASSERT_TRUE(s.Set(s.Get() + 15));
  EXPECT_STREQ("56789", s.Get());
}

TEST(WDL_String, FormattedTextIsCut)
{
  WDL_String s;
  ASSERT_TRUE(s.SetFormatted(64, "%s %d", "user preset", 3));
  EXPECT_STREQ("user preset 3", s.Get());
  ASSERT_TRUE(s.AppendFormatted(4, "%d", 123456));
  EXPECT_STREQ("user preset 31234", s.Get());
  const std::string big(1000, 'q');
  ASSERT_TRUE(s.SetFormatted(0, "%s", big.c_str()));
  EXPECT_EQ(big, s.Get());
}

TEST(WDL_String, SetLenAndDeleteSub)
{
  WDL_String s("[Dec 17 2026");
  s.SetLen(7);
  EXPECT_STREQ("[Dec 17", s.Get());
  s.DeleteSub(4, 1);
  EXPECT_STREQ("[Dec17", s.Get());
  s.SetLen(50);
  EXPECT_STREQ("[Dec17", s.Get());
  s.DeleteSub(3, 100);
  EXPECT_STREQ("[De", s.Get());
  s.DeleteSub(10, 1);
  EXPECT_STREQ("[De", s.Get());
}
