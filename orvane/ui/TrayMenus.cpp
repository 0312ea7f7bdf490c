// The tray icon, its context menu and the start/stop notice to the monitors.
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QSignalMapper>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>
#include <vector>

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/SupportedMonitorList.h"
#include "orvane/ui/MainWindow.h"
#include "orvane/ui/TrayHostWatcher.h"
#include "orvane/update/ProgramVersion.h"

namespace orvane {

QByteArray g_strAppTitle;

const char* const MENU_STYLE =
    "color: white;background-color: rgb(91, 89, 90);selection-background-color: rgb(42, 168, 165);";

namespace {

constexpr quint8 kRunningNoticeCode = 0xCA;
constexpr quint32 kRunning = 4;
constexpr quint32 kStopping = 5;

// Set by the build: distribution packages leave updating to the system.
constexpr bool kOffersUpdates = ORVANE_WITH_UPDATER;

}  // namespace

void MainWindow::CreateActions()
{
    m_pSignalMapper = new QSignalMapper(this);
    const int count = std::min(m_monitors.inventory.m_nSupportedCount, m_monitors.monitors.Count());
    m_ppMonitorActions.assign(static_cast<std::size_t>(std::max(0, count)), nullptr);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromLatin1(Monitor(i).identity.MonitorName()).simplified();
        auto* action = new QAction(QString::number(i + 1) + ". " + name, this);
        connect(action, SIGNAL(triggered(bool)), m_pSignalMapper, SLOT(map()));
        m_pSignalMapper->setMapping(action, i);
        action->setCheckable(true);
        m_ppMonitorActions[static_cast<std::size_t>(i)] = action;
    }
    connect(m_pSignalMapper, SIGNAL(mapped(int)), this, SLOT(slotMonitorChanged(int)));

    m_pAutoAction = new QAction(tr("Auto"), this);
    m_pLandscapeAction = new QAction(tr("Landscape"), this);
    m_pCW90Action = new QAction(tr("CW 90") + QChar(0x02DA), this);
    m_pCCW90Action = new QAction(tr("CCW 90") + QChar(0x02DA), this);
    int mode = 0;
    for (QAction* action : {m_pAutoAction, m_pLandscapeAction, m_pCW90Action, m_pCCW90Action}) {
        connect(action, SIGNAL(triggered(bool)), this, SLOT(slotSetOrientation()));
        action->setCheckable(true);
        // An entry of a menu replaced while it was open still says what it sets.
        action->setData(mode++);
    }

    m_pMonitorAction = new QAction(tr("Monitor: "), this);
    m_pStatusAction = new QAction(tr("Status: "), this);
    m_pSettingAction = new QAction(tr("Setting"), this);
    m_pRunAtStartupAction = new QAction(tr("Program Run at Startup"), this);
    m_pRunAtStartupAction->setCheckable(true);
    if (m_monitors.platform.System().IsRunAtStartup())
        m_pRunAtStartupAction->setChecked(true);
    connect(m_pRunAtStartupAction, SIGNAL(triggered(bool)), this, SLOT(slotRegAddDel(bool)));
    m_pAboutAction = new QAction(tr("About"), this);
    connect(m_pAboutAction, SIGNAL(triggered(bool)), this, SLOT(slotAbout()));
    m_pUpdateAction = new QAction(tr("Check For Updates"), this);
    connect(m_pUpdateAction, SIGNAL(triggered(bool)), this, SLOT(slotCheckUpdate()));
    m_pExitAction = new QAction(tr("Exit"), this);
    connect(m_pExitAction, SIGNAL(triggered(bool)), this, SLOT(slotExit()));
}

void MainWindow::CreateMenus()
{
    m_pMonitorGroup = new QActionGroup(this);
    for (QAction* action : m_ppMonitorActions)
        m_pMonitorGroup->addAction(action);
    m_pOrientationGroup = new QActionGroup(this);
    for (QAction* action : {m_pAutoAction, m_pLandscapeAction, m_pCW90Action, m_pCCW90Action})
        m_pOrientationGroup->addAction(action);

    m_pMonitorMenu = new QMenu(this);
    for (QAction* action : m_ppMonitorActions)
        m_pMonitorMenu->addAction(action);
    m_pMonitorMenu->setStyleSheet(MENU_STYLE);
    m_pMonitorAction->setMenu(m_pMonitorMenu);

    m_pOrientationMenu = new QMenu(this);
    m_pOrientationMenu->addAction(m_pAutoAction);
    m_pOrientationMenu->addSeparator();
    m_pOrientationMenu->addAction(m_pLandscapeAction);
    m_pOrientationMenu->addAction(m_pCW90Action);
    m_pOrientationMenu->addAction(m_pCCW90Action);
    m_pOrientationMenu->setStyleSheet(MENU_STYLE);
    m_pSettingAction->setMenu(m_pOrientationMenu);

    m_pTrayMenu = new QMenu(this);
    m_pTrayMenu->addAction(m_pMonitorAction);
    m_pTrayMenu->addAction(m_pStatusAction);
    m_pTrayMenu->addAction(m_pSettingAction);
    m_pTrayMenu->addAction(m_pRunAtStartupAction);
    m_pTrayMenu->addAction(m_pAboutAction);
    if (kOffersUpdates)
        m_pTrayMenu->addAction(m_pUpdateAction);
    m_pTrayMenu->addSeparator();
    m_pTrayMenu->addAction(m_pExitAction);
    m_pTrayMenu->setStyleSheet(MENU_STYLE);
}

