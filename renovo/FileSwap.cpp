#include "renovo/FileSwap.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "common/CheckedFile.h"
#include "common/Log.h"
#include "common/ManifestEntry.h"
#include "common/UpdaterFiles.h"
#include "platform/host/HostFiles.h"

namespace orvane {

namespace {

const char kJournalHeader[] = "orvane-update-journal 1";
constexpr qint64 kMaxJournalSize = 1024 * 1024;

bool Exists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A journal name is one the plan could have made: a plain name, or one
// folder and a plain name, neither of them the updater's own.
bool IsPlannedName(const QString& name)
{
    const QStringList parts = name.split('/');
    if (parts.isEmpty() || parts.size() > 2)
        return false;
    for (const QString& part : parts) {
        if (!IsPlainName(part) || IsUpdaterStateName(part))
            return false;
    }
    return true;
}

// The copy stands in for the old file at an undo: it comes under the kept
// name only whole (a crash mid-copy must not leave half of it there to be
// put back), and with the old file's permissions and time stamp (the next
// check judges an unversioned file by its time).
bool CopyWhole(const QString& source, const QString& target)
{
    QFile in(source);
    CheckedFile out;
    if (!in.open(QIODevice::ReadOnly) || !out.CreateBeside(target))
        return false;
    QByteArray chunk;
    while (!(chunk = in.read(64 * 1024)).isEmpty()) {
        if (!out.Write(chunk.constData(), chunk.size()))
            return false;
    }
    if (in.error() != QFileDevice::NoError || !out.Finish())
        return false;
    const QString part = out.Path();
    // The time first: the old file's permissions may not let the copy be
    // opened for it.
    QFile stamp(part);
    bool same = stamp.open(QIODevice::ReadWrite)
        && stamp.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    stamp.close();
    same = same && QFile::setPermissions(part, in.permissions());
    if (same && platform::host::ReplaceWithStaged(part, target))
        return true;
    QFile::remove(part);
    return false;
}

void FlushFoldersOf(const QList<PlannedFile>& files, const QString& installDir)
{
    QSet<QString> folders{installDir};
    for (const PlannedFile& file : files)
        folders.insert(QFileInfo(file.installed).path());
    for (const QString& folder : folders)
        platform::host::FlushFolder(folder);
}

}  // namespace

FileSwap::FileSwap(QString installDir)
    : m_installDir(std::move(installDir)), m_replace(&platform::host::ReplaceWithStaged)
{
}

QString FileSwap::JournalPath() const
{
    return m_installDir + "/" + kJournalFileName;
}

bool FileSwap::WriteJournal(const QList<PlannedFile>& files)
{
    QByteArray text = QByteArray(kJournalHeader) + "\n";
    for (const PlannedFile& file : files)
        text += (file.replaces ? "replace " : "add ") + file.name.toUtf8() + "\n";
    CheckedFile journal;
    const bool written = journal.CreateBeside(JournalPath()) && journal.Write(text.constData(), text.size())
        && journal.CommitTo(JournalPath());
    if (!written)
        qCDebug(lcOrvane) << "Cannot write the update journal:" << journal.Problem();
    return written && platform::host::FlushFolder(m_installDir);
}

bool FileSwap::ReadJournal(QList<PlannedFile>& files) const
{
    QFile journal(JournalPath());
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = journal.read(kMaxJournalSize + 1);
    if (text.size() > kMaxJournalSize)
        return false;
    const QList<QByteArray> lines = text.split('\n');
    if (lines.value(0) != kJournalHeader || !text.endsWith('\n'))
        return false;
    for (int i = 1; i < lines.size() - 1; ++i) {
        const QByteArray& line = lines.at(i);
        const int blank = line.indexOf(' ');
        const QByteArray kind = line.left(blank);
        const QString name = QString::fromUtf8(line.mid(blank + 1));
        if (blank <= 0 || (kind != "replace" && kind != "add") || !IsPlannedName(name))
            return false;
        PlannedFile file = PlacesOf(name, m_installDir);
        file.replaces = kind == "replace";
        files.append(file);
    }
    return true;
}

bool FileSwap::KeepOld(const PlannedFile& file)
{
    QFile::remove(file.backup);
    // A second name for the old file leaves the installed path whole; where
    // the file system has no hard links, a copy does the same.
    const bool kept =
        platform::host::AddHardLink(file.installed, file.backup) || CopyWhole(file.installed, file.backup);
    // On disk before the rename that depends on it.
    if (kept && platform::host::FlushFolder(QFileInfo(file.backup).path()))
        return true;
    QFile::remove(file.backup);
    return false;
}

bool FileSwap::Undo(const PlannedFile& file)
{
    bool restored = true;
    if (file.replaces) {
        if (Exists(file.backup)) {
            restored = m_replace(file.backup, file.installed);
            // Both names of one file: the rename leaves the second one.
            if (restored && Exists(file.backup))
                QFile::remove(file.backup);
        }
    } else if (!Exists(file.staged) && Exists(file.installed)) {
        // The added file was swapped in; before the run there was none.
        restored = QFile::remove(file.installed);
    }
    if (Exists(file.staged))
        QFile::remove(file.staged);
    if (!restored)
        qCDebug(lcOrvane) << "Cannot put back" << file.installed;
    return restored;
}

QString FileSwap::SwapAll(const QList<PlannedFile>& files)
{
    if (!WriteJournal(files)) {
        QFile::remove(JournalPath());
        return QStringLiteral("the update journal cannot be written");
    }
    QString problem;
    int done = 0;
    for (; done < files.size(); ++done) {
        const PlannedFile& file = files.at(done);
        if (file.replaces && !KeepOld(file)) {
            problem = QStringLiteral("\"%1\" cannot be kept as \"%2\"").arg(file.installed, file.backup);
            break;
        }
        if (!m_replace(file.staged, file.installed)) {
            problem = QStringLiteral("\"%1\" cannot be put in place of \"%2\"").arg(file.staged, file.installed);
            ++done;  // its kept old file, if any, goes back too
            break;
        }
    }
    FlushFoldersOf(files, m_installDir);
    // The journal's removal is the moment the new release is in.
    if (problem.isEmpty() && !QFile::remove(JournalPath()))
        problem = QStringLiteral("the update journal cannot be removed");
    if (problem.isEmpty()) {
        platform::host::FlushFolder(m_installDir);
        return {};
    }
    bool undone = true;
    for (int i = done - 1; i >= 0; --i)
        undone = Undo(files.at(i)) && undone;
    for (const PlannedFile& file : files)
        QFile::remove(file.staged);
    FlushFoldersOf(files, m_installDir);
    // An old file that could not go back keeps the journal, so that the
    // next run tries again before anything else.
    if (!undone)
        return problem + QStringLiteral(", and not every old file could be put back");
    QFile::remove(JournalPath());
    return problem + QStringLiteral(", the old files are back in place");
}

void FileSwap::RemoveBackups(const QList<PlannedFile>& files)
{
    for (const PlannedFile& file : files) {
        if (Exists(file.backup))
            QFile::remove(file.backup);
    }
}

int FileSwap::UndoInterrupted()
{
    if (!Exists(JournalPath()))
        return 0;
    QList<PlannedFile> files;
    const bool readable = ReadJournal(files);
    if (!readable) {
        // Without the list, the kept old files found are all there is to go by.
        files.clear();
        const QFileInfoList folders = QFileInfoList{QFileInfo(m_installDir)}
            + QDir(m_installDir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& folder : folders) {
            if (folder.isSymLink())
                continue;
            const QString prefix = folder.filePath() == m_installDir ? QString() : folder.fileName() + "/";
            for (const QString& kept : QDir(folder.filePath()).entryList({QStringLiteral("*") + kBackupSuffix},
                                                                          QDir::Files | QDir::Hidden)) {
                PlannedFile file = PlacesOf(prefix + kept.chopped(int(qstrlen(kBackupSuffix))), m_installDir);
                file.replaces = true;
                files.append(file);
            }
        }
    }
    int restored = 0;
    bool undone = true;
    for (const PlannedFile& file : files) {
        const bool keptOld = file.replaces && Exists(file.backup);
        const bool done = Undo(file);
        undone = done && undone;
        if (done && keptOld)
            ++restored;
    }
    FlushFoldersOf(files, m_installDir);
    if (!undone)
        return kUndoIncomplete;
    QFile::remove(JournalPath());
    platform::host::FlushFolder(m_installDir);
    return readable ? restored : -1;
}

}  // namespace orvane
