// The tray program's main window driven against simulated monitors: the
// polling tick, the tray display, manual modes, monitor changes, notices and
// the boxes the user sees.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QEventLoop>
#include <QCloseEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QRegularExpression>
#include <QTimer>

#include "UiTestSupport.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const std::string kDisplay1 = "\\\\.\\DISPLAY1";
const std::string kDisplay2 = "\\\\.\\DISPLAY2";
const QString kRing = QString(QChar(0x02DA));

bool EndsWith(const QString& path, const char* tail)
{
    return path.endsWith(QString(tail));
}

// Removes the answer delay so the many reads of a test stay quick.
void NoDelays(QByteArray& json)
{
    json = QString::fromUtf8(json).replace(QRegularExpression("\"delayMs\": \\d+"), "\"delayMs\": 0").toUtf8();
}

// The rotation requests the simulation recorded, and the elevated starts.
QJsonArray Recorded(Rig& rig, const char* key)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(rig.Sim({"show"}))).object().value(key).toArray();
}

}  // namespace

TEST(Polling, ReadingTwoTurnsTheDesktopAndTheTrayToCw90)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    LogCapture log;
    rig.Sim({"pivot", "0", "2"});
    rig.Tick(*window);

    const auto stored = rig.Stored(kDisplay1);
    EXPECT_EQ(stored.orientation, 1u);
    EXPECT_EQ(stored.pelsWidth, 2160u);
    EXPECT_EQ(stored.pelsHeight, 3840u);
    EXPECT_EQ(window->StatusAction()->text(), "Status: CW90" + kRing);
    EXPECT_TRUE(window->StatusAction()->isEnabled());
    EXPECT_TRUE(EndsWith(window->TrayIconPath(), "/icon/icon_cw90_64.png"));

    QStringList order;
    for (const QString& line : log.LastTick()) {
        for (const char* key : {"Timer start", "Monitor Count Check Start: Monitor Count: 1", "hMonitor ",
                                "Monitor  0  Start Get Pivot info ", "Monitor  0  Get Pivot info done",
                                "Monitor  0  Get Pivot info success ,AA value : 2", "Timer end "}) {
            if (line == key || (QString(key) == "hMonitor " && line.startsWith(key)))
                order << key;
        }
    }
    EXPECT_EQ(order, QStringList({"Timer start", "Monitor Count Check Start: Monitor Count: 1", "hMonitor ",
                                  "Monitor  0  Start Get Pivot info ", "Monitor  0  Get Pivot info done",
                                  "Monitor  0  Get Pivot info success ,AA value : 2", "Timer end "}));
}

TEST(Polling, UpsideDownAndUnknownReadingsLeaveTheDesktopInLandscape)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    for (const char* reading : {"3", "0"}) {
        rig.Sim({"pivot", "0", reading});
        rig.Tick(*window);
        EXPECT_EQ(rig.Stored(kDisplay1).orientation, 0u) << reading;
        EXPECT_EQ(window->StatusAction()->text(), "Status: Landscape") << reading;
        EXPECT_TRUE(EndsWith(window->TrayIconPath(), "/icon/icon_landscape_64.png")) << reading;
    }
}

TEST(Polling, TheTrayKeepsItsPictureWhileTheReadingStaysAndSharesItWhenItComesBack)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    const auto picture = [&] { return window->TrayIcon()->icon().cacheKey(); };
    rig.Tick(*window);
    const qint64 landscape = picture();
    rig.Tick(*window);
    EXPECT_EQ(picture(), landscape);
    rig.Sim({"pivot", "0", "2"});
    rig.Tick(*window);
    const qint64 cw90 = picture();
    EXPECT_NE(cw90, landscape);
    rig.Tick(*window);
    EXPECT_EQ(picture(), cw90);
    rig.Sim({"pivot", "0", "1"});
    rig.Tick(*window);
    EXPECT_EQ(picture(), landscape);
}

