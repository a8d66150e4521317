#include "plugin/Log.h"

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int)
{
  return "";
}

const char* AUSelectStr(int)
{
  return "";
}

const char* AUPropertyStr(int)
{
  return "";
}

const char* AUScopeStr(int)
{
  return "";
}
