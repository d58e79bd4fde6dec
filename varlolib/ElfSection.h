#pragma once
#include <string>

namespace varlo {
// Reads the contents of the named section of an ELF file (32 or 64 bit, in
// this machine's byte order). False when the file cannot be read, is not such
// an ELF file, or has no section of that name.
bool readElfSection(const std::string& path, const std::string& sectionName, std::string& contents);
} // namespace varlo