TEST(Polling, FailingReadsReloadOnTheFourthTickAndAtMostThreeTimesInARow)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    LogCapture log;
    rig.Sim({"fail", "0", "on"});
    rig.Tick(*window);
    EXPECT_TRUE(log.Lines().contains("Monitor  0  Get Pivot info failed ,AA value : 4294967295"));
    EXPECT_EQ(window->StatusAction()->text(), "Status: ");
    EXPECT_FALSE(window->StatusAction()->isEnabled());

    const QString reload = "Monitor Reload info Start : Monitor Count: 1";
    rig.Tick(*window);
    rig.Tick(*window);
    EXPECT_EQ(log.Count(reload), 0);
    rig.Tick(*window);
    EXPECT_EQ(log.Count(reload), 1);
    for (int tick = 0; tick < 12; ++tick)
        rig.Tick(*window);
    EXPECT_EQ(log.Count(reload), 3);

    // A good read starts the count afresh.
    rig.Sim({"fail", "0", "off"});
    rig.Tick(*window);
    EXPECT_EQ(rig.vcp->m_nFailCountA, 0);
    EXPECT_EQ(rig.vcp->m_nFailCountB, 0);
}

TEST(Polling, AnAbandonedReadDoesNotCountAsAFailure)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    LogCapture log;
    rig.Sim({"silence", "0", "on"});
    rig.Tick(*window);
    EXPECT_TRUE(log.Lines().contains("Get Vcp Thread Abort , m_bStop= 0"));
    EXPECT_EQ(window->PivotValues().at(0), -1);
    EXPECT_EQ(rig.vcp->m_nFailCountA, 0);
    rig.Sim({"silence", "0", "off"});
}

TEST(ManualModes, PinnedMonitorIsReadButLeftAlone)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    LogCapture log;
    window->CW90Action()->trigger();
    EXPECT_TRUE(log.Lines().contains("manaul rotation"));
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 1u);
    EXPECT_EQ(window->OrientationModes().at(0), 2);
    EXPECT_TRUE(EndsWith(window->TrayIconPath(), "/icon/icon_landscape_64.png"));
    EXPECT_EQ(window->StatusAction()->text(), "Status: ");
    EXPECT_FALSE(window->StatusAction()->isEnabled());

    rig.Sim({"pivot", "0", "4"});
    rig.Tick(*window);
    EXPECT_EQ(window->PivotValues().at(0), 4);
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 1u);
    EXPECT_TRUE(EndsWith(window->TrayIconPath(), "/icon/icon_landscape_64.png"));
    EXPECT_FALSE(window->StatusAction()->isEnabled());
    EXPECT_TRUE(window->MonitorAction()->isEnabled());
    EXPECT_TRUE(window->SettingAction()->isEnabled());

    // Back to Auto: the last reading decides at once.
    window->AutoAction()->trigger();
    EXPECT_EQ(window->OrientationModes().at(0), 0);
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 3u);
}

TEST(ManualModes, AutoWithoutAReadingAndLandscapeTwiceTurnNothing)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    LogCapture log;
    window->CW90Action()->trigger();
    rig.Sim({"fail", "0", "on"});
    rig.Tick(*window);
    ASSERT_EQ(window->PivotValues().at(0), -1);
    // Auto with nothing read: the mode changes, the desktop waits for a tick.
    window->AutoAction()->trigger();
    EXPECT_EQ(window->OrientationModes().at(0), 0);
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 1u);

    const int requests = Recorded(rig, "rotations").size();
    window->LandscapeAction()->trigger();
    window->LandscapeAction()->trigger();
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 0u);
    EXPECT_EQ(Recorded(rig, "rotations").size(), requests + 1) << "the second pick asked again";
    EXPECT_EQ(log.Count("manaul rotation"), 4);
}

TEST(ManualModes, SelectedMonitorIsTheOneThatTurns)
{
    Rig rig("two-plus-unsupported.json", NoDelays);
    auto window = rig.MakeWindow();
    ASSERT_EQ(window->MonitorActions().size(), 2u);
    EXPECT_TRUE(window->MonitorActions()[0]->isChecked());
    EXPECT_TRUE(window->MonitorActions()[0]->text().startsWith("1. "));
    EXPECT_TRUE(window->MonitorActions()[1]->text().startsWith("2. "));

    window->MonitorActions()[1]->trigger();
    EXPECT_EQ(window->MonitorIndex(), 1);
    EXPECT_EQ(rig.inventory->m_nCurrentMonitor, 1);
    window->CCW90Action()->trigger();
    EXPECT_EQ(rig.Stored(kDisplay2).orientation, 3u);
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 0u);
    EXPECT_EQ(window->OrientationModes(), std::vector<int>({0, 3}));
}

