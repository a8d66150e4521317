#pragma once

// Packed versions: major in bits 16..31, minor in bits 8..15, patch in bits 0..7.

// Splits a packed version into its three numbers.
void GetVersionParts(int version, int* pMajor, int* pMinor, int* pPatch);
// major * 10000 + minor * 100 + patch.
int GetDecimalVersion(int version);
// Writes "v<major>.<minor>.<patch>" into buf (at least 32 bytes).
void GetVersionStr(int version, char* buf);
// The running kernel's release packed like a version (each part limited to its field); 0 when unknown.
int GetSystemVersion();
// Packs a release text such as "6.1.0-18-amd64" like a version; 0 when it starts with no number.
int PackReleaseVersion(const char* release);
