#include "plugin/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace
{
std::string Display(const IParam& param, double value, bool normalized = false, bool withText = true)
{
  char buf[MAX_PARAM_DISPLAY_LEN];
  param.GetDisplayForHost(value, normalized, buf, withText);
  return buf;
}
} // namespace

TEST(IParamConstruction, DefaultIsAZeroToOneSwitchWithNoNames)
{
  IParam param;
  EXPECT_EQ(IParam::kTypeNone, param.Type());
  EXPECT_EQ(0.0, param.Value());
  double lo, hi;
  param.GetBounds(&lo, &hi);
  EXPECT_EQ(0.0, lo);
  EXPECT_EQ(1.0, hi);
  EXPECT_STREQ("", param.GetNameForHost());
  EXPECT_STREQ("", param.GetLabelForHost());
  param.SetNormalized(0.4);
  EXPECT_EQ(0.0, param.Value());
  param.SetNormalized(0.5);
  EXPECT_EQ(1.0, param.Value());
  EXPECT_EQ("1", Display(param, param.Value()));
}

TEST(IParamInit, BoolShowsOnAndHidesItsLabel)
{
  IParam param;
  param.InitBool("Power", true, "dB", "grp");
  EXPECT_EQ(IParam::kTypeBool, param.Type());
  EXPECT_EQ(1.0, param.Value());
  EXPECT_EQ("on", Display(param, param.Value()));
  EXPECT_STREQ("", param.GetLabelForHost());
  EXPECT_STREQ("grp", param.GetParamGroupForHost());
}

TEST(IParamInit, SecondInitBoolAppendsTheTextsAgain)
{
  IParam param;
  param.InitBool("a", false);
  param.InitBool("a", false);
  ASSERT_EQ(4, param.GetNDisplayTexts());
  const char* expected[] = {"off", "on", "off", "on"};
  const int values[] = {0, 1, 0, 1};
  for (int i = 0; i < 4; ++i)
  {
    int v = -1;
    EXPECT_STREQ(expected[i], param.GetDisplayTextAtIdx(i, &v));
    EXPECT_EQ(values[i], v);
  }
}

TEST(IParamInit, IntAndEnumRaiseMaxToMinPlusOne)
{
  IParam i5;
  i5.InitInt("n", 5, 5, 5);
  EXPECT_EQ(6.0, i5.GetMax());
  IParam e1;
  e1.InitEnum("e", 0, 1);
  EXPECT_EQ(IParam::kTypeEnum, e1.Type());
  EXPECT_EQ(1.0, e1.GetMax());
  IParam e4;
  e4.InitEnum("e", 2, 4);
  EXPECT_EQ(3.0, e4.GetMax());
}

TEST(IParamInit, FirstInitFixesTheType)
{
  IParam param;
  param.InitInt("n", 1, 0, 10);
  param.InitDouble("d", 0.25, 0.0, 1.0, 0.01);
  EXPECT_EQ(IParam::kTypeInt, param.Type());
  EXPECT_STREQ("d", param.GetNameForHost());
  EXPECT_EQ(0.25, param.Value());
  EXPECT_EQ(2, param.GetPrecision());
}

TEST(IParamInit, PrecisionCountsDecimalsOfTheStepUpToSix)
{
  const struct
  {
    double step;
    int precision;
  } cases[] = {{1.0, 0}, {0.5, 1}, {0.1, 1}, {0.01, 2}, {0.05, 2}, {0.25, 2}, {0.001, 3}, {1e-7, 6}, {2.0, 0}};
  for (const auto& c : cases)
  {
    IParam param;
    param.InitDouble("d", 0.0, 0.0, 100.0, c.step);
    EXPECT_EQ(c.precision, param.GetPrecision()) << "step " << c.step;
  }
}

TEST(IParamInit, DoubleMaxIsAtLeastMinPlusStepUnlessNaN)
{
  IParam param;
  param.InitDouble("d", 0.0, 1.0, 1.2, 0.5);
  EXPECT_EQ(1.5, param.GetMax());
  IParam nanMax;
  nanMax.InitDouble("d", 0.0, 0.0, NAN, 0.5);
  EXPECT_TRUE(std::isnan(nanMax.GetMax()));
}

TEST(IParamInit, ZeroShapeKeepsThePreviousShape)
{
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 1.0, 0.01, "", "", 3.0);
  param.SetShape(0.0);
  EXPECT_EQ(3.0, param.GetShape());
  param.InitDouble("d", 0.0, 0.0, 1.0, 0.01, "", "", 0.0);
  EXPECT_EQ(3.0, param.GetShape());
  param.SetShape(2.0);
  EXPECT_EQ(2.0, param.GetShape());
}

