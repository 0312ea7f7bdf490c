#include "platform/version/VersionResource.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/version/ElfVersion.h"
#include "platform/version/PeVersion.h"

namespace orvane::platform::version {

namespace {

// Executables and libraries are far smaller; anything larger is not worth
// reading whole for four numbers.
constexpr std::uint64_t kMaxImageSize = 512ull * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    // u8path: on Windows the stream then opens the file by its wide name.
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::uint64_t>(size) > kMaxImageSize)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

}  // namespace

VersionRead ReadFixedFileInfo(const std::vector<std::uint8_t>& image, FixedFileInfo& out)
{
    const ByteView view(image);
    if (LooksLikePe(view))
        return ReadPeFixedInfo(view, out);
    if (LooksLikeElf(view))
        return ReadElfFixedInfo(view, out);
    return VersionRead::NoVersionInfo;
}

VersionRead ReadFixedFileVersion(const std::string& path, std::uint32_t& fileVersionMS, std::uint32_t& fileVersionLS)
{
    std::vector<std::uint8_t> image;
    if (!ReadWholeFile(path, image))
        return VersionRead::NoVersionInfo;
    FixedFileInfo info;
    const VersionRead result = ReadFixedFileInfo(image, info);
    if (result == VersionRead::Ok) {
        fileVersionMS = info.fileVersionMS;
        fileVersionLS = info.fileVersionLS;
    }
    return result;
}

}  // namespace orvane::platform::version
