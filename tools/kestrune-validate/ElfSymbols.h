#pragma once
// The symbols a shared object makes visible to the process that loads it, read from its dynamic
// symbol table without loading it.

#include <string>
#include <vector>

namespace kestrune::validate {

// Names of the functions and objects path defines and exports (global or weak, default or protected
// visibility), in table order, without the linker's own markers (_init, _fini, _end ...). Returns
// false and a reason when the file cannot be read or is not a 64-bit little-endian ELF shared object
// with a well-formed dynamic symbol table.
bool ReadExportedSymbols(const std::string& path, std::vector<std::string>& names, std::string& error);

}  // namespace kestrune::validate
