#pragma once
// Applying --set NAME=VALUE to an effect, by the names and value texts the effect itself reports.

#include <string>
#include <vector>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

// Index of the parameter called name among names: an exact match first, then one ignoring case, then
// name read as a decimal index. Returns -1 when nothing matches.
int FindParameter(const std::vector<std::string>& names, const std::string& name);

// True when text is a plain decimal number (sign, digits, fraction, exponent), optionally followed by
// unit (ignoring case and surrounding spaces). "inf", "nan" and hexadecimal are not numbers here.
bool IsNumberWithUnit(const std::string& text, const std::string& unit);

// Reads "norm:X" as the normalised value X; returns false (value untouched) unless X is a plain
// number within 0..1.
bool ParseNormalized(const std::string& text, float& value);

// Sets one parameter. "norm:X" goes to setParameter directly; any other value goes through
// effString2Parameter and is kept only when the effect took it and the text was a number (with the
// parameter's label as optional unit) or equals the display text the effect now shows. Otherwise the
// previous value is put back and false is returned with a reason; unknown names list the valid ones.
bool ApplyAssignment(PluginInstance& plugin, const ParameterAssignment& assignment, std::string& error);

}  // namespace kestrune::render
