// Build-time program, linked with a plug-in's LV2 library: creates one instance through the
// plug-in's own lv2_descriptor and writes the bundle's Turtle files from it.
//   usage: <program> BUNDLE_FOLDER MODULE_FILE_NAME

#include "lv2/IPlugLV2.h"
#include "lv2/LV2Turtle.h"

#include <lv2/core/lv2.h>

#include <cstdio>
#include <string>

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    fprintf(stderr, "usage: %s BUNDLE_FOLDER MODULE_FILE_NAME\n", argv[0]);
    return 2;
  }
  const LV2_Descriptor* descriptor = lv2_descriptor(0);
  const LV2_Feature* const noFeatures[] = {nullptr};
  // Any rate will do: nothing written depends on it.
  LV2_Handle instance = descriptor ? descriptor->instantiate(descriptor, 48000.0, argv[1], noFeatures) : nullptr;
  if (!instance)
  {
    fprintf(stderr, "%s: the plug-in cannot be instantiated\n", argv[0]);
    return 1;
  }
  std::string error;
  const bool written = WriteLV2Bundle(*static_cast<IPlugLV2*>(instance), argv[1], argv[2], error);
  descriptor->cleanup(instance);
  if (!written)
  {
    fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    return 1;
  }
  return 0;
}
