#include "containers/WDL_Mutex.h"

#include <gtest/gtest.h>

#include <thread>

TEST(WDL_Mutex, IsRecursiveOnOneThread)
{
  WDL_Mutex mutex;
  WDL_MutexLock outer(&mutex);
  WDL_MutexLock inner(&mutex);
  SUCCEED();
}

TEST(WDL_Mutex, ExcludesOtherThreadsUntilFullyLeft)
{
  WDL_Mutex mutex;
  int counter = 0;
  auto work = [&]() {
    for (int i = 0; i < 10000; ++i)
    {
      WDL_MutexLock a(&mutex);
      WDL_MutexLock b(&mutex);
      counter = counter + 1;
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(20000, counter);
}
