// The version record the build embeds in ELF executables (an installed
// file the updater judges, whatever it holds): the ELF reader on the image,
// and the file reader on the same bytes, which must agree.
#include "fuzz/support/FuzzSupport.h"
#include "platform/version/ElfVersion.h"
#include "platform/version/VersionResource.h"

using namespace orvane::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    version::FixedFileInfo info;
    const VersionRead inMemory = version::ReadElfFixedInfo(version::ByteView(data, size), info);

    const QString path = orvane::fuzz::WriteScratchFile("image.elf", data, size);
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    const VersionRead fromFile = version::ReadFixedFileVersion(path.toStdString(), ms, ls);
    if (version::LooksLikeElf(version::ByteView(data, size))) {
        orvane::fuzz::Check(fromFile == inMemory, "file and image readings differ");
        orvane::fuzz::Check(fromFile != VersionRead::Ok || (ms == info.fileVersionMS && ls == info.fileVersionLS),
                            "file and image versions differ");
    }
    return 0;
}
