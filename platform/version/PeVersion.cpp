#include "platform/version/PeVersion.h"

#include <cstdint>

namespace orvane::platform::version {

namespace {

constexpr std::uint16_t kMz = 0x5A4D;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVsVersionInfoId = 1;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kNamedEntryFlag = 0x80000000u;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kResourceDirectoryHeaderSize = 16;
constexpr std::uint32_t kResourceEntrySize = 8;

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

struct PeLayout {
    std::uint64_t sectionTable = 0;
    std::uint16_t sectionCount = 0;
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
};

bool ReadLayout(const ByteView& image, PeLayout& layout)
{
    std::uint16_t mz = 0;
    std::uint32_t peOffset = 0;
    std::uint32_t signature = 0;
    if (!image.U16(0, mz) || mz != kMz || !image.U32(0x3C, peOffset))
        return false;
    if (!image.U32(peOffset, signature) || signature != kPeSignature)
        return false;

    const std::uint64_t coff = std::uint64_t(peOffset) + 4;
    std::uint16_t optionalSize = 0;
    if (!image.U16(coff + 2, layout.sectionCount) || !image.U16(coff + 16, optionalSize))
        return false;

    const std::uint64_t optional = coff + 20;
    std::uint16_t magic = 0;
    if (!image.U16(optional, magic))
        return false;
    std::uint64_t countOffset = 0;
    if (magic == kPe32Magic)
        countOffset = 92;
    else if (magic == kPe32PlusMagic)
        countOffset = 108;
    else
        return false;

    std::uint32_t directoryCount = 0;
    if (!image.U32(optional + countOffset, directoryCount) || directoryCount <= kResourceDirectoryIndex)
        return false;
    const std::uint64_t resourceEntry = optional + countOffset + 4 + 8ull * kResourceDirectoryIndex;
    if (resourceEntry + 8 > optional + optionalSize)
        return false;  // the directory lies outside the optional header
    if (!image.U32(resourceEntry, layout.resourceRva) || !image.U32(resourceEntry + 4, layout.resourceSize))
        return false;
    layout.sectionTable = optional + optionalSize;
    return layout.resourceRva != 0 && layout.resourceSize != 0;
}

// Maps a virtual address to a file offset through the section table; only
// addresses backed by raw data in the file map.
bool RvaToOffset(const ByteView& image, const PeLayout& layout, std::uint32_t rva, std::uint64_t& offset)
{
    for (std::uint16_t i = 0; i < layout.sectionCount; ++i) {
        const std::uint64_t header = layout.sectionTable + std::uint64_t(kSectionHeaderSize) * i;
        Section s;
        if (!image.U32(header + 12, s.virtualAddress) || !image.U32(header + 16, s.rawSize) ||
            !image.U32(header + 20, s.rawOffset))
            return false;
        if (rva >= s.virtualAddress && std::uint64_t(rva) - s.virtualAddress < s.rawSize) {
            offset = std::uint64_t(s.rawOffset) + (rva - s.virtualAddress);
            return true;
        }
    }
    return false;
}

// One level of the resource tree: the entry with the wanted id, or the first
// entry when preferFirst is set and the id is absent. Returns the entry's
// OffsetToData word.
bool FindEntry(const ByteView& tree, std::uint32_t directory, std::uint32_t id, bool preferFirst,
               std::uint32_t& target)
{
    std::uint16_t named = 0;
    std::uint16_t ids = 0;
    if (!tree.U16(std::uint64_t(directory) + 12, named) || !tree.U16(std::uint64_t(directory) + 14, ids))
        return false;
    const std::uint32_t total = std::uint32_t(named) + ids;
    bool haveFirst = false;
    std::uint32_t first = 0;
    for (std::uint32_t i = 0; i < total; ++i) {
        const std::uint64_t entry = std::uint64_t(directory) + kResourceDirectoryHeaderSize + kResourceEntrySize * i;
        std::uint32_t name = 0;
        std::uint32_t data = 0;
        if (!tree.U32(entry, name) || !tree.U32(entry + 4, data))
            return false;
        if (!haveFirst) {
            haveFirst = true;
            first = data;
        }
        if ((name & kNamedEntryFlag) == 0 && name == id) {
            target = data;
            return true;
        }
    }
    if (preferFirst && haveFirst) {
        target = first;
        return true;
    }
    return false;
}

bool IsSubdirectory(std::uint32_t target) { return (target & kSubdirectoryFlag) != 0; }
std::uint32_t Offset(std::uint32_t target) { return target & ~kSubdirectoryFlag; }

// The VS_VERSIONINFO block: wLength, wValueLength, wType, the key
// "VS_VERSION_INFO" in UTF-16 and then, 32-bit aligned, the fixed record.
VersionRead ParseVersionBlock(const ByteView& block, FixedFileInfo& out)
{
    static const char kKey[] = "VS_VERSION_INFO";
    std::uint16_t length = 0;
    std::uint16_t valueLength = 0;
    if (!block.U16(0, length) || !block.U16(2, valueLength))
        return VersionRead::NoVersionInfo;
    for (unsigned i = 0; i < sizeof(kKey); ++i) {
        std::uint16_t unit = 0;
        if (!block.U16(6 + 2ull * i, unit) || unit != static_cast<unsigned char>(kKey[i]))
            return VersionRead::NoVersionInfo;
    }
    const std::uint64_t keyEnd = 6 + 2ull * sizeof(kKey);
    const std::uint64_t valueOffset = (keyEnd + 3) & ~std::uint64_t(3);
    if (valueLength < kFixedFileInfoSize || valueOffset + valueLength > length ||
        !block.Contains(valueOffset, valueLength))
        return VersionRead::NoFixedInfo;
    return ParseFixedFileInfo(block, valueOffset, out) ? VersionRead::Ok : VersionRead::NoFixedInfo;
}

}  // namespace

bool LooksLikePe(const ByteView& image)
{
    std::uint16_t mz = 0;
    return image.U16(0, mz) && mz == kMz;
}

VersionRead ReadPeFixedInfo(const ByteView& image, FixedFileInfo& out)
{
    PeLayout layout;
    std::uint64_t treeOffset = 0;
    ByteView tree(nullptr, 0);
    if (!ReadLayout(image, layout) || !RvaToOffset(image, layout, layout.resourceRva, treeOffset))
        return VersionRead::NoVersionInfo;
    // The tree's offsets are relative to its start; a directory that claims
    // more than the file holds is cut at the file's end.
    if (!image.Slice(treeOffset, image.Size() - treeOffset, tree))
        return VersionRead::NoVersionInfo;

    // Type, name and language: a fixed depth of three, so a hostile tree
    // that points back at itself cannot loop.
    std::uint32_t type = 0;
    std::uint32_t name = 0;
    std::uint32_t language = 0;
    if (!FindEntry(tree, 0, kRtVersion, false, type) || !IsSubdirectory(type))
        return VersionRead::NoVersionInfo;
    if (!FindEntry(tree, Offset(type), kVsVersionInfoId, true, name) || !IsSubdirectory(name))
        return VersionRead::NoVersionInfo;
    if (!FindEntry(tree, Offset(name), 0, true, language) || IsSubdirectory(language))
        return VersionRead::NoVersionInfo;

    std::uint32_t dataRva = 0;
    std::uint32_t dataSize = 0;
    std::uint64_t dataOffset = 0;
    ByteView block(nullptr, 0);
    if (!tree.U32(language, dataRva) || !tree.U32(std::uint64_t(language) + 4, dataSize) ||
        !RvaToOffset(image, layout, dataRva, dataOffset) || !image.Slice(dataOffset, dataSize, block))
        return VersionRead::NoVersionInfo;
    return ParseVersionBlock(block, out);
}

}  // namespace orvane::platform::version
