// The logs and the updater's working folder stay in the user's own
// temporary folder, never in a shared one under a name others can take.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "common/Log.h"
#include "common/TempFolder.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

class Environment {
public:
    Environment() : m_tmp(qgetenv("TMPDIR")), m_runtime(qgetenv("XDG_RUNTIME_DIR")) {}
    ~Environment()
    {
        qputenv("TMPDIR", m_tmp);
        qputenv("XDG_RUNTIME_DIR", m_runtime);
    }

private:
    QByteArray m_tmp;
    QByteArray m_runtime;
};

int Mode(const QString& path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

TEST(TempFolder, TmpdirThenTheRuntimeFolder)
{
    Environment restore;
    const QString tmp = test::MakeScratchDir("own-tmp");
    const QString runtime = test::MakeScratchDir("runtime");
    qputenv("TMPDIR", tmp.toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    EXPECT_EQ(TempFolder(), tmp);
    EXPECT_EQ(LogFilePath(LogFlavor::Orvane), tmp + "/Orvane_log.txt");
    // Unset, naming nothing, or the root: the runtime folder.
    for (const QByteArray& value : {QByteArray(), QByteArray("/no/such/folder"), QByteArray("/")}) {
        if (value.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", value);
        EXPECT_EQ(LogFilePath(LogFlavor::Renovo), runtime + "/Renovo_log.txt") << value.constData();
    }
}

TEST(TempFolder, WithoutEitherAFolderOfTheUserAlone)
{
    const QString base = test::MakeScratchDir("shared");
    const QString named = base + "/orvane-" + QString::number(::geteuid());
    EXPECT_EQ(PrivateTempFolder(base), named);
    EXPECT_EQ(Mode(named), 0700);
    EXPECT_EQ(PrivateTempFolder(base), named);  // the same folder next time

    // Somebody opened it to others, or put a link or a file in its place: a
    // fresh folder of our own instead, never the taken name.
    ::chmod(QFile::encodeName(named).constData(), 0777);
    QString fresh = PrivateTempFolder(base);
    EXPECT_TRUE(fresh.startsWith(named + "-")) << qPrintable(fresh);
    EXPECT_EQ(Mode(fresh), 0700);
    QDir(named).removeRecursively();
    const QString elsewhere = test::MakeScratchDir("elsewhere");
    ::chmod(QFile::encodeName(elsewhere).constData(), 0700);
    ASSERT_TRUE(QFile::link(elsewhere, named));
    fresh = PrivateTempFolder(base);
    EXPECT_TRUE(fresh.startsWith(named + "-")) << qPrintable(fresh);
}

}  // namespace
}  // namespace orvane
