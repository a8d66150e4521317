#include "tools/kestrune-validate/ElfSymbols.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace kestrune::validate {
namespace {

// Whether [offset, offset + size) lies inside a file of fileSize bytes, without overflowing.
bool Inside(uint64_t offset, uint64_t size, uint64_t fileSize) {
  return offset <= fileSize && size <= fileSize - offset;
}

bool IsLinkerMarker(const char* name) {
  for (const char* marker : {"_init", "_fini", "_edata", "_end", "__bss_start"}) {
    if (std::strcmp(name, marker) == 0) return true;
  }
  return false;
}

}  // namespace

bool ReadExportedSymbols(const std::string& path, std::vector<std::string>& names, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read \"" + path + "\"";
    return false;
  }
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const uint64_t size = file.size();
  Elf64_Ehdr header;
  if (size < sizeof header) {
    error = "\"" + path + "\" is too short for an ELF file";
    return false;
  }
  std::memcpy(&header, file.data(), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB) {
    error = "\"" + path + "\" is not a 64-bit little-endian ELF file";
    return false;
  }
  if (header.e_shentsize != sizeof(Elf64_Shdr) ||
      !Inside(header.e_shoff, uint64_t{header.e_shnum} * sizeof(Elf64_Shdr), size)) {
    error = "\"" + path + "\" has a malformed section table";
    return false;
  }
  auto section = [&](uint64_t index) {
    Elf64_Shdr s;
    std::memcpy(&s, file.data() + header.e_shoff + index * sizeof(Elf64_Shdr), sizeof s);
    return s;
  };
  names.clear();
  for (uint64_t i = 0; i < header.e_shnum; ++i) {
    const Elf64_Shdr symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM) continue;
    if (symbols.sh_link >= header.e_shnum || symbols.sh_entsize != sizeof(Elf64_Sym) ||
        !Inside(symbols.sh_offset, symbols.sh_size, size)) {
      error = "\"" + path + "\" has a malformed dynamic symbol table";
      return false;
    }
    const Elf64_Shdr strings = section(symbols.sh_link);
    if (!Inside(strings.sh_offset, strings.sh_size, size)) {
      error = "\"" + path + "\" has a malformed dynamic string table";
      return false;
    }
    const char* table = file.data() + strings.sh_offset;
    for (uint64_t k = 0; k < symbols.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + symbols.sh_offset + k * sizeof sym, sizeof sym);
      const unsigned binding = ELF64_ST_BIND(sym.st_info);
      const unsigned visibility = ELF64_ST_VISIBILITY(sym.st_other);
      if (sym.st_shndx == SHN_UNDEF || sym.st_name == 0 || sym.st_name >= strings.sh_size) continue;
      if (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE) continue;
      if (visibility != STV_DEFAULT && visibility != STV_PROTECTED) continue;
      const char* name = table + sym.st_name;
      const size_t length = strnlen(name, strings.sh_size - sym.st_name);
      if (length == strings.sh_size - sym.st_name) continue;  // not terminated inside the table
      if (!IsLinkerMarker(name)) names.emplace_back(name, length);
    }
    return true;
  }
  error = "\"" + path + "\" has no dynamic symbol table";
  return false;
}

}  // namespace kestrune::validate
