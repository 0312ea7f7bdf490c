// The version record the build embeds in ELF executables (an installed
// file the updater judges, whatever it holds): the ELF reader on the image,
// and the file reader on the same bytes, which must agree.
#include "fuzz/support/VersionAgreement.h"
#include "platform/version/ElfVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane::platform::version;
    orvane::fuzz::CheckVersionReadersAgree(data, size, "image.elf", ReadElfFixedInfo, LooksLikeElf);
    return 0;
}