TEST(MonitorChanges, UnplugRebuildsTheMenusWithTheFirstMonitorSelected)
{
    Rig rig("two-plus-unsupported.json", NoDelays);
    auto window = rig.MakeWindow();
    window->MonitorActions()[1]->trigger();
    LogCapture log;
    rig.Sim({"unplug", "1"});
    rig.Tick(*window);
    const QStringList lines = log.Lines();
    const int changed = lines.indexOf("Monitor Count Changed : Monitor Count: 2");
    ASSERT_GE(changed, 0);
    EXPECT_EQ(lines.indexOf("Monitor Reload info Start : Monitor Count: 2"), changed + 1);
    EXPECT_TRUE(lines.contains("Monitor Reload info End : Monitor Count: 1"));
    ASSERT_EQ(window->MonitorActions().size(), 1u);
    EXPECT_TRUE(window->MonitorActions()[0]->isChecked());
    EXPECT_EQ(window->MonitorIndex(), 0);
    EXPECT_EQ(window->OrientationModes().size(), 1u);
    EXPECT_EQ(window->TrayIcon()->contextMenu(), window->TrayMenu());

    // Plugged back: two entries again, still the first selected, new one in Auto.
    rig.Sim({"plug", "1"});
    rig.Tick(*window);
    ASSERT_EQ(window->MonitorActions().size(), 2u);
    EXPECT_TRUE(window->MonitorActions()[0]->isChecked());
    EXPECT_EQ(window->OrientationModes(), std::vector<int>({0, 0}));
}

TEST(MonitorChanges, NoSupportedMonitorLeftTakesTheEmptyPathEveryTick)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    LogCapture log;
    rig.Sim({"unplug", "0"});
    rig.Tick(*window);
    rig.Tick(*window);
    EXPECT_EQ(log.Count("Monitor = 0 End "), 2);
    const QStringList tick = log.LastTick();
    EXPECT_EQ(tick.filter(QRegularExpression("^Monitor = 0 Start  \".*/icon/icon_landscape_64.png\"$")).size(), 1);
    EXPECT_FALSE(window->MonitorAction()->isEnabled());
    EXPECT_FALSE(window->StatusAction()->isEnabled());
    EXPECT_FALSE(window->SettingAction()->isEnabled());
    // The remaining entries must not reach for a monitor that is gone.
    window->CW90Action()->trigger();
    window->AutoAction()->trigger();
    window->AboutAction()->trigger();
    window->slotMonitorChanged(1);
    EXPECT_EQ(rig.boxes.size(), 1u);
}

TEST(MonitorChanges, ReloadWhileTheAboutBoxIsOpenKeepsTheTriggeredEntryAlive)
{
    Rig rig("two-plus-unsupported.json", NoDelays);
    auto window = rig.MakeWindow();
    const QPointer<QAction> about = window->AboutAction();
    const QPointer<QMenu> menu = window->TrayMenu();
    bool aliveInBox = false;
    // The box's event loop runs a tick that finds a monitor unplugged.
    rig.whileBoxOpen = [&] {
        rig.Sim({"unplug", "1"});
        QEventLoop loop;
        QTimer::singleShot(0, [&] { rig.Tick(*window); });
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        aliveInBox = !about.isNull() && !menu.isNull();
    };
    about->trigger();
    rig.whileBoxOpen = nullptr;
    ASSERT_EQ(window->MonitorActions().size(), 1u);
    EXPECT_NE(window->AboutAction(), about.data());
    // The entry whose slot is still running and its menu outlive the box.
    EXPECT_TRUE(aliveInBox);
    EXPECT_FALSE(about.isNull());
    EXPECT_FALSE(menu.isNull());

    // Once that slot has returned, the old entries go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
    EXPECT_TRUE(menu.isNull());
}

