// Lists the monitors the platform of this process finds, the same way the
// tray program does at start, and how each one stands: model, DDC/CI,
// orientation reading, support, and the settings line that would add an
// unsupported model. The demonstration script uses the exit code to choose
// between real monitors and the simulated ones.
//   orvane-probe           the list; exit 0 when at least one monitor is supported
//   orvane-probe --enrol   adds the models of monitors seen to turn to the user's settings
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

#include "common/Settings.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/Platform.h"
#include "tools/orvane-probe/Enrolment.h"
#include "tools/orvane-probe/ProbeReport.h"

namespace {

bool g_verbose = false;

// The programs' own lines are debug lines, the enumeration's among them:
// they reach standard error with --verbose; what goes wrong always does.
void ProbeMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg && !g_verbose)
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The tray program's folder, whose RunInfo.ini it reads first: beside this
// tool in a build or a self-contained folder, else where an installation
// puts the programs relative to the tools.
QString ProgramDir()
{
    const QString here = QCoreApplication::applicationDirPath();
    if (QFileInfo(here + "/Orvane").isExecutable() || QFileInfo(here + "/Orvane.exe").isFile())
        return here;
    const QString installed = QDir::cleanPath(here + "/" + ORVANE_PROGRAM_DIR_FROM_TOOLS);
    return QFileInfo(installed + "/Orvane").isExecutable() ? installed : here;
}

void Print(const QString& text)
{
    std::fputs((text + "\n").toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString Ask(const QString& question)
{
    std::fputs(question.toUtf8().constData(), stdout);
    std::fflush(stdout);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        Print("");
        return {};
    }
    return QString::fromStdString(answer);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(ORVANE_VERSION_TEXT);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the monitors Orvane would find on this machine, enumerated and identified the way\n"
        "the tray program does at start: model, DDC/CI, orientation reading, support, and the\n"
        "settings line that would add an unsupported model. Exit status 0 when at least one\n"
        "monitor is supported, else 1.\n"
        "With --enrol it watches every monitor that answers DDC/CI and is not followed yet while\n"
        "you pivot the monitors you want followed, and offers to add the model of each monitor\n"
        "seen to turn to your settings file. Exit status 0 when a model was added.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption enrol("enrol", "Add the models of monitors you pivot to your settings.");
    const QCommandLineOption yes({"y", "yes"}, "With --enrol: add without asking.");
    const QCommandLineOption timeLimit("time-limit", "With --enrol: watch at most this long (default 60).",
                                       "seconds", "60");
    const QCommandLineOption hold("hold", "Wait for Enter before ending (for a terminal window of its own).");
    const QCommandLineOption verbose("verbose", "Write the enumeration's log lines to standard error.");
    parser.addOptions({enrol, yes, timeLimit, hold, verbose});
    parser.process(app);
    bool numeric = false;
    const int seconds = parser.value(timeLimit).toInt(&numeric);
    if (!numeric || seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "orvane-probe: --time-limit takes 1 to 3600 seconds\n");
        return 2;
    }
    g_verbose = parser.isSet(verbose);
    qInstallMessageHandler(ProbeMessages);

    auto& platform = orvane::platform::ProcessPlatform();
    orvane::VcpAccess vcp(platform.MonitorConfig());
    // The tray program's settings decide which models it follows, so the
    // report and the enrolment judge by them, not by this tool's folder.
    const QString programDir = ProgramDir();
    orvane::MonitorInventory inventory(platform, vcp, programDir);
    int status = 0;
    if (parser.isSet(enrol)) {
        orvane::EnrolOptions options;
        options.timeLimitMs = seconds * 1000;
        options.assumeYes = parser.isSet(yes);
        status = orvane::RunEnrolment(platform, vcp, inventory, orvane::UserSettingsFilePath(), options,
                                      {Print, Ask, [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }});
    } else {
        const orvane::ProbeResult result = orvane::ProbeMonitors(platform, inventory, programDir);
        std::fputs(result.text.toUtf8().constData(), stdout);
        status = result.supported > 0 ? 0 : 1;
    }
    if (parser.isSet(hold))
        Ask("Press Enter to close.");
    return status;
}
