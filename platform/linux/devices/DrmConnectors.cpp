#include "platform/linux/devices/DrmConnectors.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace orvane::platform::linuxplatform {

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

Edid ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Edid(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Upper case without dashes, with the long type names folded to the kernel's
// short ones, so that "DisplayPort-1", "DP1" and "DP-1" compare equal.
std::string Folded(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c != '-')
            out += char(std::toupper(static_cast<unsigned char>(c)));
    }
    const auto fold = [&out](const std::string& from, const std::string& to) {
        if (out.compare(0, from.size(), from) == 0)
            out = to + out.substr(from.size());
    };
    fold("DISPLAYPORT", "DP");
    fold("HDMIA", "HDMI");
    fold("HDMIB", "HDMI");
    return out;
}

}  // namespace

std::vector<DrmConnector> ReadDrmConnectors(const std::string& root)
{
    std::vector<std::string> folders;
    if (DIR* dir = ::opendir(root.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("card", 0) == 0 && name.find('-') != std::string::npos)
                folders.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(folders.begin(), folders.end());

    std::vector<DrmConnector> connectors;
    for (const auto& folder : folders) {
        DrmConnector connector;
        const auto dash = folder.find('-');
        connector.card = folder.substr(0, dash);
        connector.name = folder.substr(dash + 1);
        const std::string path = root + "/" + folder;
        connector.connected = ReadText(path + "/status") == "connected";
        if (connector.connected)
            connector.edid = ReadBytes(path + "/edid");
        connectors.push_back(std::move(connector));
    }
    return connectors;
}

const DrmConnector* FindConnectorForOutput(const std::vector<DrmConnector>& connectors,
                                           const std::string& outputName)
{
    for (const auto& connector : connectors) {
        if (connector.name == outputName)
            return &connector;
    }
    const std::string wanted = Folded(outputName);
    const DrmConnector* found = nullptr;
    for (const auto& connector : connectors) {
        if (Folded(connector.name) == wanted) {
            if (found)
                return nullptr;  // two cards with the same connector name: ambiguous
            found = &connector;
        }
    }
    return found;
}

}  // namespace orvane::platform::linuxplatform