TEST(MonitorChanges, OpenMenuOutlivesTheReloadOfEveryTickAndTakesTheClick)
{
    // One monitor device not active: the count check differs on every tick,
    // so every tick reloads and rebuilds the menus.
    Rig rig("two-plus-unsupported.json", [](QByteArray& json) {
        NoDelays(json);
        json.replace("\"id\": \"office\",", "\"id\": \"office\", \"active\": false,");
    });
    auto window = rig.MakeWindow();
    LogCapture log;
    const QPointer<QMenu> menu = window->TrayMenu();
    const QPointer<QAction> cw90 = window->CW90Action();
    menu->popup(QPoint(0, 0));
    rig.Tick(*window);
    rig.Tick(*window);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(log.Count("Monitor Reload info End : Monitor Count: 2"), 2);
    ASSERT_FALSE(menu.isNull());
    ASSERT_FALSE(cw90.isNull());
    EXPECT_TRUE(menu->isVisible());
    EXPECT_NE(window->TrayMenu(), menu.data());

    // A click closes the menu first, then fires the entry.
    menu->hide();
    cw90->trigger();
    EXPECT_EQ(rig.Stored(kDisplay1).orientation, 1u);
    EXPECT_EQ(window->OrientationModes().at(0), 2);
    EXPECT_TRUE(window->CW90Action()->isChecked());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(menu.isNull());
}

TEST(Notices, SuspendStopsTheTicksUntilResume)
{
    Rig rig("one-4k.json", NoDelays);
    auto window = rig.MakeWindow();
    window->PollTimer()->start(2500);
    LogCapture log;
    rig.Sim({"notice", "suspend"});
    ASSERT_TRUE(WaitFor([&] { return !window->PollTimer()->isActive(); }, 5000));
    EXPECT_TRUE(log.Lines().contains("**********************************Power Suspend"));
    EXPECT_EQ(rig.vcp->CapabilitiesLengthThread().m_bStop, 1);
    rig.Sim({"notice", "resume"});
    ASSERT_TRUE(WaitFor([&] { return window->PollTimer()->isActive(); }, 5000));
    EXPECT_EQ(window->PollTimer()->interval(), 2500);
    EXPECT_EQ(rig.vcp->CapabilitiesLengthThread().m_bStop, 0);
    window->PollTimer()->stop();

    log.Clear();
    window->HandleSystemNotice({platform::WM_DEVICECHANGE, platform::DBT_DEVICEARRIVAL});
    window->HandleSystemNotice({platform::WM_DEVICECHANGE, platform::DBT_DEVICEREMOVECOMPLETE});
    window->HandleSystemNotice({platform::WM_SETTINGCHANGE, platform::SPI_SETWORKAREA});
    window->HandleSystemNotice({platform::WM_POWERBROADCAST, 10});
    EXPECT_EQ(log.Lines(), QStringList({"**********************************Device Change",
                                        "**********************************DBT_DEVICEARRIVAL",
                                        "**********************************Device Change",
                                        "**********************************DBT_DEVICEREMOVECOMPLETE",
                                        "**********************************WM_SETTINGCHANGE",
                                        "**********************************SPI_SETWORKAREA"}));
}

TEST(AboutBox, ShowsFirmwareLevelsAndRetriesFailedReads)
{
    Rig rig("two-plus-unsupported.json", [](QByteArray& json) {
        NoDelays(json);
        json.replace("\"0xC9\": {\"current\": 257", "\"0xC9\": {\"current\": 786");  // 0x0312
    });
    rig.hasVersion = true;
    rig.versionMS = 0x00010002;
    rig.versionLS = 0x00000003;
    auto window = rig.MakeWindow();
    EXPECT_EQ(window->TrayIcon()->toolTip(), "Orvane v1.02");
    EXPECT_EQ(g_strAppTitle, QByteArray("Orvane v1.02"));

    // The second monitor's firmware read failed at start.
    (*rig.monitors)[1].firmwareLevel = -1;
    rig.Sim({"fail", "1", "on"});
    window->AboutAction()->trigger();
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_EQ(rig.boxes[0].title, "About");
    const QString text = rig.boxes[0].text;
    EXPECT_TRUE(text.startsWith("Orvane v1.02<br>"));
    EXPECT_EQ(text.count("<br>"), 2);
    EXPECT_TRUE(text.contains("ORV-27QHD FW version: M003<br>ORV-27UHD FW version: M255<br / ><a href = \""));
    EXPECT_EQ((*rig.monitors)[1].firmwareLevel, -1);

    rig.Sim({"fail", "1", "off"});
    window->AboutAction()->trigger();
    EXPECT_TRUE(rig.boxes[1].text.contains("ORV-27UHD FW version: M001"));
}

