#pragma once

#include <atomic>

// A double that one thread may write while another reads it, used like a plain double: every
// read and every write is one atomic access. A compound assignment is a read then a write, so
// it is not atomic as a whole: it suits values that only one thread modifies relative to
// themselves, while others only store whole values.
class SharedDouble
{
public:
  SharedDouble(double v = 0.0) : mValue(v) {}
  SharedDouble(const SharedDouble& other) : mValue(other.Get()) {}
  SharedDouble& operator=(const SharedDouble& other)
  {
    Set(other.Get());
    return *this;
  }
  SharedDouble& operator=(double v)
  {
    Set(v);
    return *this;
  }

  double Get() const { return mValue.load(std::memory_order_relaxed); }
  void Set(double v) { mValue.store(v, std::memory_order_relaxed); }
  operator double() const { return Get(); }

  SharedDouble& operator+=(double d)
  {
    Set(Get() + d);
    return *this;
  }
  SharedDouble& operator-=(double d)
  {
    Set(Get() - d);
    return *this;
  }

private:
  std::atomic<double> mValue;
};
