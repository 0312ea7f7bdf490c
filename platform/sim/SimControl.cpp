#include "platform/sim/SimControl.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <map>

#include "platform/sim/SimStore.h"

namespace orvane::platform::sim {

namespace {

using Change = std::function<bool(QJsonObject&, std::string*)>;

// Edits one monitor's object in place.
Change EditMonitor(const std::string& monitor, const std::function<void(QJsonObject&)>& edit)
{
    return [=](QJsonObject& root, std::string* error) {
        const int index = ResolveMonitor(root, monitor);
        if (index < 0) {
            *error = "no monitor " + monitor;
            return false;
        }
        QJsonArray monitors = root.value("monitors").toArray();
        QJsonObject object = monitors[index].toObject();
        edit(object);
        monitors[index] = object;
        root["monitors"] = monitors;
        return true;
    };
}

// Changes one field of one monitor.
Change SetMonitorField(const std::string& monitor, const QString& key, const QJsonValue& value)
{
    return EditMonitor(monitor, [=](QJsonObject& object) { object[key] = value; });
}

Change SetVcpValue(const std::string& monitor, int code, double value)
{
    return EditMonitor(monitor, [=](QJsonObject& object) {
        QJsonObject vcp = object.value("vcp").toObject();
        QJsonObject feature = vcp.value(VcpKey(code)).toObject();
        feature["current"] = value;
        if (!feature.contains("max"))
            feature["max"] = code == 0xAA ? 4 : 0xFF;
        vcp[VcpKey(code)] = feature;
        object["vcp"] = vcp;
    });
}

Change PostNotice(std::uint32_t message, std::uint64_t wParam)
{
    return [=](QJsonObject& root, std::string*) {
        const double seq = root.value("noticeSeq").toDouble(0) + 1;
        QJsonArray notices = root.value("notices").toArray();
        notices.append(QJsonObject{{"seq", seq}, {"message", static_cast<double>(message)},
                                   {"wParam", static_cast<double>(wParam)}});
        // Readers only look at notices newer than their subscription; a short
        // tail is enough.
        while (notices.size() > 100)
            notices.removeFirst();
        root["notices"] = notices;
        root["noticeSeq"] = seq;
        return true;
    };
}

bool OnOff(const std::string& text, bool& value)
{
    if (text == "on" || text == "1" || text == "true") {
        value = true;
        return true;
    }
    if (text == "off" || text == "0" || text == "false") {
        value = false;
        return true;
    }
    return false;
}

bool Number(const std::string& text, double& value)
{
    bool ok = false;
    value = static_cast<double>(QString::fromStdString(text).toLongLong(&ok, 0));
    return ok;
}

const std::map<std::string, std::pair<std::uint32_t, std::uint64_t>>& Notices()
{
    // Window-message numbers and wParam values as the program receives them.
    static const std::map<std::string, std::pair<std::uint32_t, std::uint64_t>> notices = {
        {"suspend", {0x0218, 4}},        {"resume", {0x0218, 7}},     {"display", {0x007E, 32}},
        {"workarea", {0x001A, 0x2F}},    {"settingchange", {0x001A, 0}}, {"arrival", {0x0219, 0x8000}},
        {"removal", {0x0219, 0x8004}},
    };
    return notices;
}

}  // namespace

std::string SimUsage()
{
    return "usage: orvane-sim FILE COMMAND [ARGS]\n"
           "  show                         print the whole state as JSON\n"
           "  get MONITOR VCP              print the current value of a VCP feature\n"
           "  set MONITOR VCP VALUE        set the current value of a VCP feature\n"
           "  pivot MONITOR VALUE          set VCP 0xAA (1 landscape, 2 CW 90, 4 CCW 90)\n"
           "  unplug MONITOR | plug MONITOR\n"
           "  silence MONITOR on|off       the monitor stops / resumes answering\n"
           "  fail MONITOR on|off          VCP calls answer with failure\n"
           "  maxunset MONITOR on|off      reads succeed but leave the maximum at 0xFFFFFFFF\n"
           "  delay MONITOR MS             answer delay of VCP calls\n"
           "  notice suspend|resume|display|workarea|settingchange|arrival|removal\n"
           "  notice MESSAGE WPARAM        any window-message number and wParam\n"
           "MONITOR is a monitor id, its 0-based index, or #HANDLE.\n";
}

int RunSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() < 2) {
        err << SimUsage();
        return 2;
    }
    const std::string& file = args[0];
    const std::string& command = args[1];
    std::string error;
    auto store = SimStore::Open(file, &error);
    if (!store) {
        err << "orvane-sim: " << error << "\n";
        return 1;
    }
    auto usage = [&]() {
        err << SimUsage();
        return 2;
    };
    auto mutate = [&](const Change& change) {
        if (store->Mutate(change, &error))
            return 0;
        err << "orvane-sim: " << error << "\n";
        return 1;
    };

    if (command == "show" && args.size() == 2) {
        out << QJsonDocument(store->Snapshot()->root).toJson(QJsonDocument::Indented).toStdString();
        return 0;
    }
    if (command == "get" && args.size() == 4) {
        const auto state = store->Snapshot();
        const int index = ResolveMonitor(state->root, args[2]);
        const int code = ParseVcpCode(QString::fromStdString(args[3]));
        if (index < 0 || code < 0) {
            err << "orvane-sim: no monitor " << args[2] << " or bad VCP code " << args[3] << "\n";
            return 1;
        }
        const auto& vcp = state->monitors[static_cast<size_t>(index)].vcp;
        const auto feature = vcp.find(code);
        if (feature == vcp.end()) {
            err << "orvane-sim: monitor " << args[2] << " has no VCP " << args[3] << "\n";
            return 1;
        }
        out << feature->second.current << "\n";
        return 0;
    }
    if ((command == "set" && args.size() == 5) || (command == "pivot" && args.size() == 4)) {
        const int code = command == "pivot" ? 0xAA : ParseVcpCode(QString::fromStdString(args[3]));
        double value = 0;
        if (code < 0 || !Number(args.back(), value) || value < 0 || value > 0xFFFFFFFF)
            return usage();
        return mutate(SetVcpValue(args[2], code, value));
    }
    if ((command == "unplug" || command == "plug") && args.size() == 3)
        return mutate(SetMonitorField(args[2], "attached", command == "plug"));
    if ((command == "silence" || command == "fail" || command == "maxunset") && args.size() == 4) {
        bool value = false;
        if (!OnOff(args[3], value))
            return usage();
        const QString key = command == "silence" ? "silent" : (command == "fail" ? "fail" : "maxUnset");
        return mutate(SetMonitorField(args[2], key, value));
    }
    if (command == "delay" && args.size() == 4) {
        double ms = 0;
        if (!Number(args[3], ms) || ms < 0)
            return usage();
        return mutate(SetMonitorField(args[2], "delayMs", ms));
    }
    if (command == "notice" && args.size() == 3) {
        const auto notice = Notices().find(args[2]);
        if (notice == Notices().end())
            return usage();
        return mutate(PostNotice(notice->second.first, notice->second.second));
    }
    if (command == "notice" && args.size() == 4) {
        double message = 0;
        double wParam = 0;
        if (!Number(args[2], message) || !Number(args[3], wParam))
            return usage();
        return mutate(PostNotice(static_cast<std::uint32_t>(message), static_cast<std::uint64_t>(wParam)));
    }
    return usage();
}

}  // namespace orvane::platform::sim
