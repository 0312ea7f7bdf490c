#include "platform/host/HostSharedFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform::host {

bool StatFileKey(const std::string& path, FileKey& key)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    key.device = info.st_dev;
    key.inode = info.st_ino;
    key.size = info.st_size;
    key.mtimeNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    key.ctimeNs = static_cast<long long>(info.st_ctim.tv_sec) * 1000000000LL + info.st_ctim.tv_nsec;
    return true;
}

FileLock::FileLock(const std::string& path)
{
    const int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0 && ::flock(fd, LOCK_EX) != 0)
        ::close(fd);
    else if (fd >= 0)
        m_handle = fd;
}

FileLock::~FileLock()
{
    if (m_handle != kNone)
        ::close(static_cast<int>(m_handle));
}

}  // namespace orvane::platform::host