TEST(IParamInit, OverlongNamesAreCutToTheField)
{
  const std::string longName(100, 'x');
  IParam param;
  param.InitDouble(longName.c_str(), 0.0, 0.0, 1.0, 0.1, longName.c_str(), longName.c_str());
  EXPECT_EQ(std::string(31, 'x'), param.GetNameForHost());
  EXPECT_EQ(std::string(31, 'x'), param.GetLabelForHost());
  EXPECT_EQ(std::string(31, 'x'), param.GetParamGroupForHost());
  param.SetDisplayText(0, longName.c_str());
  EXPECT_EQ(std::string(31, 'x'), param.GetDisplayText(0));
}

TEST(IParamSetNormalized, RoundsNonDoubleTypesToTheStep)
{
  IParam intParam;
  intParam.InitInt("n", 0, 0, 10);
  intParam.SetNormalized(0.5);
  EXPECT_EQ(5.0, intParam.Value());
  intParam.SetNormalized(0.44);
  EXPECT_EQ(4.0, intParam.Value());
  intParam.SetNormalized(0.45);
  EXPECT_EQ(5.0, intParam.Value());
}

TEST(IParamSetNormalized, DoubleFollowsTheShapeWithoutRounding)
{
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 1.0, 0.01, "", "", 2.0);
  param.SetNormalized(0.5);
  EXPECT_EQ(0.25, param.Value());
  param.SetNormalized(0.3);
  EXPECT_DOUBLE_EQ(0.09, param.Value());
}

TEST(IParamSetNormalized, ClampsAtTheTopOnly)
{
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 1.0, 0.01);
  param.SetNormalized(1.2);
  EXPECT_EQ(1.0, param.Value());
  param.SetNormalized(-0.2);
  EXPECT_DOUBLE_EQ(-0.2, param.Value());
  param.SetNormalized(NAN);
  EXPECT_EQ(1.0, param.Value());
}

TEST(IParamGetNormalized, ClampsThenUndoesTheShape)
{
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 1.0, 0.01, "", "", 2.0);
  EXPECT_NEAR(0.70710678, param.GetNormalized(0.5), 1e-8);
  EXPECT_EQ(0.0, param.GetNormalized(-3.0));
  EXPECT_EQ(1.0, param.GetNormalized(7.0));

  IParam ranged;
  ranged.InitDouble("r", 20.0, 10.0, 30.0, 0.1);
  EXPECT_EQ(0.5, ranged.GetNormalized());
  ranged.SetNormalized(-1.0);
  EXPECT_EQ(0.0, ranged.GetNormalized());
}

TEST(IParamGetNormalized, ZeroWidthRangeReadsAsTheBottom)
{
  IParam param;
  param.InitDouble("z", 3.0, 3.0, 3.0, 0.0, "", "", 2.0);
  ASSERT_EQ(param.GetMin(), param.GetMax());
  EXPECT_EQ(0.0, param.GetNormalized());
  EXPECT_EQ(0.0, param.GetNormalized(-1.0));
  EXPECT_EQ(0.0, param.GetNormalized(5.0));
}

TEST(IParamGetNonNormalized, NeitherClampsNorRounds)
{
  IParam param;
  param.InitInt("n", 0, 0, 10);
  EXPECT_DOUBLE_EQ(4.4, param.GetNonNormalized(0.44));
  EXPECT_DOUBLE_EQ(12.0, param.GetNonNormalized(1.2));
}

TEST(IParamSet, LimitsToTheRangeWithoutRounding)
{
  IParam param;
  param.InitInt("n", 0, 0, 10);
  param.Set(3.7);
  EXPECT_EQ(3.7, param.Value());
  param.Set(11.0);
  EXPECT_EQ(10.0, param.Value());
  param.Set(-1.0);
  EXPECT_EQ(0.0, param.Value());
}

TEST(IParamSet, NotANumberLandsOnTheMinimum)
{
  IParam param;
  param.InitDouble("d", 0.5, 0.25, 1.0, 0.01);
  param.Set(NAN);
  EXPECT_EQ(0.25, param.Value());
}

