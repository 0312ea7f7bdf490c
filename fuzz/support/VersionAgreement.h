// The version readers' shared property: the image reader and the file
// reader, given the same bytes of an executable of their kind, agree on
// whether there is a record and on the version it holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/support/FuzzSupport.h"
#include "platform/version/VersionResource.h"

namespace orvane::fuzz {

template <typename ReadImage, typename LooksLike>
void CheckVersionReadersAgree(const std::uint8_t* data, std::size_t size, const char* scratchName,
                              ReadImage readImage, LooksLike looksLike)
{
    using namespace orvane::platform;
    version::FixedFileInfo info;
    const version::ByteView image(data, size);
    const VersionRead inMemory = readImage(image, info);

    const QString path = WriteScratchFile(scratchName, data, size);
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    const VersionRead fromFile = version::ReadFixedFileVersion(path.toStdString(), ms, ls);
    if (looksLike(image)) {
        Check(fromFile == inMemory, "file and image readings differ");
        Check(fromFile != VersionRead::Ok || (ms == info.fileVersionMS && ls == info.fileVersionLS),
              "file and image versions differ");
    }
}

}  // namespace orvane::fuzz
