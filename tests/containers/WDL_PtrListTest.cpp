#include "containers/WDL_PtrList.h"

#include <gtest/gtest.h>

namespace
{
struct Counted
{
  explicit Counted(int* pCount) : mCount(pCount) {}
  ~Counted() { ++*mCount; }
  int* mCount;
};
} // namespace

TEST(WDL_PtrList, AddInsertGetFind)
{
  int a = 1, b = 2, c = 3;
  WDL_PtrList<int> list;
  EXPECT_EQ(&a, list.Add(&a));
  list.Add(&c);
  EXPECT_EQ(&b, list.Insert(1, &b));
  list.Insert(99, &a);
  ASSERT_EQ(4, list.GetSize());
  EXPECT_EQ(&b, list.Get(1));
  EXPECT_EQ(&c, list.Get(2));
  EXPECT_EQ(&a, list.Get(3));
  EXPECT_EQ(nullptr, list.Get(4));
  EXPECT_EQ(nullptr, list.Get(-1));
  EXPECT_EQ(0, list.Find(&a));
  EXPECT_EQ(-1, list.Find(nullptr));
}

TEST(WDL_PtrList, DeleteRemovesAndOptionallyDeletes)
{
  int deleted = 0;
  WDL_PtrList<Counted> list;
  Counted keep(&deleted);
  list.Add(new Counted(&deleted));
  list.Add(&keep);
  list.Delete(0, true);
  EXPECT_EQ(1, deleted);
  ASSERT_EQ(1, list.GetSize());
  EXPECT_EQ(&keep, list.Get(0));
  list.Delete(0);
  list.Delete(5, true);
  EXPECT_EQ(0, list.GetSize());
  EXPECT_EQ(1, deleted);
}

TEST(WDL_PtrList, EmptyWithOrWithoutDeleting)
{
  int deleted = 0;
  WDL_PtrList<Counted> list;
  Counted a(&deleted), b(&deleted);
  list.Add(&a);
  list.Add(&b);
  list.Empty();
  EXPECT_EQ(0, list.GetSize());
  EXPECT_EQ(0, deleted);
  for (int i = 0; i < 3; ++i) list.Add(new Counted(&deleted));
  list.Empty(true);
  EXPECT_EQ(3, deleted);
  EXPECT_EQ(0, list.GetSize());
}
