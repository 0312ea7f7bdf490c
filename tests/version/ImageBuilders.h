// Small, well-formed PE and ELF images built in memory, with the offsets of
// the fields the hostile-input tests corrupt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<std::uint8_t>;

void PutLE(Bytes& b, std::size_t at, std::uint64_t value, unsigned width);
void PutBE(Bytes& b, std::size_t at, std::uint64_t value, unsigned width);

// A VS_VERSIONINFO block holding only the fixed record.
Bytes VersionBlock(std::uint32_t ms, std::uint32_t ls, std::uint32_t signature = 0xFEEF04BD);

struct PeImage {
    Bytes bytes;
    std::size_t tree = 0;          // file offset of the resource tree
    std::size_t rootEntry = 0;     // root directory's (id, target) entry
    std::size_t nameEntry = 0;
    std::size_t languageEntry = 0;
    std::size_t dataEntry = 0;     // IMAGE_RESOURCE_DATA_ENTRY
    std::size_t block = 0;         // VS_VERSIONINFO
};
PeImage MakePe(bool plus, const Bytes& versionBlock);

struct ElfImage {
    Bytes bytes;
    std::size_t sectionHeaders = 0;
    std::size_t record = 0;
};
// Sections: null, .shstrtab, then one named sectionName holding payload.
ElfImage MakeElf(bool is64, bool bigEndian, const std::string& sectionName, const Bytes& payload);

// A fixed record in the given byte order, as the build embeds it.
Bytes FixedRecord(std::uint32_t ms, std::uint32_t ls, bool bigEndian, std::uint32_t signature = 0xFEEF04BD);

}  // namespace orvane::test
