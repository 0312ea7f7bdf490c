#include "orvane/ui/MainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QHideEvent>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>

#include "common/Log.h"
#include "orvane/app/SiteUrls.h"
#include "common/UserPrompts.h"
#include "orvane/monitor/MissingPieces.h"
#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/ui/MainWindowForm.h"
#include "orvane/update/UpdateCheck.h"
#include "platform/host/NativeEventGlue.h"

namespace orvane {

namespace {

// Unattended runs (system tests, scripted demos) set ORVANE_AUTO_CONFIRM: a
// box is then written to standard error and answered with its default button.
int ExecOrAutoConfirm(QMessageBox& box)
{
    if (qEnvironmentVariableIsSet("ORVANE_AUTO_CONFIRM")) {
        const char* kind = box.icon() == QMessageBox::Warning ? "warning" : "information";
        std::fprintf(stderr, "box: %s | %s | %s\n", kind, qUtf8Printable(box.windowTitle()),
                     qUtf8Printable(box.text()));
        std::fflush(stderr);
        QAbstractButton* fallback = box.defaultButton() ? static_cast<QAbstractButton*>(box.defaultButton())
                                                        : box.buttons().value(0);
        return fallback ? box.standardButton(fallback) : QMessageBox::Ok;
    }
    return box.exec();
}

}  // namespace

WindowHooks WindowHooks::Default()
{
    WindowHooks hooks;
    hooks.execMessageBox = ExecOrAutoConfirm;
    hooks.exitProcess = [](int code) { std::exit(code); };
    hooks.prompts = CreateUserPrompts();
    return hooks;
}

MainWindow::MainWindow(MonitorContext& monitors, WindowHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      m_monitors(monitors),
      m_hooks(std::move(hooks)),
      m_strSiteUrl(ProductionSiteUrl()),
      m_strTestSiteUrl(TestSiteUrl())
{
    // The program ends at once for the updater; its tray icon goes first so
    // that no dead icon is left in the notification area.
    m_updateCheck = std::make_unique<UpdateCheck>(m_monitors.platform.System(), *m_hooks.prompts, [this] {
        if (m_pTrayIcon)
            m_pTrayIcon->hide();
        m_hooks.exitProcess(0);
    });
    if (m_monitors.inventory.m_nSupportedCount >= 1) {
        m_monitors.inventory.SelectMonitor(0);
        CreateMonitorArrays();
        SendRunningNotice(true);
        ui = std::make_unique<MainWindowClass>();
        ui->setupUi(this);
        CreateActions();
        CreateTrayIcon();
        InitMonitorSelection();
        UpdateMonitorState();
        CreatePollTimer();
        m_monitors.platform.Notices().Subscribe(
            [this](const platform::SystemNotice& notice) { HandleSystemNotice(notice); });
        // Never shown, so without this no native window would receive the
        // broadcast messages.
        platform::EnsureNativeWindow(*this);
    } else {
        // A stop signal or the session's end while the box waits for its
        // answer ends the program the orderly way, as the answer would.
        m_monitors.platform.Notices().Subscribe(
            [this](const platform::SystemNotice& notice) { HandleSystemNotice(notice); });
        ShowUnsupportedMessage(true);
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::UseTestSite()
{
    m_bTestSite = true;
    m_strSiteUrl = m_strTestSiteUrl;
}

void MainWindow::CreateMonitorArrays()
{
    const auto count = static_cast<std::size_t>(m_monitors.inventory.m_nSupportedCount);
    m_pOrientationMode.assign(count, 0);
    m_pSavedMode.assign(count, -1);
    m_pPivotValue.assign(count, -1);
}

void MainWindow::closeEvent(QCloseEvent*)
{
    SendRunningNotice(false);
    QCoreApplication::quit();
    m_hooks.exitProcess(0);
}

void MainWindow::showEvent(QShowEvent*) {}

void MainWindow::hideEvent(QHideEvent* event)
{
    if (m_pTrayIcon && m_pTrayIcon->isVisible()) {
        hide();
        event->ignore();
    }
}

void MainWindow::ShowUnsupportedMessage(bool exitOnOk)
{
    QMessageBox box;
    box.setWindowIcon(QIcon(QCoreApplication::applicationDirPath() + "/icon/icon_64.png"));
    box.setWindowTitle(tr("Important"));
    const QString tabs(7, QChar('\t'));
    const QString address = SupportFaqUrl();
    QString text = QString("This software supports specific KM series models only, or your monitor DDCCI function "
                           "is turn off. ") +
                   tabs + "Please click the link below to verify whether or not your model is supported. " + tabs +
                   "<br / >" + "<a href = \"" + address + "\">" + address + "</a>";
    // What is missing on this machine goes to the log and, where the
    // platform examined the monitors' access, into the box after the
    // standing text.
    const platform::DdcAccessReport report = m_monitors.platform.MonitorConfig().AccessReport();
    const QStringList missing = MissingPieces(report, m_monitors.inventory);
    for (const QString& line : missing)
        qCInfo(lcOrvane).noquote() << "No usable monitor:" << line;
    if (report.fault != platform::DdcAccessFault::NotExamined && !missing.isEmpty())
        text += "<br / >" + missing.join(' ').toHtmlEscaped();
    box.setText(text);
    box.setIcon(QMessageBox::Warning);
    const int result = m_hooks.execMessageBox(box);
    if (result == QMessageBox::Ok && exitOnOk)
        slotExit();
}

void MainWindow::slotLanguageChanged(QAction*) {}

bool MainWindow::HasCurrentMonitor() const
{
    const int k = m_monitors.inventory.m_nCurrentMonitor;
    return k >= 0 && k < m_monitors.monitors.Count() && static_cast<std::size_t>(k) < m_pOrientationMode.size();
}

SupportedMonitor& MainWindow::Monitor(int ordinal)
{
    return m_monitors.monitors[ordinal];
}

}  // namespace orvane
