#include "platform/sim/SimControl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>

#include "platform/edid/Edid.h"
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
        AppendRecord(root, "notices",
                     QJsonObject{{"seq", seq}, {"message", static_cast<double>(message)},
                                 {"wParam", static_cast<double>(wParam)}});
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

// The commands that read the state: show and get. nullopt when args are
// not one of them.
std::optional<int> RunQuery(SimStore& store, const std::vector<std::string>& args, std::ostream& out,
                            std::ostream& err)
{
    const std::string& command = args[0];
    if (command == "show" && args.size() == 1) {
        out << QJsonDocument(store.Snapshot()->root).toJson(QJsonDocument::Indented).toStdString();
        return 0;
    }
    if (command != "get" || args.size() != 3)
        return std::nullopt;
    const auto state = store.Snapshot();
    const int index = ResolveMonitor(state->root, args[1]);
    const int code = ParseVcpCode(QString::fromStdString(args[2]));
    if (index < 0 || code < 0) {
        err << "orvane-sim: no monitor " << args[1] << " or bad VCP code " << args[2] << "\n";
        return 1;
    }
    const auto& vcp = state->monitors[static_cast<size_t>(index)].vcp;
    const auto feature = vcp.find(code);
    if (feature == vcp.end()) {
        err << "orvane-sim: monitor " << args[1] << " has no VCP " << args[2] << "\n";
        return 1;
    }
    out << feature->second.current << "\n";
    return 0;
}

// The change a command makes to the state; nullopt for a usage error.
std::optional<Change> ChangeFor(const std::vector<std::string>& args)
{
    const std::string& command = args[0];
    if ((command == "set" && args.size() == 4) || (command == "pivot" && args.size() == 3)) {
        const int code = command == "pivot" ? 0xAA : ParseVcpCode(QString::fromStdString(args[2]));
        double value = 0;
        if (code < 0 || !Number(args.back(), value) || value < 0 || value > 0xFFFFFFFF)
            return std::nullopt;
        return SetVcpValue(args[1], code, value);
    }
    if ((command == "unplug" || command == "plug") && args.size() == 2)
        return SetMonitorField(args[1], "attached", command == "plug");
    if ((command == "silence" || command == "fail" || command == "maxunset") && args.size() == 3) {
        bool value = false;
        if (!OnOff(args[2], value))
            return std::nullopt;
        const QString key = command == "silence" ? "silent" : (command == "fail" ? "fail" : "maxUnset");
        return SetMonitorField(args[1], key, value);
    }
    if (command == "delay" && args.size() == 3) {
        double ms = 0;
        if (!Number(args[2], ms) || ms < 0)
            return std::nullopt;
        return SetMonitorField(args[1], "delayMs", ms);
    }
    if (command == "notice" && args.size() == 2) {
        const auto notice = Notices().find(args[1]);
        if (notice == Notices().end())
            return std::nullopt;
        return PostNotice(notice->second.first, notice->second.second);
    }
    if (command == "notice" && args.size() == 3) {
        double message = 0;
        double wParam = 0;
        if (!Number(args[1], message) || !Number(args[2], wParam))
            return std::nullopt;
        return PostNotice(static_cast<std::uint32_t>(message), static_cast<std::uint64_t>(wParam));
    }
    return std::nullopt;
}

// The fields of an EDID from "--maker ABC --product N --size WxH --name
// TEXT --serial TEXT" (each optional); nullopt with why for anything else.
std::optional<edid::Fields> EdidFieldsFrom(const std::vector<std::string>& options, std::string& why)
{
    edid::Fields fields;
    for (std::size_t i = 0; i < options.size(); i += 2) {
        const std::string& option = options[i];
        if (i + 1 >= options.size()) {
            why = option + " needs a value";
            return std::nullopt;
        }
        const QString value = QString::fromStdString(options[i + 1]);
        bool ok = true;
        if (option == "--maker") {
            ok = value.size() == 3 && std::all_of(value.begin(), value.end(), [](QChar c) {
                     return c.toUpper() >= 'A' && c.toUpper() <= 'Z';
                 });
            fields.maker = value.toUpper().toStdString();
        } else if (option == "--product") {
            const uint product = value.toUInt(&ok, 0);
            ok = ok && product <= 0xFFFF;
            fields.productCode = static_cast<std::uint16_t>(product);
        } else if (option == "--size") {
            const QStringList sides = value.split('x');
            bool height = false;
            fields.width = sides.size() == 2 ? sides[0].toInt(&ok) : 0;
            fields.height = sides.size() == 2 ? sides[1].toInt(&height) : 0;
            // The preferred timing holds 12 bits per side.
            ok = ok && height && fields.width > 0 && fields.width < 4096 && fields.height > 0 && fields.height < 4096;
        } else if (option == "--name" || option == "--serial") {
            ok = value.size() <= 13 && value.toLatin1() == value.toUtf8();
            (option == "--name" ? fields.name : fields.serial) = value.toStdString();
        } else {
            why = "unknown option " + option;
            return std::nullopt;
        }
        if (!ok) {
            why = "bad value for " + option + ": " + options[i + 1];
            return std::nullopt;
        }
    }
    return fields;
}

// edid: prints the base block built from the options as one line of
// lower-case hex, for harnesses that give monitors EDIDs of their own.
int RunEdidCommand(const std::vector<std::string>& options, std::ostream& out, std::ostream& err)
{
    std::string why;
    const auto fields = EdidFieldsFrom(options, why);
    if (!fields) {
        err << "orvane-sim: edid: " << why << "\n" << SimUsage();
        return 2;
    }
    const Edid bytes = edid::Build(*fields);
    out << QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())).toHex().toStdString()
        << "\n";
    return 0;
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
           "MONITOR is a monitor id, its 0-based index, or #HANDLE.\n"
           "usage: orvane-sim edid [--maker ABC] [--product N] [--size WxH] [--name TEXT] [--serial TEXT]\n"
           "  prints a 128-byte EDID base block with those fields as one line of hex\n";
}

int RunSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty() && args[0] == "edid")
        return RunEdidCommand({args.begin() + 1, args.end()}, out, err);
    if (args.size() < 2) {
        err << SimUsage();
        return 2;
    }
    std::string error;
    auto store = SimStore::Open(args[0], &error);
    if (!store) {
        err << "orvane-sim: " << error << "\n";
        return 1;
    }
    const std::vector<std::string> command(args.begin() + 1, args.end());
    if (const auto result = RunQuery(*store, command, out, err))
        return *result;
    const auto change = ChangeFor(command);
    if (!change) {
        err << SimUsage();
        return 2;
    }
    if (store->Mutate(*change, &error))
        return 0;
    err << "orvane-sim: " << error << "\n";
    return 1;
}

}  // namespace orvane::platform::sim
