// The main of every test that needs an application object (event loops,
// worker threads, timers, D-Bus, networking, widgets): the application for
// the whole run, then the tests. Built once with widgets and once without.
#ifdef ORVANE_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
