#pragma once

// Trace hook called throughout the framework with a tag, a line number and a printf-style format.
// This build discards every call; a logging build routes them to its log.
void Trace(const char* funcName, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Names for trace lines; empty in this build.
const char* VSTOpcodeStr(int opCode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);
