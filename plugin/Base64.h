#pragma once

#include "containers/WDL_String.h"

#include <cstdint>

// Standard-alphabet base64 ("A-Za-z0-9+/", "=" padding).

// Decodes text from its start into out until the text ends, a character outside the alphabet
// (padding included) is met, or outSize bytes are written. Returns the number of bytes written.
int Base64Decode(const char* text, uint8_t* out, int outSize);

// Replaces *pOut by the encoding of size bytes, padded with "=" to whole groups of four.
// Returns false when memory runs out.
bool Base64Encode(const uint8_t* data, int size, WDL_String* pOut);
