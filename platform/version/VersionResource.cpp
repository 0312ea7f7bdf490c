#include "platform/version/VersionResource.h"

namespace orvane::platform::version {

VersionRead ReadFixedFileVersion(const std::string&, std::uint32_t&, std::uint32_t&)
{
    return VersionRead::NoVersionInfo;
}

}  // namespace orvane::platform::version
