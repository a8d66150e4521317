#include "tests/plugin/TestPlug.h"

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a program chunk, read after an optional version header as the host path does.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  KestruneLikePlug plug(1, false);
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  int pos = 0;
  GetIPlugVerFromChunk(&chunk, &pos);
  plug.UnserializeParams(&chunk, pos);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* pParam = plug.GetParam(i);
    if (!(pParam->Value() >= pParam->GetMin() && pParam->Value() <= pParam->GetMax())) __builtin_trap();
  }
  return 0;
}
