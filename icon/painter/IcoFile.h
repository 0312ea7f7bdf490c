// Writes a Windows icon file (.ico) whose pictures are stored as PNG, the
// form Windows reads since Vista and resource compilers copy as they are.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace orvane::icon {

// Each image must be square, 1 to 256 pixels. False when the file cannot be
// written or an image is out of range.
bool WriteIcoFile(const QString& path, const std::vector<QImage>& images);

}  // namespace orvane::icon