TEST(Tray, MenuEntriesStartNoticeAndExit)
{
    Rig rig("one-4k.json", [](QByteArray& json) {
        NoDelays(json);
        json.replace(json.indexOf('{'), 1, "{\"performElevatedStarts\": false,");
    });
    auto window = rig.MakeWindow();
    EXPECT_EQ(rig.Vcp(0, "0xCA"), 4u);
    EXPECT_TRUE(window->TrayIcon()->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Orvane");
    ASSERT_EQ(window->menuBar()->actions().size(), 1);
    EXPECT_EQ(window->menuBar()->actions()[0]->text(), "Language");

    QStringList entries;
    for (QAction* action : window->TrayMenu()->actions())
        entries << (action->isSeparator() ? "---" : action->text());
    EXPECT_EQ(entries, QStringList({"Monitor: ", "Status: ", "Setting", "Program Run at Startup", "About",
                                    "Check For Updates", "---", "Exit"}));
    EXPECT_EQ(window->TrayMenu()->styleSheet(), QString(MENU_STYLE));
    EXPECT_NE(window->MonitorAction()->menu(), nullptr);
    QStringList orientation;
    for (QAction* action : window->SettingAction()->menu()->actions())
        orientation << (action->isSeparator() ? "---" : action->text());
    EXPECT_EQ(orientation, QStringList({"Auto", "---", "Landscape", "CW 90" + kRing, "CCW 90" + kRing}));
    EXPECT_TRUE(window->AutoAction()->isChecked());

    // Unticked while no entry exists: the tool is still asked to delete it.
    ASSERT_FALSE(window->RunAtStartupAction()->isChecked());
    window->RunAtStartupAction()->setChecked(true);
    window->RunAtStartupAction()->trigger();
    const QJsonArray starts = Recorded(rig, "elevatedStarts");
    ASSERT_EQ(starts.size(), 1);
    EXPECT_TRUE(starts[0].toObject().value("file").toString().endsWith("/Kestrun"));
    EXPECT_EQ(starts[0].toObject().value("args").toArray(), QJsonArray({"0"}));

    window->ExitAction()->trigger();
    EXPECT_FALSE(window->TrayIcon()->isVisible());
    EXPECT_EQ(rig.Vcp(0, "0xCA"), 5u);
    EXPECT_EQ(rig.exits, std::vector<int>({0}));

    // A close event (log-off) ends the program the same way.
    rig.Sim({"set", "0", "0xCA", "0"});
    QCloseEvent close;
    QCoreApplication::sendEvent(window.get(), &close);
    EXPECT_EQ(rig.Vcp(0, "0xCA"), 5u);
    EXPECT_EQ(rig.exits, std::vector<int>({0, 0}));
}

TEST(Start, WithoutSupportedMonitorWarnsAndEnds)
{
    Rig rig("one-4k.json", [](QByteArray& json) { json.replace("\"id\": \"uhd\",", "\"id\": \"uhd\", \"attached\": false,"); });
    ASSERT_EQ(rig.inventory->m_nSupportedCount, 0);
    auto window = rig.MakeWindow();
    ASSERT_EQ(rig.boxes.size(), 1u);
    EXPECT_EQ(rig.boxes[0].title, "Important");
    EXPECT_TRUE(rig.boxes[0].text.startsWith(
        "This software supports specific KM series models only, or your monitor DDCCI function is turn off. "
        "\t\t\t\t\t\t\tPlease click the link below"));
    EXPECT_TRUE(rig.boxes[0].text.contains("\t\t\t\t\t\t\t<br / ><a href = \"http://"));
    EXPECT_TRUE(rig.boxes[0].text.contains("/support/faq/?q=Orvane</a>"));
    EXPECT_EQ(rig.exits, std::vector<int>({0}));
    EXPECT_EQ(window->TrayIcon(), nullptr);
    EXPECT_EQ(window->PollTimer(), nullptr);
}
