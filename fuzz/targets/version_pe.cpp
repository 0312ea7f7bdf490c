// PE executables' version resources (an installed file the updater judges,
// whatever it holds): the PE reader on the image, and the file reader on
// the same bytes, which must agree.
#include "fuzz/support/VersionAgreement.h"
#include "platform/version/PeVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane::platform::version;
    orvane::fuzz::CheckVersionReadersAgree(data, size, "image.exe", ReadPeFixedInfo, LooksLikePe);
    return 0;
}
