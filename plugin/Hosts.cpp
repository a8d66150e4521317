#include "plugin/Hosts.h"

#include "plugin/TextUtils.h"

#include <cstring>

namespace
{
struct HostEntry
{
  const char* mSubstring;
  EHost mHost;
};

// The order settles names that contain several of these words.
const HostEntry kLookupOrder[] = {
  {"cubase", kHostCubase},
  {"reaper", kHostReaper},
  {"nuendo", kHostNuendo},
  {"cakewalk", kHostSonar},
  {"samplitude", kHostSamplitude},
  {"fruity", kHostFL},
  {"live", kHostAbletonLive},
  {"melodyne", kHostMelodyneStudio},
  {"vstmanlib", kHostVSTScanner},
  {"aulab", kHostAULab},
  {"garageband", kHostGarageBand},
  {"forte", kHostForte},
  {"chainer", kHostChainer},
  {"audition", kHostAudition},
  {"orion", kHostOrion},
  {"sawstudio", kHostSAWStudio},
  {"logic", kHostLogic},
  {"digital", kHostDigitalPerformer},
  {"audiomulch", kHostAudioMulch},
  {"presonus", kHostStudioOne},
  {"vst3plugintesthost", kHostVST3TestHost},
  {"protools", kHostProTools},
  {"ardour", kHostArdour},
  {"openmpt", kHostOpenMPT},
  {"renoise", kHostRenoise},
  {"standalone", kHostStandalone},
};

struct HostName
{
  EHost mHost;
  const char* mName;
};

const HostName kDisplayNames[] = {
  {kHostReaper, "Reaper"},
  {kHostProTools, "ProTools"},
  {kHostCubase, "Cubase"},
  {kHostNuendo, "Nuendo"},
  {kHostSonar, "Sonar"},
  {kHostVegas, "Vegas"},
  {kHostFL, "FLStudio"},
  {kHostSamplitude, "Samplitude"},
  {kHostAbletonLive, "Live"},
  {kHostVSTScanner, "VSTScanner"},
  {kHostAULab, "AULab"},
  {kHostForte, "Forte"},
  {kHostChainer, "Chainer"},
  {kHostAudition, "Audition"},
  {kHostOrion, "Orion"},
  {kHostSAWStudio, "SAWStudio"},
  {kHostLogic, "Logic"},
  {kHostGarageBand, "GarageBand"},
  {kHostDigitalPerformer, "DigitalPerformer"},
  {kHostStandalone, "Standalone"},
  {kHostAudioMulch, "AudioMulch"},
  {kHostStudioOne, "StudioOne"},
  {kHostVST3TestHost, "VST3PluginTestHost"},
  {kHostArdour, "Ardour"},
  {kHostRenoise, "Renoise"},
  {kHostOpenMPT, "OpenMPT"},
};

constexpr int kLookupBufLen = 256;
} // namespace

EHost LookUpHost(const char* name)
{
  if (!name) return kHostUnknown;
  // Longer names are cut rather than overrunning the buffer.
  char raw[kLookupBufLen];
  strncpy(raw, name, kLookupBufLen - 1);
  raw[kLookupBufLen - 1] = 0;
  char lower[kLookupBufLen];
  ToLower(lower, raw);
  for (const HostEntry& entry : kLookupOrder)
    if (strstr(lower, entry.mSubstring)) return entry.mHost;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* buf)
{
  const char* name = "Unknown";
  for (const HostName& entry : kDisplayNames)
    if (entry.mHost == host) name = entry.mName;
  strcpy(buf, name);
}
