#include "platform/sim/SimState.h"

#include <QJsonArray>
#include <QString>

#include <algorithm>
#include <limits>

#include "platform/sim/SimEdid.h"

namespace orvane::platform::sim {

namespace {

constexpr DisplayHandle kFirstDisplayHandle = 0x10001;
constexpr PhysicalMonitorHandle kFirstMonitorHandle = 0x101;

bool ParseRect(const QJsonValue& value, Rect& rect)
{
    const QJsonArray array = value.toArray();
    if (array.size() != 4)
        return false;
    rect = {array[0].toInt(), array[1].toInt(), array[2].toInt(), array[3].toInt()};
    return true;
}

std::uint64_t ToHandle(const QJsonValue& value, std::uint64_t fallback)
{
    if (value.isDouble())
        return WholeNumber<std::uint64_t>(value).value_or(fallback);
    if (value.isString()) {
        bool ok = false;
        const auto number = value.toString().toULongLong(&ok, 0);
        if (ok)
            return number;
    }
    return fallback;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::vector<std::string> SplitBackslash(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t next = text.find('\\', start);
        parts.push_back(text.substr(start, next == std::string::npos ? std::string::npos : next - start));
        if (next == std::string::npos)
            return parts;
        start = next + 1;
    }
}

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

// The number at key of object, fallback when there is none; false (error
// naming where and key) when it is not a whole number T holds.
template <typename T>
bool NumberAt(const QJsonObject& object, const char* key, T fallback, T& out, const std::string& where,
              std::string* error)
{
    if (!object.contains(QLatin1String(key))) {
        out = fallback;
        return true;
    }
    const auto number = WholeNumber<T>(object.value(QLatin1String(key)));
    if (!number)
        return Fail(error, where + ": " + key + " must be a whole number from " +
                               std::to_string(std::numeric_limits<T>::min()) + " to " +
                               std::to_string(std::numeric_limits<T>::max()));
    out = *number;
    return true;
}

// The size between two edges of a rect, as the default of a display's
// size: never below 0 or past int.
int Side(std::int32_t from, std::int32_t to)
{
    return int(std::clamp<std::int64_t>(std::int64_t(to) - from, 0, std::numeric_limits<int>::max()));
}

bool ParseDisplay(const QJsonObject& object, int index, SimDisplay& display, std::string* error)
{
    display.index = index;
    display.handle = ToHandle(object.value("handle"), kFirstDisplayHandle + static_cast<std::uint64_t>(index));
    display.deviceName = object.value("deviceName").toString().toStdString();
    if (display.deviceName.empty())
        return Fail(error, "displays[" + std::to_string(index) + "]: deviceName missing");
    if (!ParseRect(object.value("rect"), display.rect))
        return Fail(error, "displays[" + std::to_string(index) + "]: rect must be [left, top, right, bottom]");
    if (!ParseRect(object.value("work"), display.work))
        display.work = display.rect;
    display.primary = object.value("primary").toBool(false);
    display.stored.orientation = static_cast<std::uint32_t>(object.value("orientation").toInt(0));
    display.stored.pelsWidth =
        static_cast<std::uint32_t>(object.value("width").toInt(Side(display.rect.left, display.rect.right)));
    display.stored.pelsHeight =
        static_cast<std::uint32_t>(object.value("height").toInt(Side(display.rect.top, display.rect.bottom)));
    display.stored.displayFrequency = static_cast<std::uint32_t>(object.value("frequency").toInt(60));
    display.stored.bitsPerPel = static_cast<std::uint32_t>(object.value("bitsPerPel").toInt(32));
    display.settingsReadable = object.value("settingsReadable").toBool(true);
    display.acceptRotation = object.value("acceptRotation").toBool(true);
    for (const QJsonValue& item : object.value("modes").toArray()) {
        const QJsonObject mode = item.toObject();
        display.modes.push_back({mode.value("width").toInt(), mode.value("height").toInt(),
                                 mode.value("bpp").toInt(32), mode.value("hz").toInt(60),
                                 mode.value("fixedOutput").toInt(0)});
    }
    return true;
}

bool ParseMonitor(const QJsonObject& object, int index, SimMonitor& monitor, std::string* error)
{
    const std::string where = "monitors[" + std::to_string(index) + "]";
    monitor.index = index;
    monitor.id = object.value("id").toString(QString::number(index)).toStdString();
    monitor.display = object.value("display").toString().toStdString();
    monitor.handle = ToHandle(object.value("handle"), kFirstMonitorHandle + static_cast<std::uint64_t>(index));
    monitor.description = object.value("description").toString("Generic PnP Monitor").toStdString();
    monitor.deviceId = object.value("deviceId").toString().toStdString();
    monitor.deviceString = object.value("deviceString").toString("Generic PnP Monitor").toStdString();
    monitor.attached = object.value("attached").toBool(true);
    monitor.active = object.value("active").toBool(true);
    monitor.physical = object.value("physical").toBool(true);
    monitor.delayMs = std::max(0, object.value("delayMs").toInt(0));
    monitor.writeDelayMs = std::max(0, object.value("writeDelayMs").toInt(monitor.delayMs));
    monitor.silent = object.value("silent").toBool(false);
    monitor.fail = object.value("fail").toBool(false);
    monitor.maxUnset = object.value("maxUnset").toBool(false);
    if (object.contains("capabilitiesLength")) {
        std::uint32_t length = 0;
        if (!NumberAt<std::uint32_t>(object, "capabilitiesLength", 0, length, where, error))
            return false;
        monitor.capabilitiesLength = length;
    }
    const QJsonObject vcp = object.value("vcp").toObject();
    for (auto it = vcp.begin(); it != vcp.end(); ++it) {
        const int code = ParseVcpCode(it.key());
        if (code < 0)
            return Fail(error, where + ": bad VCP code " + it.key().toStdString());
        const QJsonObject feature = it.value().toObject();
        SimVcp& value = monitor.vcp[code];
        const std::string at = where + ": vcp " + it.key().toStdString();
        if (!NumberAt<std::uint32_t>(feature, "current", 0, value.current, at, error) ||
            !NumberAt<std::uint32_t>(feature, "max", 0, value.maximum, at, error))
            return false;
    }
    if (monitor.display.empty())
        return Fail(error, where + ": display missing");
    return true;
}

bool AddRegistryInstance(SimState& state, const std::string& model, SimRegistryInstance instance)
{
    auto& list = state.registry[Upper(model)];
    list.push_back(std::move(instance));
    return true;
}

}  // namespace

void AppendRecord(QJsonObject& root, const char* key, const QJsonObject& record)
{
    QJsonArray records = root.value(QLatin1String(key)).toArray();
    records.append(record);
    while (records.size() > kKeptRecords)
        records.removeFirst();
    root[QLatin1String(key)] = records;
}

int ParseVcpCode(const QString& text)
{
    bool ok = false;
    const uint code = text.trimmed().toUInt(&ok, 0);
    return ok && code <= 0xFF ? static_cast<int>(code) : -1;
}

QString VcpKey(int code)
{
    return QString("0x%1").arg(code, 2, 16, QChar('0')).toUpper().replace("0X", "0x");
}

int ResolveMonitor(const QJsonObject& root, const std::string& name)
{
    const QJsonArray monitors = root.value("monitors").toArray();
    const QString text = QString::fromStdString(name);
    for (int i = 0; i < monitors.size(); ++i) {
        if (monitors[i].toObject().value("id").toString() == text)
            return i;
    }
    bool ok = false;
    if (text.startsWith('#')) {
        const auto handle = text.mid(1).toULongLong(&ok, 0);
        for (int i = 0; ok && i < monitors.size(); ++i) {
            if (ToHandle(monitors[i].toObject().value("handle"), kFirstMonitorHandle + static_cast<std::uint64_t>(i)) ==
                handle)
                return i;
        }
        return -1;
    }
    const int index = text.toInt(&ok);
    return ok && index >= 0 && index < monitors.size() ? index : -1;
}

const SimDisplay* SimState::FindDisplay(const std::string& deviceName) const
{
    for (const SimDisplay& display : displays)
        if (display.deviceName == deviceName)
            return &display;
    return nullptr;
}

const SimDisplay* SimState::FindDisplay(DisplayHandle handle) const
{
    for (const SimDisplay& display : displays)
        if (display.handle == handle)
            return &display;
    return nullptr;
}

const SimMonitor* SimState::FindMonitor(PhysicalMonitorHandle handle) const
{
    for (const SimMonitor& monitor : monitors)
        if (monitor.handle == handle)
            return &monitor;
    return nullptr;
}

std::vector<const SimMonitor*> SimState::MonitorsOn(const std::string& deviceName) const
{
    std::vector<const SimMonitor*> result;
    for (const SimMonitor& monitor : monitors)
        if (monitor.attached && monitor.display == deviceName)
            result.push_back(&monitor);
    return result;
}

std::optional<SimState> ParseState(const QJsonObject& root, std::string* error)
{
    SimState state;
    state.root = root;
    const QJsonArray displays = root.value("displays").toArray();
    for (int i = 0; i < displays.size(); ++i) {
        SimDisplay display;
        if (!ParseDisplay(displays[i].toObject(), i, display, error))
            return std::nullopt;
        state.displays.push_back(std::move(display));
    }
    const QJsonArray monitors = root.value("monitors").toArray();
    for (int i = 0; i < monitors.size(); ++i) {
        const QJsonObject object = monitors[i].toObject();
        SimMonitor monitor;
        if (!ParseMonitor(object, i, monitor, error))
            return std::nullopt;
        if (!state.FindDisplay(monitor.display)) {
            Fail(error, "monitors[" + std::to_string(i) + "]: no display named " + monitor.display);
            return std::nullopt;
        }
        // Each monitor's own registry instance, unless the description says
        // it has none (then only "registry" entries describe the model).
        const std::vector<std::string> parts = SplitBackslash(monitor.deviceId);
        if (object.value("registry").toBool(true) && parts.size() >= 4) {
            SimRegistryInstance instance;
            instance.name = object.value("registryInstance")
                                .toString(QString("5&sim&0&UID%1").arg(monitor.handle))
                                .toStdString();
            instance.driver = parts[2] + "\\" + parts[3];
            if (object.contains("edid") && !object.value("edid").isNull()) {
                instance.edid = EdidFromJson(object.value("edid"), error);
                if (!instance.edid)
                    return std::nullopt;
            }
            AddRegistryInstance(state, parts[1], std::move(instance));
        }
        state.monitors.push_back(std::move(monitor));
    }
    for (const QJsonValue& item : root.value("registry").toArray()) {
        const QJsonObject object = item.toObject();
        SimRegistryInstance instance;
        instance.name = object.value("instance").toString().toStdString();
        if (object.contains("driver"))
            instance.driver = object.value("driver").toString().toStdString();
        if (object.contains("edid") && !object.value("edid").isNull()) {
            instance.edid = EdidFromJson(object.value("edid"), error);
            if (!instance.edid)
                return std::nullopt;
        }
        AddRegistryInstance(state, object.value("model").toString().toStdString(), std::move(instance));
    }
    for (auto& entry : state.registry) {
        std::stable_sort(entry.second.begin(), entry.second.end(),
                         [](const SimRegistryInstance& a, const SimRegistryInstance& b) {
                             return Upper(a.name) < Upper(b.name);
                         });
    }
    for (SimDisplay& display : state.displays)
        display.present = !state.MonitorsOn(display.deviceName).empty();

    state.failEnumDisplayMonitors = root.value("failEnumDisplayMonitors").toBool(false);
    state.performElevatedStarts = root.value("performElevatedStarts").toBool(true);
    state.elevatedStartResult = root.value("elevatedStartResult").toBool(true);
    if (!NumberAt<std::uint64_t>(root, "noticeSeq", 0, state.noticeSeq, "description", error))
        return std::nullopt;
    const QJsonArray notices = root.value("notices").toArray();
    for (int i = 0; i < notices.size(); ++i) {
        const QJsonObject notice = notices[i].toObject();
        const std::string where = "notices[" + std::to_string(i) + "]";
        std::uint64_t seq = 0;
        SystemNotice posted;
        if (!NumberAt<std::uint64_t>(notice, "seq", 0, seq, where, error) ||
            !NumberAt<std::uint32_t>(notice, "message", 0, posted.message, where, error) ||
            !NumberAt<std::uintptr_t>(notice, "wParam", 0, posted.wParam, where, error))
            return std::nullopt;
        state.notices.push_back({seq, posted});
    }
    return state;
}

}  // namespace orvane::platform::sim
