#include "platform/version/ElfVersion.h"

#include <cstdint>
#include <cstring>

namespace orvane::platform::version {

namespace {

constexpr std::uint8_t kClass32 = 1;
constexpr std::uint8_t kClass64 = 2;
constexpr std::uint8_t kDataLittle = 1;
constexpr std::uint8_t kDataBig = 2;
constexpr std::uint32_t kShtNobits = 8;
constexpr std::uint16_t kShnXindex = 0xFFFF;

// Field offsets that differ between the two ELF classes.
struct ElfClass {
    std::uint64_t shoff, shentsize, shnum, shstrndx;  // in the file header
    std::uint64_t name, type, offset, size, link;     // in a section header
    unsigned wordSize;                                // width of offset/size fields
    std::uint32_t minEntrySize;
};

constexpr ElfClass kElf32{0x20, 0x2E, 0x30, 0x32, 0, 4, 16, 20, 24, 4, 40};
constexpr ElfClass kElf64{0x28, 0x3A, 0x3C, 0x3E, 0, 4, 24, 32, 40, 8, 64};

bool Word(const ByteView& image, const ElfClass& c, std::uint64_t offset, std::uint64_t& out)
{
    if (c.wordSize == 8)
        return image.U64(offset, out);
    std::uint32_t narrow = 0;
    if (!image.U32(offset, narrow))
        return false;
    out = narrow;
    return true;
}

struct SectionTable {
    std::uint64_t offset = 0;
    std::uint64_t entrySize = 0;
    std::uint64_t count = 0;
    std::uint64_t namesIndex = 0;
};

bool ReadSectionTable(const ByteView& image, const ElfClass& c, SectionTable& table)
{
    std::uint16_t entrySize = 0;
    std::uint16_t count = 0;
    std::uint16_t namesIndex = 0;
    if (!Word(image, c, c.shoff, table.offset) || !image.U16(c.shentsize, entrySize) ||
        !image.U16(c.shnum, count) || !image.U16(c.shstrndx, namesIndex))
        return false;
    if (table.offset == 0 || entrySize < c.minEntrySize)
        return false;
    table.entrySize = entrySize;
    table.count = count;
    table.namesIndex = namesIndex;
    // Large tables keep their real count and name index in section 0.
    if (count == 0 && !Word(image, c, table.offset + c.size, table.count))
        return false;
    if (namesIndex == kShnXindex) {
        std::uint32_t link = 0;
        if (!image.U32(table.offset + c.link, link))
            return false;
        table.namesIndex = link;
    }
    // Every header must lie inside the file; this also bounds the loop below.
    return table.count != 0 && table.count <= image.Size() / table.entrySize &&
           image.Contains(table.offset, table.count * table.entrySize);
}

bool SectionRange(const ByteView& image, const ElfClass& c, const SectionTable& table, std::uint64_t index,
                  std::uint64_t& offset, std::uint64_t& size)
{
    const std::uint64_t header = table.offset + index * table.entrySize;
    std::uint32_t type = 0;
    return image.U32(header + c.type, type) && type != kShtNobits && Word(image, c, header + c.offset, offset) &&
           Word(image, c, header + c.size, size) && image.Contains(offset, size);
}

bool NameIs(const ByteView& names, std::uint32_t nameOffset, const char* wanted)
{
    const std::size_t length = std::strlen(wanted);
    for (std::size_t i = 0; i <= length; ++i) {  // the terminating zero must match too
        std::uint8_t byte = 0;
        if (!names.U8(std::uint64_t(nameOffset) + i, byte) || byte != static_cast<std::uint8_t>(wanted[i]))
            return false;
    }
    return true;
}

}  // namespace

bool LooksLikeElf(const ByteView& image)
{
    static const std::uint8_t kMagic[4] = {0x7F, 'E', 'L', 'F'};
    for (unsigned i = 0; i < 4; ++i) {
        std::uint8_t byte = 0;
        if (!image.U8(i, byte) || byte != kMagic[i])
            return false;
    }
    return true;
}

VersionRead ReadElfFixedInfo(const ByteView& file, FixedFileInfo& out)
{
    std::uint8_t elfClass = 0;
    std::uint8_t encoding = 0;
    if (!LooksLikeElf(file) || !file.U8(4, elfClass) || !file.U8(5, encoding))
        return VersionRead::NoVersionInfo;
    if ((elfClass != kClass32 && elfClass != kClass64) || (encoding != kDataLittle && encoding != kDataBig))
        return VersionRead::NoVersionInfo;
    const ElfClass& c = elfClass == kClass64 ? kElf64 : kElf32;
    const ByteView image = file.WithOrder(encoding == kDataLittle ? ByteOrder::Little : ByteOrder::Big);

    SectionTable table;
    if (!ReadSectionTable(image, c, table) || table.namesIndex >= table.count)
        return VersionRead::NoVersionInfo;
    std::uint64_t namesOffset = 0;
    std::uint64_t namesSize = 0;
    ByteView names(nullptr, 0);
    if (!SectionRange(image, c, table, table.namesIndex, namesOffset, namesSize) ||
        !image.Slice(namesOffset, namesSize, names))
        return VersionRead::NoVersionInfo;

    for (std::uint64_t i = 0; i < table.count; ++i) {
        std::uint32_t nameOffset = 0;
        if (!image.U32(table.offset + i * table.entrySize + c.name, nameOffset) ||
            !NameIs(names, nameOffset, kEmbeddedVersionSection))
            continue;
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        if (!SectionRange(image, c, table, i, offset, size) || size < kFixedFileInfoSize)
            return VersionRead::NoFixedInfo;
        return ParseFixedFileInfo(image, offset, out) ? VersionRead::Ok : VersionRead::NoFixedInfo;
    }
    return VersionRead::NoVersionInfo;
}

}  // namespace orvane::platform::version
