#include "orvane/monitor/DeviceName.h"

#include <QString>

namespace orvane {

std::string CutDeviceName(const std::string& name)
{
    const QString text = QString::fromStdString(name);
    if (text.size() <= kDeviceNameChars)
        return name;
    int length = kDeviceNameChars;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length).toStdString();
}

}  // namespace orvane
