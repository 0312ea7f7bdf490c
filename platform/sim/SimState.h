// The parsed form of a simulation description. The JSON object is the state
// itself (what the file holds); the structs are derived from it for quick
// look-ups by the platform calls.
#pragma once

#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace orvane::platform::sim {

struct SimMode {
    int width = 0;
    int height = 0;
    int bitsPerPel = 32;
    int frequency = 60;
    int fixedOutput = 0;
};

struct SimDisplay {
    int index = 0;  // position in "displays"
    DisplayHandle handle = 0;
    std::string deviceName;
    Rect rect;
    Rect work;
    bool primary = false;
    DisplaySettings stored;  // orientation, size, frequency, bits per pixel
    bool settingsReadable = true;
    bool acceptRotation = true;
    std::vector<SimMode> modes;
    bool present = false;  // at least one attached monitor
};

struct SimVcp {
    std::uint32_t current = 0;
    std::uint32_t maximum = 0;
};

struct SimMonitor {
    int index = 0;  // position in "monitors"
    std::string id;
    std::string display;  // device name of the display it sits on
    PhysicalMonitorHandle handle = 0;
    std::string description;
    std::string deviceId;
    std::string deviceString;
    bool attached = true;
    bool active = true;
    bool physical = true;
    int delayMs = 0;
    int writeDelayMs = 0;
    bool silent = false;
    bool fail = false;
    bool maxUnset = false;
    std::optional<std::uint32_t> capabilitiesLength;
    std::map<int, SimVcp> vcp;
};

struct SimRegistryInstance {
    std::string name;
    std::optional<std::string> driver;
    std::optional<std::vector<std::uint8_t>> edid;
};

struct SimState {
    QJsonObject root;
    std::vector<SimDisplay> displays;
    std::vector<SimMonitor> monitors;
    // Model ID (upper case) -> instances, sorted by name like the registry.
    std::map<std::string, std::vector<SimRegistryInstance>> registry;
    bool failEnumDisplayMonitors = false;
    bool performElevatedStarts = true;
    bool elevatedStartResult = true;
    std::uint64_t noticeSeq = 0;
    std::vector<std::pair<std::uint64_t, SystemNotice>> notices;

    const SimDisplay* FindDisplay(const std::string& deviceName) const;
    const SimDisplay* FindDisplay(DisplayHandle handle) const;
    const SimMonitor* FindMonitor(PhysicalMonitorHandle handle) const;
    // Attached monitors on a display, in description order.
    std::vector<const SimMonitor*> MonitorsOn(const std::string& deviceName) const;
};

// A JSON number as an integer of type T; nullopt unless it is a whole number
// that T holds (converting any other double to T is undefined).
template <typename T>
std::optional<T> WholeNumber(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // 2^digits, one past T's largest value, is exact as a double.
    const double end = std::ldexp(1.0, std::numeric_limits<T>::digits);
    if (!(number >= double(std::numeric_limits<T>::min()) && number < end) || std::trunc(number) != number)
        return std::nullopt;
    return static_cast<T>(number);
}

// Parses a description; nullopt with error on malformed input, a number
// that is not a whole one of its field's range included.
std::optional<SimState> ParseState(const QJsonObject& root, std::string* error);

// The records the simulation appends (VCP writes, rotations, elevated starts,
// notices) keep their newest kKeptRecords entries: every change rewrites the
// whole file, which would otherwise grow with each rotation for as long as a
// program runs.
constexpr int kKeptRecords = 100;

// Appends record to the array root[key], dropping the oldest beyond
// kKeptRecords.
void AppendRecord(QJsonObject& root, const char* key, const QJsonObject& record);

// "0xAA", "170" -> 170; -1 when not a VCP code.
int ParseVcpCode(const QString& text);
QString VcpKey(int code);

// Index into "monitors" named by an id, a 0-based index or a handle
// ("#0x101"); -1 when none.
int ResolveMonitor(const QJsonObject& root, const std::string& name);

}  // namespace orvane::platform::sim
