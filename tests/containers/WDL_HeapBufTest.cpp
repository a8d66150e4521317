#include "containers/WDL_HeapBuf.h"
#include "containers/WDL_TypedBuf.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

TEST(WDL_HeapBuf, ResizeKeepsLeadingBytes)
{
  WDL_HeapBuf buf(16);
  ASSERT_TRUE(buf.Resize(5));
  memcpy(buf.Get(), "hello", 5);
  ASSERT_TRUE(buf.Resize(100));
  EXPECT_EQ(100, buf.GetSize());
  EXPECT_EQ(0, memcmp(buf.Get(), "hello", 5));
  ASSERT_TRUE(buf.Resize(2));
  EXPECT_EQ(2, buf.GetSize());
  EXPECT_EQ(0, memcmp(buf.Get(), "he", 2));
}

TEST(WDL_HeapBuf, GrowthWithinTheGranuleKeepsTheStorage)
{
  WDL_HeapBuf buf(4096);
  ASSERT_TRUE(buf.Resize(1));
  void* first = buf.Get();
  ASSERT_TRUE(buf.Resize(4096));
  EXPECT_EQ(first, buf.Get());
}

TEST(WDL_HeapBuf, FailedResizeKeepsContentsAndLength)
{
  WDL_HeapBuf buf;
  ASSERT_TRUE(buf.Resize(3));
  memcpy(buf.Get(), "abc", 3);
  EXPECT_FALSE(buf.Resize(-1));
  EXPECT_EQ(3, buf.GetSize());
  EXPECT_EQ(0, memcmp(buf.Get(), "abc", 3));
}

#if !defined(__SANITIZE_ADDRESS__)
namespace
{
// Runs in a child process whose address space is capped, so a large growth must fail cleanly.
[[noreturn]] void GrowBeyondTheAddressSpaceLimit()
{
  WDL_HeapBuf buf;
  if (!buf.Resize(3)) exit(2);
  memcpy(buf.Get(), "abc", 3);
  const rlim_t cap = static_cast<rlim_t>(256) << 20;
  struct rlimit limit;
  limit.rlim_cur = limit.rlim_max = cap;
  setrlimit(RLIMIT_AS, &limit);
  const bool grew = buf.Resize(1 << 30);
  exit(!grew && buf.GetSize() == 3 && memcmp(buf.Get(), "abc", 3) == 0 ? 0 : 1);
}
} // namespace
#endif

TEST(WDL_HeapBuf, OutOfMemoryGrowthKeepsContentsAndLength)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "The sanitizers reserve address space that an address-space limit would break";
#else
  EXPECT_EXIT(GrowBeyondTheAddressSpaceLimit(), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(WDL_TypedBuf, CountsElementsAndAppends)
{
  WDL_TypedBuf<double> buf;
  EXPECT_EQ(0, buf.GetSize());
  ASSERT_TRUE(buf.Resize(3));
  buf.Zero();
  EXPECT_EQ(0.0, buf.Get()[2]);
  ASSERT_TRUE(buf.Add(1.5));
  EXPECT_EQ(4, buf.GetSize());
  EXPECT_EQ(1.5, buf.Get()[3]);
}

TEST(WDL_TypedBuf, OverflowingCountsFailWithoutChange)
{
  WDL_TypedBuf<double> buf;
  buf.Resize(2);
  EXPECT_FALSE(buf.Resize(0x7fffffff / 4));
  EXPECT_FALSE(buf.Resize(-3));
  EXPECT_EQ(2, buf.GetSize());
}
