// Stop signals become one end-of-session notice, delivered from the event
// loop; the program then takes the path of a closed window.
#include <signal.h>

#include <QDBusConnection>

#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/session/ShutdownWatcher.h"
#include "support/TestSupport.h"

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;

TEST(SessionEnd, EachStopSignalEndsTheSessionOnce)
{
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        std::vector<SystemNotice> notices;
        ShutdownWatcher watcher(QDBusConnection("orvane-no-bus"),
                                  [&notices](const SystemNotice& notice) { notices.push_back(notice); });
        ::raise(number);
        // Nothing happens inside the handler; the loop delivers it.
        EXPECT_TRUE(notices.empty());
        ASSERT_TRUE(orvane::test::WaitFor([&] { return !notices.empty(); }, 5000)) << number;
        EXPECT_EQ(notices[0].message, WM_ENDSESSION);
        EXPECT_EQ(notices[0].wParam, 1u);
        ::raise(SIGTERM);
        orvane::test::WaitFor([] { return false; }, 100);
        EXPECT_EQ(notices.size(), 1u);
    }
}
