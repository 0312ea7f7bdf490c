#include "platform/linux/session/Autostart.h"

#include <cstdlib>
#include <fstream>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

namespace orvane::platform::linuxplatform {

namespace {

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return (value && *value) ? std::string(value) : fallback;
}

// One argument of an Exec key: in double quotes, with the characters the
// quoting reserves preceded by a backslash; the key's value is a string with
// escapes of its own, so every such backslash is written doubled.
std::string QuotedExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$')
            quoted += std::string("\\\\") + c;
        else if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return quoted + "\"";
}

// Control characters would break the line-based format.
std::string WithoutControls(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    return out;
}

}  // namespace

std::string AutostartEntryPath()
{
    const std::string configHome = EnvOr("XDG_CONFIG_HOME", EnvOr("HOME", "") + "/.config");
    return configHome + "/autostart/Orvane.desktop";
}

bool AutostartEntryPresent()
{
    std::ifstream in(AutostartEntryPath());
    std::string line;
    bool inEntry = false;
    bool hasExec = false;
    bool switchedOff = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        if (line.rfind("Exec=", 0) == 0 && line.find_first_not_of(" \t", 5) != std::string::npos)
            hasExec = true;
        // Desktop settings tools switch an entry off without deleting it.
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            switchedOff = true;
    }
    return hasExec && !switchedOff;
}

std::string AutostartEntryText(const std::string& program)
{
    const std::string folder = program.substr(0, program.find_last_of('/') + 1);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvane\n"
           "Comment=Keeps each monitor's desktop turned the way the monitor stands\n"
           "Exec=" + QuotedExecArgument(WithoutControls(program)) + "\n"
           "Icon=" + WithoutControls(folder) + "icon/icon_64.png\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool WriteAutostartEntry(const std::string& program, std::string* why)
{
    const QString path = QString::fromStdString(AutostartEntryPath());
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (why)
            *why = "cannot create the folder of " + path.toStdString();
        return false;
    }
    QSaveFile file(path);
    const std::string text = AutostartEntryText(program);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !file.commit()) {
        if (why)
            *why = "cannot write " + path.toStdString() + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

bool RemoveAutostartEntry(std::string* why)
{
    QFile file(QString::fromStdString(AutostartEntryPath()));
    if (!file.exists() || file.remove())
        return true;
    if (why)
        *why = "cannot delete " + AutostartEntryPath() + ": " + file.errorString().toStdString();
    return false;
}

}  // namespace orvane::platform::linuxplatform
