#include "ElfSection.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace varlo {
namespace {

bool readAt(std::ifstream& file, uint64_t offset, void* buffer, uint64_t size)
{
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file)
        return false;
    file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<uint64_t>(file.gcount()) == size;
}

// Sections larger than this are not build stamps; refuse them rather than
// allocate whatever a damaged header claims.
const uint64_t kMaxSection = 1 << 20;

template <typename Ehdr, typename Shdr>
bool readSection(std::ifstream& file, const std::string& name, std::string& contents)
{
    Ehdr header;
    if (!readAt(file, 0, &header, sizeof header))
        return false;
    if (header.e_shentsize != sizeof(Shdr) || header.e_shnum == 0 || header.e_shstrndx >= header.e_shnum)
        return false;
    std::vector<Shdr> sections(header.e_shnum);
    if (!readAt(file, header.e_shoff, sections.data(), sizeof(Shdr) * sections.size()))
        return false;
    const Shdr& names = sections[header.e_shstrndx];
    if (names.sh_size > kMaxSection)
        return false;
    std::string table(names.sh_size, '\0');
    if (!readAt(file, names.sh_offset, &table[0], table.size()))
        return false;
    for (const Shdr& section : sections) {
        if (section.sh_name >= table.size() || section.sh_type == SHT_NOBITS)
            continue;
        if (std::strcmp(table.c_str() + section.sh_name, name.c_str()) != 0)
            continue;
        if (section.sh_size > kMaxSection)
            return false;
        contents.assign(section.sh_size, '\0');
        return readAt(file, section.sh_offset, &contents[0], contents.size());
    }
    return false;
}

} // namespace

bool readElfSection(const std::string& path, const std::string& sectionName, std::string& contents)
{
    contents.clear();
    std::ifstream file(path, std::ios::binary);
    unsigned char ident[EI_NIDENT];
    if (!file || !readAt(file, 0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const unsigned char nativeOrder = ELFDATA2LSB;
#else
    const unsigned char nativeOrder = ELFDATA2MSB;
#endif
    if (ident[EI_DATA] != nativeOrder)
        return false;
    if (ident[EI_CLASS] == ELFCLASS64)
        return readSection<Elf64_Ehdr, Elf64_Shdr>(file, sectionName, contents);
    if (ident[EI_CLASS] == ELFCLASS32)
        return readSection<Elf32_Ehdr, Elf32_Shdr>(file, sectionName, contents);
    return false;
}

} // namespace varlo
