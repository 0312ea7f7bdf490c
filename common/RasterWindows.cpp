#include "common/RasterWindows.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace orvane {

void UseRasterWindows()
{
    if (qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION") ||
        qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION"))
        return;
    // An attribute rather than QT_XCB_GL_INTEGRATION=none: the environment
    // would pass on to every program started from here (the updater, the
    // browser opened from a link) and take GL from them too.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
}

}  // namespace orvane
