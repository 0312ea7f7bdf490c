#include "platform/version/VersionResource.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/version/ElfVersion.h"
#include "platform/version/PeVersion.h"

namespace orvane::platform::version {

namespace {

// The file read in blocks as the parsers ask for bytes, the last few blocks
// kept: the record and the headers that lead to it are a few kilobytes of
// files of tens of megabytes (an unstripped executable), so reading the file
// whole would cost that much memory for four numbers.
class FileBlocks : public ByteSource {
public:
    explicit FileBlocks(const std::string& path)
        // u8path: on Windows the stream then opens the file by its wide name.
        : m_in(std::filesystem::u8path(path), std::ios::binary | std::ios::ate), m_blocks(kBlocks)
    {
    }

    // The file's size; false when it cannot be read or is empty.
    bool Size(std::uint64_t& size)
    {
        if (!m_in)
            return false;
        const std::streamoff end = m_in.tellg();
        if (end <= 0)
            return false;
        size = static_cast<std::uint64_t>(end);
        return true;
    }

    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const override
    {
        while (length > 0) {
            const Block* block = Load(offset / kBlockSize);
            const std::size_t within = static_cast<std::size_t>(offset % kBlockSize);
            if (!block || within >= block->filled)
                return false;
            const std::size_t count = std::min(length, block->filled - within);
            std::copy_n(block->bytes.begin() + static_cast<std::ptrdiff_t>(within), count, out);
            out += count;
            offset += count;
            length -= count;
        }
        return true;
    }

private:
    static constexpr std::size_t kBlockSize = 4096;
    static constexpr std::size_t kBlocks = 4;

    struct Block {
        std::uint64_t index = UINT64_MAX;
        std::size_t filled = 0;
        std::array<std::uint8_t, kBlockSize> bytes{};
    };

    const Block* Load(std::uint64_t index) const
    {
        for (const Block& block : m_blocks) {
            if (block.index == index)
                return &block;
        }
        Block& block = m_blocks[m_next];
        m_next = (m_next + 1) % kBlocks;
        block.index = UINT64_MAX;
        m_in.clear();
        if (!m_in.seekg(static_cast<std::streamoff>(index * kBlockSize)))
            return nullptr;
        m_in.read(reinterpret_cast<char*>(block.bytes.data()), kBlockSize);
        block.filled = static_cast<std::size_t>(m_in.gcount());
        block.index = index;
        return &block;
    }

    mutable std::ifstream m_in;
    mutable std::vector<Block> m_blocks;
    mutable std::size_t m_next = 0;
};

VersionRead ReadFixedFileInfo(const ByteView& view, FixedFileInfo& out)
{
    if (LooksLikePe(view))
        return ReadPeFixedInfo(view, out);
    if (LooksLikeElf(view))
        return ReadElfFixedInfo(view, out);
    return VersionRead::NoVersionInfo;
}

}  // namespace

VersionRead ReadFixedFileInfo(const std::vector<std::uint8_t>& image, FixedFileInfo& out)
{
    return ReadFixedFileInfo(ByteView(image), out);
}

VersionRead ReadFixedFileVersion(const std::string& path, std::uint32_t& fileVersionMS, std::uint32_t& fileVersionLS)
{
    FileBlocks file(path);
    std::uint64_t size = 0;
    if (!file.Size(size))
        return VersionRead::NoVersionInfo;
    FixedFileInfo info;
    const VersionRead result = ReadFixedFileInfo(ByteView(file, size), info);
    if (result == VersionRead::Ok) {
        fileVersionMS = info.fileVersionMS;
        fileVersionLS = info.fileVersionLS;
    }
    return result;
}

}  // namespace orvane::platform::version
