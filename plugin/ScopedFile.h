#pragma once

#include <cstdio>

// Owns a FILE opened with fopen and closes it when it goes out of scope.
class ScopedFile
{
public:
  // Opens fileName with mode; Get() is null when that fails.
  ScopedFile(const char* fileName, const char* mode) : mFile(fileName ? fopen(fileName, mode) : nullptr) {}
  ~ScopedFile()
  {
    if (mFile) fclose(mFile);
  }

  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

  // The open file, or null.
  FILE* Get() const { return mFile; }

private:
  FILE* mFile;
};
