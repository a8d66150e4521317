#include "tools/kestrune-render/ParameterAssignments.h"

#include <gtest/gtest.h>

using namespace kestrune::render;

TEST(FindParameter, PrefersExactNameThenIgnoresCaseThenTakesAnIndex) {
  const std::vector<std::string> names = {"OUT", "", "HI", "hi", "LO", "Bypass"};
  EXPECT_EQ(FindParameter(names, "HI"), 2);
  EXPECT_EQ(FindParameter(names, "hi"), 3);
  EXPECT_EQ(FindParameter(names, "bypass"), 5);
  EXPECT_EQ(FindParameter(names, "1"), 1);
  EXPECT_EQ(FindParameter(names, "6"), -1);
  EXPECT_EQ(FindParameter(names, "-1"), -1);
  EXPECT_EQ(FindParameter(names, "MID"), -1);
  EXPECT_EQ(FindParameter(names, ""), 1);  // an empty name is a name the plug-in reports
}

TEST(IsNumberWithUnit, AcceptsPlainNumbersWithTheirUnitOnly) {
  EXPECT_TRUE(IsNumberWithUnit("0.7", ""));
  EXPECT_TRUE(IsNumberWithUnit(" -6 ", "dB"));
  EXPECT_TRUE(IsNumberWithUnit("-6 dB", "dB"));
  EXPECT_TRUE(IsNumberWithUnit("-6db", "dB"));
  EXPECT_TRUE(IsNumberWithUnit(".5", ""));
  EXPECT_TRUE(IsNumberWithUnit("1e-3", ""));
  EXPECT_TRUE(IsNumberWithUnit("2.", ""));
  EXPECT_FALSE(IsNumberWithUnit("-6 Hz", "dB"));
  EXPECT_FALSE(IsNumberWithUnit("abc", ""));
  EXPECT_FALSE(IsNumberWithUnit("", ""));
  EXPECT_FALSE(IsNumberWithUnit(".", ""));
  EXPECT_FALSE(IsNumberWithUnit("inf", ""));
  EXPECT_FALSE(IsNumberWithUnit("nan", ""));
  EXPECT_FALSE(IsNumberWithUnit("0x10", ""));
  EXPECT_FALSE(IsNumberWithUnit("1e", "dB"));
}

TEST(ParseNormalized, TakesNumbersFromZeroToOneOnly) {
  float v = -1.f;
  EXPECT_TRUE(ParseNormalized("0.84", v));
  EXPECT_FLOAT_EQ(v, 0.84f);
  EXPECT_TRUE(ParseNormalized("1", v));
  EXPECT_EQ(v, 1.f);
  EXPECT_TRUE(ParseNormalized("0", v));
  EXPECT_EQ(v, 0.f);
  v = 0.5f;
  for (const char* bad : {"1.01", "-0.1", "", "x", "0.5x", "nan", "inf"}) {
    EXPECT_FALSE(ParseNormalized(bad, v)) << bad;
    EXPECT_EQ(v, 0.5f);
  }
}
