#pragma once

// Identity of the host application.
enum EHost
{
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostAbletonLive = 9,
  kHostReserved10 = 10,
  kHostReserved11 = 11,
  kHostMelodyneStudio = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostReserved19 = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30
};

// Longest host display name, terminator included.
#define MAX_HOST_NAME_LEN 19

// Maps a host's product name (case-insensitive, matched by substring in a fixed order) to its code;
// kHostUnknown when nothing matches or name is null. Only the first 255 characters are examined.
EHost LookUpHost(const char* name);

// Writes the display name of host into buf (MAX_HOST_NAME_LEN bytes); "Unknown" for codes without one.
void GetHostNameStr(EHost host, char* buf);
