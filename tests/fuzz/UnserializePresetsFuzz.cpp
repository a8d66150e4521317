#include "tests/plugin/TestPlug.h"

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a bank chunk for a three-slot plug-in, then the bank is written out again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  KestruneLikePlug plug(3, false);
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  int pos = 0;
  GetIPlugVerFromChunk(&chunk, &pos);
  plug.UnserializePresets(&chunk, pos);
  ByteChunk out;
  plug.SerializePresets(&out);
  for (int i = 0; i < plug.NPresets(); ++i) plug.RestorePreset(i);
  return 0;
}
