#include "fuzz/support/FuzzSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orvane::fuzz {

namespace {

// The parsers log what they refuse; millions of runs would drown a campaign
// in those lines and slow it down. ORVANE_FUZZ_LOG=1 shows them when an
// input is looked into.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    static const bool show = qEnvironmentVariableIntValue("ORVANE_FUZZ_LOG") == 1;
    if (show || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

const bool quiet = [] {
    qInstallMessageHandler(QuietHandler);
    // Without TZ, every local time made (QSettings and QFileInfo compare
    // modification times as such) has the C library read the time zone
    // file again: a good part of a run for the targets that read files.
    qputenv("TZ", "UTC");
    return true;
}();

}  // namespace

const QString& ScratchFolder()
{
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        auto made = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/orvane-fuzz-XXXXXX");
        Check(made->isValid(), "no scratch folder in TMPDIR");
        return made;
    }();
    static const QString path = folder->path();
    return path;
}

QString WriteScratchFile(const QString& name, const void* data, std::size_t size)
{
    const QString path = ScratchFolder() + "/" + name;
    QFile file(path);
    // Targets write the same few names millions of times: the folders are
    // made only when the file cannot be opened without them.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    // A new modification time for every write: readers that cache a file
    // (QSettings) take a file of the same size and time for unchanged.
    static qint64 stamp = 0;
    const bool written = file.isOpen() && file.write(static_cast<const char*>(data), qint64(size)) == qint64(size) &&
                         file.setFileTime(QDateTime::fromSecsSinceEpoch(++stamp), QFileDevice::FileModificationTime);
    Check(written, "cannot write a scratch file");
    return path;
}

void Check(bool holds, const char* what)
{
    if (holds)
        return;
    (void)quiet;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace orvane::fuzz
