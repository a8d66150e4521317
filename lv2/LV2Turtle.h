#pragma once

#include <string>

class IPlugLV2;

// The Turtle files of an LV2 bundle, written from a plug-in instance's own parameter list, preset
// slots and LV2 description, so that what hosts read always matches what the module does:
//   manifest.ttl          the plug-in and its editor with their module file, and each preset;
//   <effect name>.ttl     the plug-in: identity, class, features, state, editor (an X11 UI in the
//                         same module, when HasEditor), and one port per parameter
//                         (name, range, default, unit, display steps, toggles, enumerations) and per
//                         audio channel (effect name in lower case, e.g. kestrune.ttl);
//   presets.ttl           each initialised preset slot as port values and the state property.
// Writes into folder (which must exist) for the module file binaryName in that folder. Restores
// each preset on plug in turn, so the instance ends on the last preset. False with a one-line
// reason in error when the plug-in cannot be described (a symbol that is not a C identifier or
// not unique, a range or default that is not finite) or a file cannot be written.
bool WriteLV2Bundle(IPlugLV2& plug, const std::string& folder, const std::string& binaryName,
                    std::string& error);

// The name of the plug-in's own Turtle file: its effect name in lower case, with characters other
// than letters, digits, '-' and '_' left out, followed by ".ttl".
std::string LV2PluginFileName(const IPlugLV2& plug);
