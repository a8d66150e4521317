#include "tools/kestrune-render/PluginListing.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/kestrune-render/ProgramFile.h"

namespace kestrune::render {
namespace {

std::string Duration(int64_t frames, double sampleRate, double unitSeconds, const char* unit) {
  char text[96];
  std::snprintf(text, sizeof text, "%lld frames (%.2f %s at %.0f Hz)", static_cast<long long>(frames),
                static_cast<double>(frames) / sampleRate / unitSeconds, unit, sampleRate);
  return text;
}

std::string TailText(int64_t tailSize, double sampleRate) {
  if (tailSize <= 0) return "not reported";
  if (tailSize == 1) return "none";
  return Duration(tailSize, sampleRate, 1.0, "s");
}

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string DescribePlugin(PluginInstance& plugin) {
  const PluginIdentity id = plugin.Identity();
  const AEffect* effect = plugin.Effect();
  std::string out;
  out += "Plug-in:    " + id.name + "\n";
  out += "Module:     " + plugin.Path() + "\n";
  out += "Maker:      " + id.vendor + "\n";
  out += "Product:    " + id.product + "\n";
  out += "Version:    " + std::to_string(id.vendorVersion) + "\n";
  out += "Unique ID:  '" + FourCharText(id.uniqueId) + "'\n";
  out += "Inputs:     " + std::to_string(effect->numInputs) + "\n";
  out += "Outputs:    " + std::to_string(effect->numOutputs) + "\n";
  const int64_t latency = plugin.Latency();
  out += "Latency:    " + (latency == 0 ? std::string("0 frames") : Duration(latency, plugin.SampleRate(), 1e-3, "ms")) + "\n";
  out += "Tail:       " + TailText(plugin.TailSize(), plugin.SampleRate()) + "\n";
  const int current = static_cast<int>(plugin.Dispatch(effGetProgram));
  out += "Programs:   " + std::to_string(effect->numPrograms) + " (current " + std::to_string(current) + ": \"" +
         plugin.ProgramName() + "\")\n";
  out += "Parameters: " + std::to_string(effect->numParams) + "\n";

  struct Row {
    std::string index, name, display, label, normalized;
  };
  std::vector<Row> rows;
  rows.push_back({"#", "name", "value", "label", "normalised"});
  for (int i = 0; i < plugin.NumParameters(); ++i) {
    char normalized[32];
    std::snprintf(normalized, sizeof normalized, "%.6f", static_cast<double>(plugin.GetParameter(i)));
    const std::string name = plugin.ParameterName(i);
    rows.push_back({std::to_string(i), name.empty() ? "(unnamed)" : name, plugin.ParameterDisplay(i),
                    plugin.ParameterLabel(i), normalized});
  }
  size_t widths[4] = {0, 0, 0, 0};
  for (const Row& row : rows) {
    widths[0] = std::max(widths[0], row.index.size());
    widths[1] = std::max(widths[1], row.name.size());
    widths[2] = std::max(widths[2], row.display.size());
    widths[3] = std::max(widths[3], row.label.size());
  }
  for (const Row& row : rows) {
    out += "  " + Padded(row.index, widths[0]) + "  " + Padded(row.name, widths[1]) + "  " +
           Padded(row.display, widths[2]) + "  " + Padded(row.label, widths[3]) + "  " + row.normalized + "\n";
  }
  return out;
}

}  // namespace kestrune::render