void MainWindow::ReleaseMenus()
{
    std::vector<QObject*> old = {m_pSignalMapper, m_pMonitorGroup, m_pOrientationGroup, m_pMonitorMenu,
                                 m_pOrientationMenu, m_pTrayMenu, m_pAutoAction, m_pLandscapeAction,
                                 m_pCW90Action, m_pCCW90Action, m_pMonitorAction, m_pStatusAction,
                                 m_pSettingAction, m_pRunAtStartupAction, m_pAboutAction, m_pUpdateAction,
                                 m_pExitAction};
    old.insert(old.end(), m_ppMonitorActions.begin(), m_ppMonitorActions.end());
    m_ppMonitorActions.clear();
    // The menu the user has open keeps its entries until it closes: a reload
    // may run on every tick, and the click the user is about to make must
    // still land. Hiding comes before the chosen entry fires, and the release
    // is deferred past that.
    if (m_pTrayMenu && m_pTrayMenu->isVisible()) {
        auto shown = std::make_shared<std::vector<QPointer<QObject>>>(old.begin(), old.end());
        connect(m_pTrayMenu, &QMenu::aboutToHide, this, [this, shown] {
            m_retiredMenus.insert(m_retiredMenus.end(), shown->begin(), shown->end());
            shown->clear();
            DisposeRetiredMenus();
        });
        return;
    }
    for (QObject* object : old) {
        if (object)
            m_retiredMenus.emplace_back(object);
    }
    DisposeRetiredMenus();
}

void MainWindow::DisposeRetiredMenus()
{
    // Inside a box's event loop a deferred delete runs before the box closes,
    // that is while the slot of the entry that opened it is still running.
    if (m_nNestedLoops > 0)
        return;
    // Deferred even here: the tick that replaced them may itself have been
    // started from one of them.
    for (const QPointer<QObject>& object : m_retiredMenus) {
        if (object)
            object->deleteLater();
    }
    m_retiredMenus.clear();
}

MainWindow::NestedLoopScope::NestedLoopScope(MainWindow& window) : m_window(window)
{
    ++m_window.m_nNestedLoops;
}

MainWindow::NestedLoopScope::~NestedLoopScope()
{
    if (--m_window.m_nNestedLoops == 0)
        m_window.DisposeRetiredMenus();
}

void MainWindow::CreateTrayIcon()
{
    CreateMenus();
    m_pTrayIcon = new QSystemTrayIcon(this);
    SetTrayIconFile(QCoreApplication::applicationDirPath() + "/icon/icon_landscape_64.png");
    int major = 0, minor = 0, build = 0, revision = 0;
    g_strAppTitle = QByteArray("Orvane") + " v" +
                    ReadFileVersion(m_monitors.platform.System(), QCoreApplication::applicationFilePath(), major,
                                    minor, build, revision, 2)
                        .toUtf8();
    m_pTrayIcon->setToolTip(QString::fromUtf8(g_strAppTitle));
    m_pTrayIcon->setContextMenu(m_pTrayMenu);
    m_pTrayIcon->setVisible(true);
    m_pTrayIcon->showMessage(tr("Reminder:"), tr("Orvane is running"), QSystemTrayIcon::Information, 10000);
    auto* watcher = new TrayHostWatcher(*m_pTrayIcon, m_monitors.platform.System(),
                                        m_hooks.trayAvailable ? m_hooks.trayAvailable
                                                              : &QSystemTrayIcon::isSystemTrayAvailable,
                                        this);
    watcher->Start();
}

void MainWindow::SendRunningNotice(bool running)
{
    const int count = std::min(m_monitors.inventory.m_nSupportedCount, m_monitors.monitors.Count());
    for (int i = 0; i < count; ++i) {
        if (Monitor(i).capabilities)
            Monitor(i).SetVcp(kRunningNoticeCode, running ? kRunning : kStopping);
    }
}

void MainWindow::slotExit()
{
    if (m_pTrayIcon)
        m_pTrayIcon->setVisible(false);
    SendRunningNotice(false);
    QCoreApplication::quit();
    m_hooks.exitProcess(0);
}

}  // namespace orvane
