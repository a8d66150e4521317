#include "tools/kestrune-render/ProgramTransfer.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "tools/kestrune-render/FileBytes.h"
#include "tools/kestrune-render/ProgramFile.h"

namespace kestrune::render {
namespace {

bool CheckPluginId(const PluginInstance& plugin, int32_t fileId, const std::string& path, const char* kind,
                   std::string& error) {
  if (fileId == plugin.Effect()->uniqueID) return true;
  error = "\"" + path + "\" is a " + kind + " for the plug-in with ID '" + FourCharText(fileId) + "', not for '" +
          FourCharText(plugin.Effect()->uniqueID) + "'";
  return false;
}

bool CheckChunkSupport(const PluginInstance& plugin, const std::string& path, std::string& error) {
  if (plugin.HasFlag(effFlagsProgramChunks)) return true;
  error = "\"" + path + "\" holds a state chunk, but the plug-in stores its programs as parameters";
  return false;
}

// Parameter values must fit the plug-in exactly; the normalised range keeps a corrupt file from
// pushing NaN or out-of-range values into it.
bool CheckParameters(const PluginInstance& plugin, const ProgramData& program, const std::string& where,
                     std::string& error) {
  if (static_cast<int>(program.parameters.size()) != plugin.NumParameters()) {
    error = where + " holds " + std::to_string(program.parameters.size()) + " parameters, the plug-in has " +
            std::to_string(plugin.NumParameters());
    return false;
  }
  for (size_t i = 0; i < program.parameters.size(); ++i) {
    const float v = program.parameters[i];
    if (!(v >= 0.f && v <= 1.f)) {
      error = where + " gives parameter " + std::to_string(i) + " the value " + std::to_string(v) +
              ", outside 0..1";
      return false;
    }
  }
  return true;
}

void ApplyParameters(PluginInstance& plugin, const ProgramData& program) {
  for (size_t i = 0; i < program.parameters.size(); ++i) plugin.SetParameter(static_cast<int>(i), program.parameters[i]);
  std::vector<char> name(program.name.begin(), program.name.end());
  name.push_back('\0');
  plugin.Dispatch(effSetProgramName, 0, 0, name.data());
}

void SelectProgram(PluginInstance& plugin, int index) {
  plugin.Dispatch(effBeginSetProgram);
  plugin.Dispatch(effSetProgram, 0, index);
  plugin.Dispatch(effEndSetProgram);
}

}  // namespace

bool LoadProgramFile(PluginInstance& plugin, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxPresetFileSize, bytes, error)) return false;
  ProgramData program;
  std::string reason;
  if (!ParseProgramFile(bytes.data(), bytes.size(), program, reason)) {
    error = "\"" + path + "\": " + reason;
    return false;
  }
  if (!CheckPluginId(plugin, program.pluginId, path, "program", error)) return false;
  if (program.isChunk) {
    if (!CheckChunkSupport(plugin, path, error)) return false;
    plugin.Dispatch(effSetChunk, 1, static_cast<intptr_t>(program.chunk.size()), program.chunk.data());
    return true;
  }
  if (!CheckParameters(plugin, program, "\"" + path + "\"", error)) return false;
  ApplyParameters(plugin, program);
  return true;
}

bool LoadBankFile(PluginInstance& plugin, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxPresetFileSize, bytes, error)) return false;
  BankData bank;
  std::string reason;
  if (!ParseBankFile(bytes.data(), bytes.size(), bank, reason)) {
    error = "\"" + path + "\": " + reason;
    return false;
  }
  if (!CheckPluginId(plugin, bank.pluginId, path, "bank", error)) return false;
  if (bank.isChunk) {
    if (!CheckChunkSupport(plugin, path, error)) return false;
    plugin.Dispatch(effSetChunk, 0, static_cast<intptr_t>(bank.chunk.size()), bank.chunk.data());
    return true;
  }
  if (static_cast<int>(bank.programs.size()) > plugin.NumPrograms()) {
    error = "\"" + path + "\" holds " + std::to_string(bank.programs.size()) + " programs, the plug-in has " +
            std::to_string(plugin.NumPrograms());
    return false;
  }
  for (size_t i = 0; i < bank.programs.size(); ++i) {
    if (!CheckPluginId(plugin, bank.programs[i].pluginId, path, "bank", error) ||
        !CheckParameters(plugin, bank.programs[i], "program " + std::to_string(i) + " of \"" + path + "\"", error)) {
      return false;
    }
  }
  for (size_t i = 0; i < bank.programs.size(); ++i) {
    SelectProgram(plugin, static_cast<int>(i));
    ApplyParameters(plugin, bank.programs[i]);
  }
  const bool currentValid = bank.currentProgram >= 0 && bank.currentProgram < plugin.NumPrograms();
  SelectProgram(plugin, currentValid ? bank.currentProgram : 0);
  return true;
}

bool SaveProgramFile(PluginInstance& plugin, const std::string& path, std::string& error) {
  ProgramData program;
  program.pluginId = plugin.Effect()->uniqueID;
  program.pluginVersion = plugin.Effect()->version;
  program.name = plugin.ProgramName();
  program.numParams = plugin.NumParameters();
  if (plugin.HasFlag(effFlagsProgramChunks)) {
    void* data = nullptr;
    const intptr_t size = plugin.Dispatch(effGetChunk, 1, 0, &data);
    if (size <= 0 || data == nullptr || static_cast<uint64_t>(size) > kMaxPresetFileSize) {
      error = "cannot save \"" + path + "\": the plug-in gave no program chunk";
      return false;
    }
    program.isChunk = true;
    program.chunk.resize(static_cast<size_t>(size));
    std::memcpy(program.chunk.data(), data, program.chunk.size());
  } else {
    program.parameters.resize(static_cast<size_t>(plugin.NumParameters()));
    for (int i = 0; i < plugin.NumParameters(); ++i) program.parameters[static_cast<size_t>(i)] = plugin.GetParameter(i);
  }
  return WriteFileAtomically(path, WriteProgramFile(program), error);
}

}  // namespace kestrune::render
