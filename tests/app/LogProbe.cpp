// A stand-in program for the log and settings tests: it starts the log the
// way the programs do, emits one message of each type and one of the
// programs' own lines, prints how many of those it built ("built N"), and
// ends either orderly (post-routines run) or through an immediate exit;
// "flood" first writes numbered lines past the log's size bound and prints
// the last number ("last N"); "long" writes fewer, then one line longer than
// the part of the log kept at the bound, which takes the log past it.
//   log-probe orvane|renovo orderly|exit|flood|long
//   log-probe site            prints the "Others/Site" flag
//   log-probe paths           prints the log's and the working folder's paths
#include <QCoreApplication>
#include <QDebug>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/Log.h"
#include "common/Settings.h"
#include "common/UpdateWorkDir.h"

namespace {

int g_built = 0;

QString Built()
{
    ++g_built;
    return QStringLiteral("built");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "site") == 0) {
        std::printf("%s\n", orvane::ReadTestSiteFlag() ? "test" : "production");
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "paths") == 0) {
        std::printf("%s\n%s\n", qPrintable(orvane::LogFilePath(orvane::LogFlavor::Renovo)),
                    qPrintable(orvane::UpdateWorkDir()));
        return 0;
    }
    if (argc < 3)
        return 2;
    orvane::InitLog(std::strcmp(argv[1], "renovo") == 0 ? orvane::LogFlavor::Renovo : orvane::LogFlavor::Orvane);
    qAddPostRoutine(orvane::CloseLogFile);
    qDebug() << "Download...";
    qInfo() << "an info line";
    qWarning() << "a warning line";
    qCritical() << "a critical line";
    // Line and paragraph separators must not start a forged line.
    qDebug() << QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93\xE2\x80\xA8" "forged\xE2\x80\xA9");
    qCDebug(orvane::lcOrvane).noquote() << "a program line" << Built();
    std::printf("built %d\n", g_built);
    const bool flood = std::strcmp(argv[2], "flood") == 0;
    const bool longLine = std::strcmp(argv[2], "long") == 0;
    if (flood || longLine) {
        const QString padding(100, QChar('.'));
        int line = 0;
        for (; line < (flood ? 150000 : 30000); ++line)
            qCDebug(orvane::lcOrvane).noquote() << "flood" << line << padding;
        if (flood)
            std::printf("last %d\n", line - 1);
        else
            qCDebug(orvane::lcOrvane).noquote() << "long" << QString(5 * 1024 * 1024, QChar('x'));
    }
    if (std::strcmp(argv[2], "exit") == 0)
        std::exit(0);
    return 0;
}
