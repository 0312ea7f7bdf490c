#include "ImageBuilders.h"

namespace orvane::test {

void PutLE(Bytes& b, std::size_t at, std::uint64_t value, unsigned width)
{
    if (b.size() < at + width)
        b.resize(at + width);
    for (unsigned i = 0; i < width; ++i)
        b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutBE(Bytes& b, std::size_t at, std::uint64_t value, unsigned width)
{
    if (b.size() < at + width)
        b.resize(at + width);
    for (unsigned i = 0; i < width; ++i)
        b[at + i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

Bytes FixedRecord(std::uint32_t ms, std::uint32_t ls, bool bigEndian, std::uint32_t signature)
{
    const std::uint32_t words[13] = {signature, 0x10000, ms, ls, ms, ls, 0x3F, 0, 0x40004, 1, 0, 0, 0};
    Bytes b;
    for (unsigned i = 0; i < 13; ++i)
        (bigEndian ? PutBE : PutLE)(b, 4 * i, words[i], 4);
    return b;
}

Bytes VersionBlock(std::uint32_t ms, std::uint32_t ls, std::uint32_t signature)
{
    static const char kKey[] = "VS_VERSION_INFO";
    Bytes b;
    PutLE(b, 2, 52, 2);  // wValueLength
    PutLE(b, 4, 0, 2);   // binary
    for (unsigned i = 0; i < sizeof(kKey); ++i)
        PutLE(b, 6 + 2 * i, static_cast<unsigned char>(kKey[i]), 2);
    const Bytes record = FixedRecord(ms, ls, false, signature);
    b.resize(40);
    b.insert(b.end(), record.begin(), record.end());
    PutLE(b, 0, b.size(), 2);  // wLength
    return b;
}

PeImage MakePe(bool plus, const Bytes& versionBlock)
{
    PeImage pe;
    Bytes& b = pe.bytes;
    const std::size_t peOffset = 0x40;
    const std::size_t optional = peOffset + 24;
    const unsigned optionalSize = plus ? 0xF0 : 0xE0;
    const std::size_t sectionTable = optional + optionalSize;
    const std::uint32_t rsrcRva = 0x1000;
    const std::size_t raw = 0x200;

    PutLE(b, 0, 0x5A4D, 2);
    PutLE(b, 0x3C, peOffset, 4);
    PutLE(b, peOffset, 0x4550, 4);
    PutLE(b, peOffset + 4, plus ? 0x8664 : 0x14C, 2);
    PutLE(b, peOffset + 6, 1, 2);  // one section
    PutLE(b, peOffset + 20, optionalSize, 2);
    PutLE(b, optional, plus ? 0x20B : 0x10B, 2);
    const std::size_t count = optional + (plus ? 108 : 92);
    PutLE(b, count, 16, 4);

    pe.tree = raw;
    pe.rootEntry = raw + 16;
    pe.nameEntry = raw + 0x18 + 16;
    pe.languageEntry = raw + 0x30 + 16;
    pe.dataEntry = raw + 0x48;
    pe.block = raw + 0x58;
    PutLE(b, raw + 14, 1, 2);
    PutLE(b, pe.rootEntry, 16, 4);
    PutLE(b, pe.rootEntry + 4, 0x80000018u, 4);
    PutLE(b, raw + 0x18 + 14, 1, 2);
    PutLE(b, pe.nameEntry, 1, 4);
    PutLE(b, pe.nameEntry + 4, 0x80000030u, 4);
    PutLE(b, raw + 0x30 + 14, 1, 2);
    PutLE(b, pe.languageEntry, 0x409, 4);
    PutLE(b, pe.languageEntry + 4, 0x48, 4);
    PutLE(b, pe.dataEntry, rsrcRva + 0x58, 4);
    PutLE(b, pe.dataEntry + 4, versionBlock.size(), 4);
    b.resize(pe.block);
    b.insert(b.end(), versionBlock.begin(), versionBlock.end());
    const std::size_t rawSize = b.size() - raw;

    PutLE(b, count + 4 + 16, rsrcRva, 4);  // data directory 2
    PutLE(b, count + 4 + 20, rawSize, 4);
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (unsigned i = 0; i < 8; ++i)
        b[sectionTable + i] = static_cast<std::uint8_t>(name[i]);
    PutLE(b, sectionTable + 8, rawSize, 4);
    PutLE(b, sectionTable + 12, rsrcRva, 4);
    PutLE(b, sectionTable + 16, rawSize, 4);
    PutLE(b, sectionTable + 20, raw, 4);
    return pe;
}

ElfImage MakeElf(bool is64, bool bigEndian, const std::string& sectionName, const Bytes& payload)
{
    ElfImage elf;
    Bytes& b = elf.bytes;
    auto put = bigEndian ? PutBE : PutLE;
    const unsigned word = is64 ? 8 : 4;
    const unsigned headerSize = is64 ? 64 : 52;
    const unsigned entrySize = is64 ? 64 : 40;

    b = {0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(is64 ? 2 : 1), static_cast<std::uint8_t>(bigEndian ? 2 : 1), 1};
    b.resize(headerSize);
    const std::string names = std::string("\0.shstrtab\0", 11) + sectionName + '\0';
    const std::size_t namesOffset = b.size();
    b.insert(b.end(), names.begin(), names.end());
    while (b.size() % 8)
        b.push_back(0);
    elf.record = b.size();
    b.insert(b.end(), payload.begin(), payload.end());
    while (b.size() % 8)
        b.push_back(0);
    elf.sectionHeaders = b.size();

    put(b, is64 ? 0x28 : 0x20, elf.sectionHeaders, word);
    put(b, is64 ? 0x3A : 0x2E, entrySize, 2);
    put(b, is64 ? 0x3C : 0x30, 3, 2);
    put(b, is64 ? 0x3E : 0x32, 1, 2);

    b.resize(elf.sectionHeaders + 3 * entrySize);
    auto section = [&](unsigned index, std::uint32_t nameOffset, std::uint32_t type, std::uint64_t offset,
                       std::uint64_t size) {
        const std::size_t h = elf.sectionHeaders + index * entrySize;
        put(b, h, nameOffset, 4);
        put(b, h + 4, type, 4);
        put(b, h + (is64 ? 24 : 16), offset, word);
        put(b, h + (is64 ? 32 : 20), size, word);
    };
    section(1, 1, 3, namesOffset, names.size());
    section(2, 11, 1, elf.record, payload.size());
    return elf;
}

}  // namespace orvane::test
