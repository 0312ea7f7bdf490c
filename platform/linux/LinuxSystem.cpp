#include "platform/linux/LinuxSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/linux/session/Autostart.h"
#include "platform/version/VersionResource.h"

namespace orvane::platform::linuxplatform {

namespace {

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return (value && *value) ? std::string(value) : fallback;
}

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// 100-ns ticks between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kUnixEpochFileTime = 116444736000000000ULL;

}  // namespace

std::vector<std::string> LockFolders()
{
    std::vector<std::string> folders;
    const std::string cache = EnvOr("XDG_CACHE_HOME", EnvOr("HOME", "") + "/.cache");
    for (const std::string& folder : {EnvOr("XDG_RUNTIME_DIR", ""), cache, EnvOr("TMPDIR", ""), std::string("/tmp")}) {
        if (!folder.empty() && folder != "/.cache")
            folders.push_back(folder);
    }
    return folders;
}

std::string LinuxSystem::ModuleFileName()
{
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

InstanceLock LinuxSystem::AcquireSingleInstance(const std::string& name)
{
    // flock is released by the kernel when the process dies, so a crashed
    // instance never blocks the next start.
    // A folder the lock cannot be made in (not writable, missing) passes the
    // decision on to the next one; it never means that no instance runs.
    for (const std::string& folder : LockFolders()) {
        const std::string path = folder + "/" + name + "-" + std::to_string(::getuid()) + ".lock";
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return InstanceLock::Acquired;  // fd stays open for the life of the process
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? InstanceLock::AlreadyRunning : InstanceLock::Failed;
    }
    return InstanceLock::Failed;
}

bool LinuxSystem::IsRunAtStartup()
{
    return AutostartEntryPresent();
}

bool LinuxSystem::StartElevated(const std::string& file, const std::vector<std::string>& args, int)
{
    QStringList arguments;
    for (const auto& arg : args)
        arguments << QString::fromStdString(arg);
    // Administrator rights are only needed where the user cannot write the
    // installation folder; pkexec asks for them there.
    if (::access(DirectoryOf(file).c_str(), W_OK) == 0)
        return QProcess::startDetached(QString::fromStdString(file), arguments);
    arguments.prepend(QString::fromStdString(file));
    return QProcess::startDetached(QStringLiteral("pkexec"), arguments);
}

bool LinuxSystem::SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime)
{
    if (fileTime < kUnixEpochFileTime)
        return false;
    const std::uint64_t sinceEpoch = fileTime - kUnixEpochFileTime;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(sinceEpoch / 10000000ULL);
    times[1].tv_nsec = static_cast<long>((sinceEpoch % 10000000ULL) * 100);
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

VersionRead LinuxSystem::ReadFileVersion(const std::string& path, std::uint32_t& fileVersionMS,
                                         std::uint32_t& fileVersionLS)
{
    return version::ReadFixedFileVersion(path, fileVersionMS, fileVersionLS);
}

}  // namespace orvane::platform::linuxplatform
