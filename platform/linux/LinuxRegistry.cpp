#include "platform/linux/LinuxRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvane::platform::linuxplatform {

namespace {

// Registry paths compare without regard to case.
std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string ModelKey(const std::string& model)
{
    return std::string(kDisplayEnumKey) + "\\" + model;
}

}  // namespace

std::string LinuxRegistry::InstanceOf(const std::string& connector)
{
    auto it = m_numbers.find(connector);
    if (it == m_numbers.end()) {
        char number[16];
        std::snprintf(number, sizeof(number), "%04zu", m_numbers.size());
        it = m_numbers.emplace(connector, number).first;
    }
    return it->second;
}

std::string LinuxRegistry::Record(const std::string& connector, const Edid& edid)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string instance = InstanceOf(connector);
    const std::string model = edid::ModelId(edid);
    if (model.empty()) {
        m_entries.erase(connector);
        return std::string("MONITOR\\") + kUnknownModel + "\\" + kMonitorClassGuid + "\\" + instance;
    }
    m_entries[connector] = Entry{model, instance, edid};
    return "MONITOR\\" + model + "\\" + kMonitorClassGuid + "\\" + instance;
}

std::string LinuxRegistry::DeviceKey(const std::string& connector)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::string("\\Registry\\Machine\\SYSTEM\\CurrentControlSet\\Control\\Class\\") + kMonitorClassGuid +
           "\\" + InstanceOf(connector);
}

const LinuxRegistry::Entry* LinuxRegistry::Find(const std::string& keyPath, const std::string& suffix)
{
    const std::string wanted = Lower(keyPath);
    for (const auto& [name, entry] : m_entries) {
        if (Lower(ModelKey(entry.model) + "\\" + name + suffix) == wanted)
            return &entry;
    }
    return nullptr;
}

std::vector<std::string> LinuxRegistry::ChildGroups(const std::string& keyPath)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string wanted = Lower(keyPath);
    std::vector<std::string> children;
    for (const auto& [name, entry] : m_entries) {
        if (Lower(ModelKey(entry.model)) == wanted)
            children.push_back(name);
    }
    return children;
}

std::optional<std::string> LinuxRegistry::StringValue(const std::string& keyPath, const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Lower(name) != "driver")
        return std::nullopt;
    const Entry* entry = Find(keyPath, "");
    if (!entry)
        return std::nullopt;
    return std::string(kMonitorClassGuid) + "\\" + entry->instance;
}

std::optional<std::vector<std::uint8_t>> LinuxRegistry::BinaryValue(const std::string& keyPath,
                                                                       const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Lower(name) != "edid")
        return std::nullopt;
    const Entry* entry = Find(keyPath, "\\Device Parameters");
    if (!entry)
        return std::nullopt;
    return entry->edid;
}

}  // namespace orvane::platform::linuxplatform
