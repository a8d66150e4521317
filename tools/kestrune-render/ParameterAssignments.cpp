#include "tools/kestrune-render/ParameterAssignments.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kestrune::render {
namespace {

constexpr const char* kNormPrefix = "norm:";

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// Length of the plain decimal number at the start of text, 0 when there is none.
size_t NumberLength(const std::string& text) {
  size_t i = 0;
  auto digits = [&]() {
    const size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    const size_t mark = i;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) i = mark;
  }
  return i;
}

bool IsDecimalIndex(const std::string& text, int count, int& index) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  const int value = std::atoi(text.c_str());
  if (value >= count) return false;
  index = value;
  return true;
}

std::string ValidNames(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    list += (list.empty() ? "" : ", ") + name;
  }
  if (list.empty()) list = "(none named)";
  return list + "; or an index from 0 to " + std::to_string(static_cast<int>(names.size()) - 1);
}

}  // namespace

int FindParameter(const std::vector<std::string>& names, const std::string& name) {
  const int count = static_cast<int>(names.size());
  for (int i = 0; i < count; ++i) {
    if (names[static_cast<size_t>(i)] == name) return i;
  }
  for (int i = 0; i < count; ++i) {
    if (EqualIgnoringCase(names[static_cast<size_t>(i)], name)) return i;
  }
  int index = -1;
  return IsDecimalIndex(name, count, index) ? index : -1;
}

bool IsNumberWithUnit(const std::string& text, const std::string& unit) {
  const std::string trimmed = Trim(text);
  const size_t length = NumberLength(trimmed);
  if (length == 0) return false;
  const std::string rest = Trim(trimmed.substr(length));
  return rest.empty() || (!Trim(unit).empty() && EqualIgnoringCase(rest, Trim(unit)));
}

bool ParseNormalized(const std::string& text, float& value) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty() || NumberLength(trimmed) != trimmed.size()) return false;
  const double parsed = std::strtod(trimmed.c_str(), nullptr);
  if (!(parsed >= 0.0 && parsed <= 1.0)) return false;
  value = static_cast<float>(parsed);
  return true;
}

bool ApplyAssignment(PluginInstance& plugin, const ParameterAssignment& assignment, std::string& error) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.NumParameters(); ++i) names.push_back(plugin.ParameterName(i));
  const int index = FindParameter(names, assignment.name);
  if (index < 0) {
    if (names.empty()) {
      error = "unknown parameter \"" + assignment.name + "\": the plug-in has no parameters";
    } else {
      error = "unknown parameter \"" + assignment.name + "\"; valid names: " + ValidNames(names);
    }
    return false;
  }
  const std::string shownName = names[static_cast<size_t>(index)].empty() ? "parameter " + std::to_string(index)
                                                                            : names[static_cast<size_t>(index)];

  if (assignment.value.compare(0, std::char_traits<char>::length(kNormPrefix), kNormPrefix) == 0) {
    float value = 0.f;
    if (!ParseNormalized(assignment.value.substr(std::char_traits<char>::length(kNormPrefix)), value)) {
      error = "value \"" + assignment.value + "\" for " + shownName + " does not parse: norm: needs a number from 0 to 1";
      return false;
    }
    plugin.SetParameter(index, value);
    return true;
  }

  const std::string text = Trim(assignment.value);
  const float previous = plugin.GetParameter(index);
  const std::string example = plugin.ParameterDisplay(index);
  const bool taken = !text.empty() && plugin.SetParameterFromText(index, text);
  if (taken && (IsNumberWithUnit(text, plugin.ParameterLabel(index)) ||
                EqualIgnoringCase(Trim(plugin.ParameterDisplay(index)), text))) {
    return true;
  }
  plugin.SetParameter(index, previous);
  error = "value \"" + assignment.value + "\" for " + shownName + " does not parse";
  if (!taken && !text.empty() && IsNumberWithUnit(text, "")) {
    error += ": the plug-in does not read values as text, give norm:0..1 instead";
  } else {
    error += " (it shows values like \"" + Trim(example) + "\"; norm:0..1 sets the normalised value)";
  }
  return false;
}

}  // namespace kestrune::render
