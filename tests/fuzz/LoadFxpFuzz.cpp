#include "tests/plugin/TestPlug.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// Arbitrary bytes as a program file, for a plug-in with and one without state chunks.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 20)) return 0;
  for (bool chunks : {false, true})
  {
    KestruneLikePlug plug(1, chunks);
    if (plug.LoadProgramFromFXPData(data, static_cast<int>(size)))
    {
      ByteChunk out;
      plug.MakeProgramFXP(&out);
    }
  }
  return 0;
}
