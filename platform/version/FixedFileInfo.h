// VS_FIXEDFILEINFO: the thirteen 32-bit words at the heart of a version
// resource, and the same record the build embeds in the project's ELF
// executables.
#pragma once

#include <cstdint>

#include "platform/version/ByteView.h"

namespace orvane::platform::version {

constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedFileInfoSize = 13 * 4;

// Name of the ELF section that carries the record (see cmake/OrvaneVersion.cmake).
constexpr const char kEmbeddedVersionSection[] = ".orvane_version";

struct FixedFileInfo {
    std::uint32_t signature = 0;
    std::uint32_t structVersion = 0;
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateMS = 0;
    std::uint32_t fileDateLS = 0;
};

// Reads the record at offset in the view's byte order. False when it does
// not fit or its signature is wrong.
inline bool ParseFixedFileInfo(const ByteView& view, std::uint64_t offset, FixedFileInfo& out)
{
    std::uint32_t words[13];
    for (unsigned i = 0; i < 13; ++i) {
        if (!view.U32(offset + 4ull * i, words[i]))
            return false;
    }
    if (words[0] != kFixedFileInfoSignature)
        return false;
    out = FixedFileInfo{words[0], words[1], words[2], words[3],  words[4],  words[5], words[6],
                        words[7], words[8], words[9], words[10], words[11], words[12]};
    return true;
}

}  // namespace orvane::platform::version
