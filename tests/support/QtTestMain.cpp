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

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// ctest runs each test through run-isolated.sh; a test program started by
// hand would otherwise write and delete the user's real settings, log and
// autostart entries. It gets the same kind of scratch folders instead.
std::unique_ptr<QTemporaryDir> IsolateWhenRunByHand()
{
    if (!qEnvironmentVariableIsEmpty("ORVANE_TEST_DIR"))
        return nullptr;
    auto root = std::make_unique<QTemporaryDir>();
    if (!root->isValid())
        qFatal("cannot make a scratch folder for the test run");
    const QString base = root->path();
    for (const char* name : {"TMPDIR", "HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = base + "/" + QString::fromLatin1(name).toLower();
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, folder.toLocal8Bit());
    }
    qputenv("ORVANE_TEST_DIR", base.toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("ORVANE_PLATFORM");
    qunsetenv("ORVANE_SITE_HOST");
    return root;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto scratch = IsolateWhenRunByHand();
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
