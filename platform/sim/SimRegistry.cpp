#include <algorithm>

#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

namespace {
constexpr const char kDisplayEnum[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\";
constexpr const char kDeviceParameters[] = "\\Device Parameters";

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Splits "<base>\<model>[\<instance>[\Device Parameters]]" the way the
// registry compares names: without regard to case.
struct KeyParts {
    std::string model;
    std::string instance;
    bool deviceParameters = false;
    int depth = 0;  // 1 model, 2 instance, 3 device parameters
};

KeyParts Split(const std::string& path)
{
    KeyParts parts;
    const std::string base = Upper(kDisplayEnum);
    std::string upper = Upper(path);
    if (upper.compare(0, base.size(), base) != 0)
        return parts;
    std::string rest = path.substr(base.size());
    const std::string tail = Upper(kDeviceParameters);
    if (rest.size() > tail.size() && Upper(rest.substr(rest.size() - tail.size())) == tail) {
        parts.deviceParameters = true;
        rest.resize(rest.size() - tail.size());
    }
    const auto slash = rest.find('\\');
    parts.model = Upper(rest.substr(0, slash));
    if (slash != std::string::npos)
        parts.instance = rest.substr(slash + 1);
    if (parts.model.empty() || parts.instance.find('\\') != std::string::npos)
        return KeyParts();
    parts.depth = parts.instance.empty() ? 1 : (parts.deviceParameters ? 3 : 2);
    return parts;
}

const SimRegistryInstance* FindInstance(const SimState& state, const KeyParts& parts)
{
    const auto model = state.registry.find(parts.model);
    if (model == state.registry.end())
        return nullptr;
    for (const SimRegistryInstance& instance : model->second)
        if (Upper(instance.name) == Upper(parts.instance))
            return &instance;
    return nullptr;
}
}  // namespace

std::vector<std::string> SimRegistry::ChildGroups(const std::string& keyPath)
{
    const auto state = m_store->Snapshot();
    const KeyParts parts = Split(keyPath);
    std::vector<std::string> names;
    if (parts.depth == 1) {
        const auto model = state->registry.find(parts.model);
        if (model != state->registry.end())
            for (const SimRegistryInstance& instance : model->second)
                names.push_back(instance.name);
    } else if (parts.depth == 2 && FindInstance(*state, parts)) {
        names.push_back("Device Parameters");
    }
    return names;
}

std::optional<std::string> SimRegistry::StringValue(const std::string& keyPath, const std::string& name)
{
    const auto state = m_store->Snapshot();
    const KeyParts parts = Split(keyPath);
    if (parts.depth != 2 || Upper(name) != "DRIVER")
        return std::nullopt;
    const SimRegistryInstance* instance = FindInstance(*state, parts);
    if (!instance)
        return std::nullopt;
    return instance->driver;
}

std::optional<std::vector<std::uint8_t>> SimRegistry::BinaryValue(const std::string& keyPath, const std::string& name)
{
    const auto state = m_store->Snapshot();
    const KeyParts parts = Split(keyPath);
    if (parts.depth != 3 || Upper(name) != "EDID")
        return std::nullopt;
    const SimRegistryInstance* instance = FindInstance(*state, parts);
    if (!instance)
        return std::nullopt;
    return instance->edid;
}

}  // namespace orvane::platform::sim
