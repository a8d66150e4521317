#include "tools/kestrune-render/ChannelPlan.h"

#include <gtest/gtest.h>

using namespace kestrune::render;

TEST(ChooseChannelPlan, MonoFileUsesAnAcceptedMonoLayoutWithOnePointerEachWay) {
  ChannelPlan plan;
  std::string error;
  ASSERT_TRUE(ChooseChannelPlan(1, 2, 2, true, plan, error)) << error;
  EXPECT_EQ(plan.inputPointers, 1);
  EXPECT_EQ(plan.outputPointers, 1);
  EXPECT_FALSE(plan.spreadMono);
}

TEST(ChooseChannelPlan, MonoFileFeedsEveryInputOfAStereoOnlyEffect) {
  ChannelPlan plan;
  std::string error;
  ASSERT_TRUE(ChooseChannelPlan(1, 2, 2, false, plan, error)) << error;
  EXPECT_EQ(plan.inputPointers, 2);
  EXPECT_EQ(plan.outputPointers, 2);
  EXPECT_TRUE(plan.spreadMono);
}

TEST(ChooseChannelPlan, StereoFileGetsTheEffectsDeclaredPointerCounts) {
  ChannelPlan plan;
  std::string error;
  ASSERT_TRUE(ChooseChannelPlan(2, 2, 2, false, plan, error)) << error;
  EXPECT_EQ(plan.inputPointers, 2);
  EXPECT_EQ(plan.outputPointers, 2);
  ASSERT_TRUE(ChooseChannelPlan(2, 4, 6, false, plan, error)) << error;
  EXPECT_EQ(plan.inputPointers, 4);
  EXPECT_EQ(plan.outputPointers, 6);
  EXPECT_FALSE(plan.spreadMono);
}

TEST(ChooseChannelPlan, RefusesLayoutsThatCannotWork) {
  ChannelPlan plan;
  std::string error;
  EXPECT_FALSE(ChooseChannelPlan(3, 8, 8, false, plan, error));
  EXPECT_NE(error.find("only mono and stereo"), std::string::npos);
  EXPECT_FALSE(ChooseChannelPlan(0, 2, 2, false, plan, error));
  EXPECT_FALSE(ChooseChannelPlan(2, 1, 1, false, plan, error));
  EXPECT_FALSE(ChooseChannelPlan(2, 2, 1, false, plan, error));
  EXPECT_FALSE(ChooseChannelPlan(1, 0, 2, false, plan, error));
}
