#pragma once

#include "containers/WDL_HeapBuf.h"

#include <cstring>

// Ordered list of pointers to T. The list owns its elements only when told so: Delete and Empty
// delete the pointed-to objects when asked to, nothing else does.
template <class T>
class WDL_PtrList
{
public:
  // granularity: capacity step in bytes of the pointer array.
  explicit WDL_PtrList(int granularity = 4096) : mHeap(granularity) {}

  // Number of pointers held.
  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T*)); }

  // The pointer at index, or null for an index outside the list.
  T* Get(int index) const
  {
    if (index < 0 || index >= GetSize()) return nullptr;
    return List()[index];
  }

  // Index of the first occurrence of p, or -1.
  int Find(const T* p) const
  {
    const int n = GetSize();
    for (int i = 0; i < n; ++i)
      if (List()[i] == p) return i;
    return -1;
  }

  // Appends p. Returns p, or null (list unchanged, p not taken) when the list cannot grow.
  T* Add(T* p) { return Insert(GetSize(), p); }

  // Inserts p before index (clamped into [0, size]). Returns p, or null (list unchanged) when the
  // list cannot grow.
  T* Insert(int index, T* p)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    if (!mHeap.Resize((n + 1) * static_cast<int>(sizeof(T*)))) return nullptr;
    T** list = List();
    memmove(list + index + 1, list + index, (n - index) * sizeof(T*));
    list[index] = p;
    return p;
  }

  // Removes the pointer at index, deleting the object first when deletePtr is true.
  // An index outside the list does nothing.
  void Delete(int index, bool deletePtr = false)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** list = List();
    if (deletePtr) delete list[index];
    memmove(list + index, list + index + 1, (n - index - 1) * sizeof(T*));
    mHeap.Resize((n - 1) * static_cast<int>(sizeof(T*)));
  }

  // Removes every pointer; with deleteItems the objects are deleted too, last first.
  void Empty(bool deleteItems = false)
  {
    if (deleteItems)
      for (int i = GetSize() - 1; i >= 0; --i) delete List()[i];
    mHeap.Resize(0);
  }

private:
  T** List() const { return static_cast<T**>(mHeap.Get()); }

  WDL_HeapBuf mHeap;
};
