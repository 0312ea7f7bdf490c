#include "orvane/app/OrvaneEntry.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QMessageBox>
#include <QSettings>

#include <memory>

#include "common/Log.h"
#include "common/RasterWindows.h"
#include "common/Settings.h"
#include "orvane/ui/MainWindow.h"

namespace orvane {

namespace {

int ShowAlreadyRunning()
{
    QMessageBox box;
    box.setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/icon/icon_64.png"));
    box.setWindowTitle(QCoreApplication::translate("main", "Orvane is already running!"));
    box.setText(QCoreApplication::translate("main", "Only one instance can be run at a time!"));
    box.setIcon(QMessageBox::Warning);
    WindowHooks::Default().execMessageBox(box);
    return 1;
}

}  // namespace

int RunOrvane(int argc, char** argv, MonitorContext& monitors)
{
    UseRasterWindows();
    QApplication app(argc, argv);
    // The instance test comes before the log is opened: opening it with "w+"
    // would empty the log of the instance that is already running.
    const platform::InstanceLock lock = monitors.platform.System().AcquireSingleInstance("Orvane");
    if (lock == platform::InstanceLock::AlreadyRunning)
        return ShowAlreadyRunning();
    // Without the lock nothing tells whether another instance runs; two
    // would fight over the monitors, so this one does not start.
    if (lock == platform::InstanceLock::Failed) {
        qCWarning(lcOrvane) << "Single-instance lock could not be taken; not starting";
        return ShowAlreadyRunning();
    }
    InitLog(LogFlavor::Orvane);
    qAddPostRoutine(CloseLogFile);

    const bool testSite = ReadTestSiteFlag();
    auto window = std::make_unique<MainWindow>(monitors);
    if (testSite)
        window->UseTestSite();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const int result = app.exec();
    window.reset();
    return result;
}

}  // namespace orvane
