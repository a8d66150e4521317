#pragma once

// True for tab, line feed, carriage return and space only.
bool IsWhitespace(char c);
// Writes src lower-cased into dst (which must hold strlen(src) + 1 bytes).
void ToLower(char* dst, const char* src);
