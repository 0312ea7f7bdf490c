// Reading a file whose size someone else decides (a site's manifest and
// signature, a record in the installation) up to a limit, without taking a
// buffer of the limit's size for a file of a few hundred bytes.
#pragma once

#include <QByteArray>
#include <QIODevice>

namespace orvane {

// The device's bytes from where it stands, at most limit of them, read as
// they come. A reader that accepts n bytes asks for n + 1 to see it was over.
QByteArray ReadAtMost(QIODevice& device, qint64 limit);

}  // namespace orvane
