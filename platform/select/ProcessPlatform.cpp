#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/host/HostPlatform.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::platform {

namespace {

constexpr const char kSimPrefix[] = "sim:";

// The simulation description a selection names ("sim:PATH"); nullopt for
// the real platform.
std::optional<std::string> SimulationPath(const char* selection)
{
    if (!selection || std::strncmp(selection, kSimPrefix, sizeof(kSimPrefix) - 1) != 0)
        return std::nullopt;
    return std::string(selection + sizeof(kSimPrefix) - 1);
}

// A broken description must not silently drive real monitors.
[[noreturn]] void CannotLoad(const std::string& path)
{
    std::fprintf(stderr, "Orvane: cannot load the simulation description \"%s\"\n", path.c_str());
    std::exit(2);
}

}  // namespace

std::unique_ptr<Platform> CreatePlatform(const char* selection)
{
    if (const auto path = SimulationPath(selection)) {
        if (auto sim = sim::CreateSimPlatform(*path, CreateHostSystem()))
            return AroundSimulation(std::move(sim));
        CannotLoad(*path);
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
    static SystemApi* const instance = []() -> SystemApi* {
        if (const auto path = SimulationPath(std::getenv("ORVANE_PLATFORM"))) {
            if (auto sim = sim::CreateSimSystem(*path, CreateHostSystem()))
                return sim.release();
            CannotLoad(*path);
        }
        return CreateHostSystem().release();
    }();
    return *instance;
}

}  // namespace orvane::platform
