#include "platform/sim/SimPlatform.h"

namespace orvane::platform::sim {

std::unique_ptr<Platform> CreateSimPlatform(const std::string&)
{
    return nullptr;
}

}  // namespace orvane::platform::sim
