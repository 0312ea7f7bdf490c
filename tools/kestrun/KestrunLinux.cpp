// Kestrun: adds ("1") or deletes ("0") the run-at-log-on entry of Orvane,
// the program in Kestrun's own folder. Any other request changes nothing.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/linux/session/Autostart.h"

namespace {

std::string OwnFolder()
{
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    const std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.find_last_of('/'));
}

const char kHelp[] =
    "Usage: Kestrun 1|0\n"
    "Adds (1) or deletes (0) the entry that starts Orvane, the program in Kestrun's\n"
    "own folder, when the user logs on: $XDG_CONFIG_HOME/autostart/Orvane.desktop.\n"
    "Deleting an absent entry succeeds. Any other argument changes nothing (exit 2).\n"
    "\n"
    "  -h, --help     this text\n"
    "  -v, --version  the version\n";

bool Is(const char* argument, const char* a, const char* b)
{
    return std::strcmp(argument, a) == 0 || std::strcmp(argument, b) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace orvane::platform::linuxplatform;
    if (argc == 2 && Is(argv[1], "--help", "-h")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && Is(argv[1], "--version", "-v")) {
        std::puts("Kestrun " ORVANE_VERSION_TEXT);
        return 0;
    }
    if (argc != 2 || (std::strcmp(argv[1], "1") != 0 && std::strcmp(argv[1], "0") != 0)) {
        std::fprintf(stderr, "usage: Kestrun 1|0  (1 starts Orvane at log-on, 0 stops that)\n");
        return 2;
    }
    std::string why;
    if (argv[1][0] == '1') {
        const std::string folder = OwnFolder();
        if (folder.empty()) {
            std::fprintf(stderr, "Kestrun: cannot tell its own folder\n");
            return 1;
        }
        if (!WriteAutostartEntry(folder + "/Orvane", &why)) {
            std::fprintf(stderr, "Kestrun: %s\n", why.c_str());
            return 1;
        }
        return 0;
    }
    if (!RemoveAutostartEntry(&why)) {
        std::fprintf(stderr, "Kestrun: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
