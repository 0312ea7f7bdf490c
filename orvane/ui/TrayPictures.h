// The tray icon's pictures, each read and decoded once for the life of the
// program: a fresh QIcon per polling tick would read the file again and leave
// another scaled copy in the pixmap cache every time the tray draws it.
#pragma once

#include <QIcon>
#include <QString>

#include <map>

namespace orvane {

class TrayPictures {
public:
    // The picture of the file, read the first time it is asked for. A file
    // that cannot be read gives an empty picture, and stays so.
    const QIcon& Picture(const QString& path);

private:
    std::map<QString, QIcon> m_pictures;
};

}  // namespace orvane
