#include "common/UpdateWorkDir.h"

#include <QStandardPaths>

namespace orvane {

QString UpdateWorkDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation) + "/Renovo";
}

}  // namespace orvane
