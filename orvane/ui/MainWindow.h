// The one top-level object of the tray program: owns the polling timer, the
// per-monitor modes, the tray icon with its menus, and the slots of every
// user action. The window itself is built but never shown.
#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTranslator>

#include <functional>
#include <memory>
#include <vector>

#include "orvane/monitor/MonitorContext.h"
#include "orvane/ui/TrayPictures.h"
#include "platform/Types.h"

class QAction;
class QActionGroup;
class QMenu;
class QMessageBox;
class QSignalMapper;
class QTimer;

namespace orvane {

class MainWindowClass;
class SupportedMonitor;
class UpdateCheck;
class UserPrompts;

// "Orvane v<major>.<minor>", set when the tray icon is built.
extern QByteArray g_strAppTitle;
// "<br / >" and the link to the product site, the About box's last line.
extern QString g_strAboutLink;

extern const char* const MENU_STYLE;

// How the window meets the user and the process; tests answer boxes and
// record exits instead.
struct WindowHooks {
    // Runs a modal box and returns the button pressed.
    std::function<int(QMessageBox&)> execMessageBox;
    // Ends the process at once (the C runtime's exit).
    std::function<void(int)> exitProcess;
    // The update check's boxes.
    std::shared_ptr<UserPrompts> prompts;
    // Whether the desktop has a notification area now; empty: ask Qt.
    std::function<bool()> trayAvailable;

    static WindowHooks Default();
};

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(MonitorContext& monitors, WindowHooks hooks = WindowHooks::Default(),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Switches later update checks to the test site.
    void UseTestSite();
    QByteArray SiteUrl() const { return m_strSiteUrl; }

    // The notice table: suspend/resume pause the polling, the rest is logged.
    void HandleSystemNotice(const platform::SystemNotice& notice);

    // What the user sees, for tests and the system-test harness.
    QSystemTrayIcon* TrayIcon() const { return m_pTrayIcon; }
    QMenu* TrayMenu() const { return m_pTrayMenu; }
    QString TrayIconPath() const { return m_strTrayIconPath; }
    QTimer* PollTimer() const { return m_pTimer; }
    QAction* StatusAction() const { return m_pStatusAction; }
    QAction* MonitorAction() const { return m_pMonitorAction; }
    QAction* SettingAction() const { return m_pSettingAction; }
    QAction* AutoAction() const { return m_pAutoAction; }
    QAction* LandscapeAction() const { return m_pLandscapeAction; }
    QAction* CW90Action() const { return m_pCW90Action; }
    QAction* CCW90Action() const { return m_pCCW90Action; }
    QAction* RunAtStartupAction() const { return m_pRunAtStartupAction; }
    QAction* AboutAction() const { return m_pAboutAction; }
    QAction* UpdateAction() const { return m_pUpdateAction; }
    QAction* ExitAction() const { return m_pExitAction; }
    const std::vector<QAction*>& MonitorActions() const { return m_ppMonitorActions; }
    int MonitorIndex() const { return m_nMonitorIndex; }
    const std::vector<int>& OrientationModes() const { return m_pOrientationMode; }
    const std::vector<int>& PivotValues() const { return m_pPivotValue; }

public slots:
    void slotLanguageChanged(QAction* action);
    void slotMonitorChanged(int n);
    void slotSetOrientation();
    void slotTimeout();
    void slotRegAddDel(bool checked);
    void slotAbout();
    void slotCheckUpdate();
    void slotExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

    void ShowUnsupportedMessage(bool exitOnOk);

private:
    // Constructor steps, in order.
    void CreateMonitorArrays();
    void CreateActions();
    void CreateMenus();
    void CreateTrayIcon();
    void InitMonitorSelection();
    void UpdateMonitorState();
    void CreatePollTimer();
    void SendRunningNotice(bool running);

    // Polling.
    bool GetPivotInfo();
    void ApplyPivotValue(int index);
    void ReloadMonitorInfo();
    void ResizeMonitorArrays();

    // The current menus' entry for an orientation mode (0 Auto to 3 CCW 90).
    QAction* OrientationAction(int mode) const;

    void ReleaseMenus();
    void DisposeRetiredMenus();

    // Marks a slot that may run an event loop of its own (a box, a download,
    // a platform call that pumps messages). Polling ticks run inside it, and a
    // reload there must not delete the entry whose slot is still on the stack.
    class NestedLoopScope {
    public:
        explicit NestedLoopScope(MainWindow& window);
        ~NestedLoopScope();
        NestedLoopScope(const NestedLoopScope&) = delete;
        NestedLoopScope& operator=(const NestedLoopScope&) = delete;

    private:
        MainWindow& m_window;
    };
    void SetTrayIconFile(const QString& path);
    void ShowStatusUnknown();
    bool HasCurrentMonitor() const;
    SupportedMonitor& Monitor(int ordinal);

    MonitorContext& m_monitors;
    WindowHooks m_hooks;

    bool m_bTestSite = false;
    QByteArray m_strSiteUrl;
    QByteArray m_strTestSiteUrl;

    std::unique_ptr<MainWindowClass> ui;
    std::unique_ptr<UpdateCheck> m_updateCheck;

    QTimer* m_pTimer = nullptr;
    QSignalMapper* m_pSignalMapper = nullptr;
    QTranslator m_translator;

    QSystemTrayIcon* m_pTrayIcon = nullptr;
    QMenu* m_pTrayMenu = nullptr;
    QMenu* m_pMonitorMenu = nullptr;
    QMenu* m_pOrientationMenu = nullptr;
    QActionGroup* m_pMonitorGroup = nullptr;
    QActionGroup* m_pOrientationGroup = nullptr;

    QAction* m_pMonitorAction = nullptr;
    QAction* m_pStatusAction = nullptr;
    QAction* m_pSettingAction = nullptr;
    QAction* m_pRunAtStartupAction = nullptr;
    QAction* m_pAboutAction = nullptr;
    QAction* m_pUpdateAction = nullptr;
    QAction* m_pExitAction = nullptr;
    std::vector<QAction*> m_ppMonitorActions;
    QAction* m_pAutoAction = nullptr;
    QAction* m_pLandscapeAction = nullptr;
    QAction* m_pCW90Action = nullptr;
    QAction* m_pCCW90Action = nullptr;

    int m_nMonitorIndex = 0;
    // One entry per supported monitor; they follow the count on every reload.
    std::vector<int> m_pOrientationMode;
    std::vector<int> m_pSavedMode;
    std::vector<int> m_pPivotValue;

    QString m_strTrayIconPath;
    TrayPictures m_trayPictures;

    int m_nNestedLoops = 0;
    // Actions, groups and menus replaced by a reload, released once no slot
    // that could have been started from them is running.
    std::vector<QPointer<QObject>> m_retiredMenus;
};

}  // namespace orvane
