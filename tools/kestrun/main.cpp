// Kestrun: adds ("1") or deletes ("0") the run-at-log-on entry of Orvane,
// the program in Kestrun's own folder. Any other request changes nothing.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/linux/Autostart.h"

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

}  // namespace

int main(int argc, char** argv)
{
    using namespace orvane::platform::linuxplatform;
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
