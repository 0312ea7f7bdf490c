#include "orvane/update/ProgramVersion.h"

#include "common/FileVersion.h"

#include <QDebug>
#include <QFile>

namespace orvane {

QString ReadFileVersion(platform::SystemApi& system, const QString& path, int& major, int& minor, int& build,
                        int& revision, int count)
{
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    if (!ReadVersionWords(system, path, ms, ls))
        return {};
    major = static_cast<int>(ms >> 16);
    minor = static_cast<int>(ms & 0xFFFF);
    build = static_cast<int>(ls >> 16);
    revision = static_cast<int>(ls & 0xFFFF);

    QString minorText = QString::number(minor);
    if (minorText.size() % 2 == 1)
        minorText.prepend('0');
    QString text;
    for (int position = 0; position < count; ++position) {
        switch (position) {
        case 0: text += QString::number(major); break;
        case 1: text += "." + minorText; break;
        case 2: text += "." + QString::number(build); break;
        case 3: text += "." + QString::number(revision); break;
        default: break;
        }
    }
    return text;
}

}  // namespace orvane