TEST(IParamDBToAmp, UsesTheTwentiethOfLnTen)
{
  IParam param;
  param.InitDouble("g", 0.0, -60.0, 20.0, 0.1);
  EXPECT_EQ(1.0, param.DBToAmp());
  param.Set(-6.0);
  EXPECT_NEAR(0.501187, param.DBToAmp(), 1e-6);
  param.Set(20.0);
  EXPECT_NEAR(10.0, param.DBToAmp(), 1e-9);
}

TEST(IParamDisplay, PrecisionZeroTruncatesTowardZero)
{
  IParam param;
  param.InitDouble("d", 0.0, -10.0, 10.0, 1.0);
  EXPECT_EQ("0", Display(param, 0.99));
  EXPECT_EQ("-2", Display(param, -2.7));
}

TEST(IParamDisplay, UsesThePrecisionOfTheStep)
{
  IParam param;
  param.InitDouble("d", 0.5, 0.0, 1.0, 0.01);
  EXPECT_EQ("0.50", Display(param, param.Value()));
  EXPECT_EQ("0.75", Display(param, 0.75, true, true));
}

TEST(IParamDisplay, NormalisedInputGoesThroughTheShape)
{
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 1.0, 0.01, "", "", 2.0);
  EXPECT_EQ("0.25", Display(param, 0.5, true));
}

TEST(IParamDisplay, NegateFlipsTheSignIncludingZero)
{
  IParam param;
  param.InitDouble("d", 0.0, 0.0, 2.0, 0.01);
  param.NegateDisplay();
  EXPECT_TRUE(param.DisplayIsNegated());
  EXPECT_EQ("-0.00", Display(param, 0.0));
  EXPECT_EQ("-1.50", Display(param, 1.5));
}

TEST(IParamDisplay, DisplayTextWinsOnlyWhenAskedFor)
{
  IParam param;
  param.InitEnum("mode", 1, 3);
  param.SetDisplayText(1, "bright");
  EXPECT_EQ("bright", Display(param, 1.0));
  EXPECT_EQ("1", Display(param, 1.0, false, false));
  EXPECT_EQ("2", Display(param, 2.0));
}

TEST(IParamDisplay, HugeValuesStayInsideTheBuffer)
{
  IParam param;
  param.InitDouble("d", 0.0, -1e300, 1e300, 0.000001);
  char buf[MAX_PARAM_DISPLAY_LEN + 8];
  memset(buf, 'z', sizeof(buf));
  param.GetDisplayForHost(1e300, false, buf, true);
  EXPECT_EQ(static_cast<size_t>(MAX_PARAM_DISPLAY_LEN - 1), strlen(buf));
  EXPECT_EQ('z', buf[MAX_PARAM_DISPLAY_LEN]);

  IParam whole;
  whole.InitDouble("w", 0.0, -1e300, 1e300, 1.0);
  whole.GetDisplayForHost(1e300, false, buf, true);
  EXPECT_STREQ("2147483647", buf);
}

TEST(IParamDisplayTexts, FirstEntryForAValueWinsButEveryTextMaps)
{
  IParam param;
  param.SetDisplayText(3, "three");
  param.SetDisplayText(3, "drei");
  EXPECT_STREQ("three", param.GetDisplayText(3));
  int v = 0;
  EXPECT_TRUE(param.MapDisplayText("drei", &v));
  EXPECT_EQ(3, v);
  v = 0;
  EXPECT_TRUE(param.MapDisplayText("three", &v));
  EXPECT_EQ(3, v);
}

TEST(IParamDisplayTexts, LookupsThatFindNothing)
{
  IParam param;
  EXPECT_STREQ("", param.GetDisplayText(0));
  int v = 42;
  EXPECT_FALSE(param.MapDisplayText("off", &v));
  EXPECT_EQ(42, v);
  param.InitBool("b", false);
  EXPECT_FALSE(param.MapDisplayText("OFF", &v)) << "matching is case-sensitive";
  EXPECT_FALSE(param.MapDisplayText("of", &v)) << "matching is whole-string";
  EXPECT_EQ(42, v);
  EXPECT_STREQ("", param.GetDisplayTextAtIdx(2));
  EXPECT_STREQ("", param.GetDisplayTextAtIdx(-1));
}

TEST(IParamDisplayTexts, LabelShowsWhenTheValueHasNoText)
{
  IParam param;
  param.InitInt("n", 0, 0, 5, "Hz");
  param.SetDisplayText(0, "zero");
  EXPECT_STREQ("", param.GetLabelForHost());
  param.Set(2.0);
  EXPECT_STREQ("Hz", param.GetLabelForHost());
}
