#include "common/CheckedFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include "common/UpdaterFiles.h"
#include "platform/host/HostFiles.h"

namespace orvane {

CheckedFile::~CheckedFile()
{
    if (m_created && !m_finished)
        Discard();
}

bool CheckedFile::Fail(const QString& why)
{
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("cannot write \"%1\": %2").arg(m_file.fileName(), why);
    return false;
}

bool CheckedFile::Create(const QString& path)
{
    m_file.setFileName(path);
    m_written = 0;
    m_created = false;
    m_finished = false;
    m_problem.clear();
    // Unbuffered: each write reaches the system at once, so its failure is
    // seen by the call that made it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        m_problem = QStringLiteral("cannot create \"%1\": %2").arg(path, m_file.errorString());
        return false;
    }
    m_created = true;
    return true;
}

bool CheckedFile::CreateBeside(const QString& target)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 32; ++attempt) {
        QString name = target + kPartInfix;
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))]);
        if (Create(name))
            return true;
        if (QFileInfo::exists(name) || QFileInfo(name).isSymLink())
            continue;
        return false;
    }
    return false;
}

bool CheckedFile::Write(const char* data, qint64 size)
{
    if (!m_problem.isEmpty() || !m_file.isOpen())
        return false;
    while (size > 0) {
        const qint64 wrote = m_file.write(data, size);
        if (wrote <= 0)
            return Fail(m_file.errorString());
        data += wrote;
        size -= wrote;
        m_written += wrote;
    }
    return true;
}

bool CheckedFile::Finish()
{
    if (m_problem.isEmpty() && !m_file.isOpen())
        Fail(QStringLiteral("not open"));
    if (m_problem.isEmpty() && !m_file.flush())
        Fail(m_file.errorString());
    if (m_problem.isEmpty() && !platform::host::FlushToDisk(m_file.handle()))
        Fail(QStringLiteral("the data cannot be forced to disk"));
    if (m_file.isOpen()) {
        m_file.close();
        if (m_problem.isEmpty() && m_file.error() != QFileDevice::NoError)
            Fail(m_file.errorString());
    }
    if (m_problem.isEmpty()) {
        const qint64 onDisk = QFileInfo(m_file.fileName()).size();
        if (onDisk != m_written)
            Fail(QStringLiteral("%1 bytes on disk, %2 written").arg(onDisk).arg(m_written));
    }
    if (!m_problem.isEmpty()) {
        Discard();
        return false;
    }
    m_finished = true;
    return true;
}

bool CheckedFile::CommitTo(const QString& target)
{
    if (!Finish())
        return false;
    if (!platform::host::ReplaceWithStaged(m_file.fileName(), target)) {
        m_problem = QStringLiteral("cannot put \"%1\" in place").arg(target);
        Discard();
        return false;
    }
    m_created = false;
    return true;
}

void CheckedFile::Discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (m_created)
        QFile::remove(m_file.fileName());
    m_created = false;
}

}  // namespace orvane
