#include "platform/host/HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

namespace orvane::platform::host {

std::FILE* OpenLogForWriting(const QString& path)
{
    // O_NOFOLLOW: a link is not opened at all; O_NONBLOCK: a planted FIFO
    // does not block the open. O_CLOEXEC: not inherited.
    const int fd = ::open(path.toUtf8().constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
    // Emptied only once it is known to be this user's own plain file.
    std::FILE* file = ours && ::ftruncate(fd, 0) == 0 ? ::fdopen(fd, "w+") : nullptr;
    if (!file)
        ::close(fd);
    return file;
}

bool FlushToDisk(int fd)
{
    return ::fsync(fd) == 0;
}

bool TruncateOpenFile(std::FILE* file, long size)
{
    return size >= 0 && std::fflush(file) == 0 && ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0;
}

bool ReplaceWithStaged(const QString& staged, const QString& target)
{
    return std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) == 0;
}

bool AddHardLink(const QString& existing, const QString& link)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
}

bool FlushFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

bool IsOwnedByThisUser(const QString& path)
{
    return QFileInfo(path).ownerId() == ::geteuid();
}

const char* ExecutableSuffix()
{
    return "";
}

}  // namespace orvane::platform::host
