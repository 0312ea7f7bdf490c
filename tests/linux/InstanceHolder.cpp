// Test helper: takes the single-instance lock named by its argument, says
// what happened on standard output and, when it got the lock, keeps it until
// killed (or until standard input closes).
#include <cstdio>
#include <string>

#include "platform/linux/LinuxSystem.h"

int main(int argc, char** argv)
{
    using orvane::platform::InstanceLock;
    orvane::platform::linuxplatform::LinuxSystem system;
    const InstanceLock result = system.AcquireSingleInstance(argc > 1 ? argv[1] : "Orvane");
    std::printf("%s\n", result == InstanceLock::Acquired         ? "acquired"
                        : result == InstanceLock::AlreadyRunning ? "running"
                                                                 : "failed");
    std::fflush(stdout);
    if (result != InstanceLock::Acquired)
        return 1;
    int c;
    while ((c = std::getchar()) != EOF) {
    }
    return 0;
}
