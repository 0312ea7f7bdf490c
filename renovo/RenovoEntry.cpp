#include "renovo/RenovoEntry.h"

#include <QApplication>
#include <QStringList>

#include "common/Log.h"
#include "common/RasterWindows.h"
#include "common/UserPrompts.h"
#include "platform/Platform.h"
#include "renovo/Renovo.h"

namespace orvane {

int RenovoMain(int argc, char* argv[])
{
    UseRasterWindows();
    QApplication app(argc, argv);
    InitLog(LogFlavor::Renovo);
    qAddPostRoutine(CloseLogFile);

    const auto prompts = CreateUserPrompts();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        prompts->Warning(QStringLiteral("Renovo"), QStringLiteral("Server connect failed, can't update SW."));
        return 0;
    }

    // Only file versions and times are needed: the monitor platform stays unbuilt.
    Renovo dialog(platform::ProcessSystem(), *prompts);
    dialog.m_strRestartProgram = args.at(1);
    dialog.m_strSiteUrl = args.at(2);
    dialog.m_strManifestName = args.at(3);
    // Unattended (ORVANE_AUTO_CONFIRM=1) nobody is there to close a dialog
    // whose run stopped early.
    if (qgetenv("ORVANE_AUTO_CONFIRM") == "1")
        QObject::connect(&dialog, &Renovo::runStopped, &dialog, &QDialog::close, Qt::QueuedConnection);
    dialog.show();
    app.exec();
    return 0;
}

}  // namespace orvane
