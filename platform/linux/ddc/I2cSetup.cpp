#include "platform/linux/ddc/I2cSetup.h"

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <vector>

namespace orvane::platform::linuxplatform {

namespace {

// The files of folder ending in suffix.
std::vector<std::string> FilesIn(const std::string& folder, const std::string& suffix)
{
    std::vector<std::string> files;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                files.push_back(folder + "/" + name);
        }
        ::closedir(dir);
    }
    return files;
}

std::string Canonical(std::string module)
{
    std::replace(module.begin(), module.end(), '_', '-');
    return module;
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool ModuleLoadsAtBoot(const std::string& module, const std::string& root)
{
    std::vector<std::string> files{root + "/etc/modules"};
    for (const char* folder : {"/etc/modules-load.d", "/run/modules-load.d", "/usr/local/lib/modules-load.d",
                               "/usr/lib/modules-load.d", "/lib/modules-load.d"}) {
        const auto found = FilesIn(root + folder, ".conf");
        files.insert(files.end(), found.begin(), found.end());
    }
    const std::string wanted = Canonical(module);
    for (const std::string& path : files) {
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line)) {
            line = Trimmed(line.substr(0, line.find_first_of("#;")));
            if (Canonical(line.substr(0, line.find_first_of(" \t"))) == wanted && !line.empty())
                return true;
        }
    }
    return false;
}

bool I2cAccessRuleInstalled(const std::string& root)
{
    for (const char* folder : {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        for (const std::string& path : FilesIn(root + folder, ".rules")) {
            std::ifstream file(path);
            std::string line;
            while (std::getline(file, line)) {
                if (Trimmed(line).rfind('#', 0) == 0)
                    continue;
                if (line.find("i2c") != std::string::npos && line.find("uaccess") != std::string::npos)
                    return true;
            }
        }
    }
    return false;
}

}  // namespace orvane::platform::linuxplatform
