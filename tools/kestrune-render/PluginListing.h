#pragma once
// The --list report of an effect.

#include <string>

#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

// Name, maker, product, version, unique ID, inputs, outputs, latency and tail (as the effect reports
// them now: resume it first, as hosts do, for the latency it runs with), programs (with the current
// one) and every parameter with its index, name, display text, label and normalised value, one per
// line.
std::string DescribePlugin(PluginInstance& plugin);

}  // namespace kestrune::render
