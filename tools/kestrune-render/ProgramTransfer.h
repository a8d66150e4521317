#pragma once
// Moving programs and banks between FXP/FXB files and a running effect.

#include <string>

#include "tools/kestrune-render/PluginInstance.h"

namespace kestrune::render {

// Loads an FXP file into the effect's current program: parameter values through setParameter, or a
// chunk through effSetChunk for effects that keep their programs as chunks; the name follows through
// effSetProgramName. The file is checked completely (layout, plug-in ID, parameter count, values in
// 0..1) before the effect is touched. Returns false and a reason on any mismatch.
bool LoadProgramFile(PluginInstance& plugin, const std::string& path, std::string& error);

// Loads an FXB file: a bank chunk through effSetChunk, or each program record into its slot, then
// selects the bank's current program. Checked completely before the effect is touched.
bool LoadBankFile(PluginInstance& plugin, const std::string& path, std::string& error);

// Writes the effect's current program as an FXP file: the chunk form (effGetChunk) for effects with
// effFlagsProgramChunks, else the parameter form. Returns false and a reason on failure; no partial
// file is left behind.
bool SaveProgramFile(PluginInstance& plugin, const std::string& path, std::string& error);

}  // namespace kestrune::render
