#include "renovo/WorkFolder.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include "common/Log.h"
#include "common/TempFolder.h"
#include "common/UpdateWorkDir.h"
#include "common/UpdaterFiles.h"

namespace orvane {

namespace {

// Empties a folder this process owns; removeRecursively never follows links.
bool Empty(const QString& path)
{
    bool ok = true;
    const QFileInfoList items =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& item : items) {
        if (item.isDir() && !item.isSymLink())
            ok = QDir(item.filePath()).removeRecursively() && ok;
        else
            ok = QFile::remove(item.filePath()) && ok;
    }
    return ok;
}

void RemoveStagedIn(const QString& folder)
{
    const QStringList patterns = {QStringLiteral("*") + kStagedSuffix, QStringLiteral("*") + kBackupSuffix,
                                  QStringLiteral("*") + kPartInfix + "*"};
    const QFileInfoList staged = QDir(folder).entryInfoList(patterns, QDir::Files | QDir::System | QDir::Hidden);
    for (const QFileInfo& file : staged) {
        qCDebug(lcOrvane) << "Removing leftover" << file.filePath();
        QFile::remove(file.filePath());
    }
}

}  // namespace

bool WorkFolder::Prepare()
{
    const QString shared = UpdateWorkDir();
    if (!QFileInfo::exists(shared) && !QFileInfo(shared).isSymLink())
        QDir().mkdir(shared);
    if (IsPrivateFolder(shared) && Empty(shared)) {
        m_path = shared;
        return true;
    }
    qCDebug(lcOrvane) << "Working folder" << shared << "is not this user's own; using a private one";
    m_private = std::make_unique<QTemporaryDir>(TempFolder() + "/Renovo-XXXXXX");
    if (m_private->isValid() && IsPrivateFolder(m_private->path())) {
        m_path = m_private->path();
        return true;
    }
    m_private.reset();
    qCDebug(lcOrvane) << "Refused working folder" << shared;
    return false;
}

void WorkFolder::Release()
{
    m_private.reset();
}

void RemoveStagedLeftovers(const QString& installDir)
{
    RemoveStagedIn(installDir);
    const QFileInfoList folders = QDir(installDir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        if (!folder.isSymLink())
            RemoveStagedIn(folder.filePath());
    }
}

}  // namespace orvane
