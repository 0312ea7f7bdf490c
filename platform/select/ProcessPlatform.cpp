#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/host/HostPlatform.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::platform {

namespace {
constexpr const char kSimPrefix[] = "sim:";
}

std::unique_ptr<Platform> CreatePlatform(const char* selection)
{
    if (selection && std::strncmp(selection, kSimPrefix, sizeof(kSimPrefix) - 1) == 0) {
        const std::string path = selection + sizeof(kSimPrefix) - 1;
        auto sim = sim::CreateSimPlatform(path, CreateHostSystem());
        if (sim)
            return AroundSimulation(std::move(sim));
        // A broken description must not silently drive real monitors.
        std::fprintf(stderr, "Orvane: cannot load the simulation description \"%s\"\n", path.c_str());
        std::exit(2);
    }
    return CreateHostPlatform();
}

Platform& ProcessPlatform()
{
    // Never destroyed: worker threads may still be inside a platform call when
    // the process ends.
    static Platform* const instance = CreatePlatform(std::getenv("ORVANE_PLATFORM")).release();
    return *instance;
}

SystemApi& ProcessSystem()
{
    static SystemApi* const instance = [] {
        const char* selection = std::getenv("ORVANE_PLATFORM");
        if (selection && std::strncmp(selection, kSimPrefix, sizeof(kSimPrefix) - 1) == 0) {
            const std::string path = selection + sizeof(kSimPrefix) - 1;
            if (auto sim = sim::CreateSimSystem(path, CreateHostSystem()))
                return sim.release();
            std::fprintf(stderr, "Orvane: cannot load the simulation description \"%s\"\n", path.c_str());
            std::exit(2);
        }
        return CreateHostSystem().release();
    }();
    return *instance;
}

}  // namespace orvane::platform
