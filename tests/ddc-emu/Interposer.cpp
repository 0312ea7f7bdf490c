// LD_PRELOAD interposer that puts the emulated monitors where a DDC/CI
// library looks for them. With ORVANE_DDC_EMU naming a state file, the
// process sees /dev/i2c-N, the /dev listing and the I2C and DRM parts of
// /sys from the state's made-up tree; transfers on an opened /dev/i2c-N go to
// the emulated monitor on that bus. Without the variable every call passes
// straight through. No real device node is ever opened for an emulated path.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <syslog.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "tests/ddc-emu/EmuState.h"
#include "tests/ddc-emu/Monitor.h"

using namespace orvane::ddcemu;

namespace {

template <typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

#define REAL(name) static const auto real_##name = Next<decltype(&::name)>(#name)

struct Active {
    State* state = nullptr;
    std::string root;
};

std::mutex g_mapLock;
std::string g_mappedPath;
State* g_state = nullptr;  // mappings are never undone: calls on an old one may still run
std::array<Monitor, kMaxMonitors>* g_monitors = nullptr;

// The state of the file the environment names now; a test may switch to a
// fresh set of monitors within one process.
State* CurrentState()
{
    const char* path = std::getenv("ORVANE_DDC_EMU");
    if (!path || !*path)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_mapLock);
    if (g_state && g_mappedPath == path)
        return g_state;
    const int fd = int(::syscall(SYS_openat, AT_FDCWD, path, O_RDWR | O_CLOEXEC));
    if (fd < 0)
        return nullptr;
    void* map = ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::syscall(SYS_close, fd);
    if (map == MAP_FAILED || static_cast<State*>(map)->magic != kMagic)
        return nullptr;
    g_state = static_cast<State*>(map);
    g_mappedPath = path;
    g_monitors = new std::array<Monitor, kMaxMonitors>();  // fresh bus state per set of monitors
    return g_state;
}

bool StartsWith(const char* path, const char* prefix)
{
    return std::strncmp(path, prefix, std::strlen(prefix)) == 0;
}

// The paths the made-up tree answers for; everything else is the machine's.
bool Emulated(const char* path)
{
    if (!path)
        return false;
    // The listings of /dev, /sys/bus and /sys/class come from the made-up
    // tree as a whole: a library looks there for "i2c-*", "i2c" and "drm".
    static const char* const kListed[] = {"/dev", "/dev/", "/sys/bus", "/sys/bus/", "/sys/class", "/sys/class/"};
    for (const char* listed : kListed) {
        if (std::strcmp(path, listed) == 0)
            return true;
    }
    if (StartsWith(path, "/dev/i2c-"))
        return true;
    static const char* const kSys[] = {"/sys/bus/i2c", "/sys/class/drm", "/sys/class/i2c-dev",
                                       "/sys/class/i2c-adapter", "/sys/devices/emulated"};
    for (const char* prefix : kSys) {
        const std::size_t n = std::strlen(prefix);
        if (std::strncmp(path, prefix, n) == 0 && (path[n] == '\0' || path[n] == '/'))
            return true;
    }
    return false;
}

// The path to use for path: the made-up one when emulated, else itself.
struct Redirect {
    explicit Redirect(const char* path)
    {
        State* state = Emulated(path) ? CurrentState() : nullptr;
        if (state) {
            text = std::string(state->root) + path;
            use = text.c_str();
        } else {
            use = path;
        }
    }
    std::string text;
    const char* use;
};

// Opened emulated buses: fd -> bus slot + 1, and the slave address chosen.
std::array<std::atomic<int>, 4096> g_fdMonitor{};
std::array<std::atomic<int>, 4096> g_fdAddress{};

int MonitorOfPath(const char* path)
{
    if (!StartsWith(path, "/dev/i2c-"))
        return -1;
    State* state = CurrentState();
    if (!state)
        return -1;
    const int bus = std::atoi(path + 9);
    for (std::uint32_t i = 0; i < state->monitorCount; ++i) {
        if (state->monitors[i].bus == bus)
            return int(i);
    }
    return -1;
}

void Track(int fd, const char* path)
{
    if (fd < 0 || fd >= int(g_fdMonitor.size()))
        return;
    const int monitor = MonitorOfPath(path);
    g_fdAddress[fd] = 0;
    g_fdMonitor[fd] = monitor + 1;
}

int TrackedMonitor(int fd)
{
    if (fd < 0 || fd >= int(g_fdMonitor.size()))
        return -1;
    return g_fdMonitor[fd].load() - 1;
}

void NoteCaller(State& state)
{
    thread_local State* noted = nullptr;
    if (noted == &state)
        return;
    noted = &state;
    const auto tid = std::int32_t(::syscall(SYS_gettid));
    const std::uint32_t slot = state.callerCount.fetch_add(1);
    if (slot < std::uint32_t(kMaxCallers))
        state.callers[slot] = tid;
}

int Transfer(int monitor, std::uint8_t address, bool read, std::uint8_t* data, std::size_t length)
{
    State* state = g_state;
    if (!state || monitor < 0 || std::uint32_t(monitor) >= state->monitorCount)
        return ENXIO;
    if (address == kDdcAddress)
        NoteCaller(*state);
    Monitor& emulated = (*g_monitors)[std::size_t(monitor)];
    MonitorState& shared = state->monitors[monitor];
    const int error =
        read ? emulated.Read(shared, address, data, length) : emulated.Write(shared, address, data, length);
    if (std::getenv("ORVANE_DDC_EMU_TRACE")) {
        std::string bytes;
        for (std::size_t i = 0; i < length && i < 40; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", data[i]);
            bytes += hex;
        }
        std::fprintf(stderr, "ddc-emu: bus %d %s 0x%02X %zu bytes (%s):%s\n", shared.bus, read ? "read" : "write",
                     address, length, error ? std::strerror(error) : "ok", bytes.c_str());
    }
    return error;
}

int Fail(int error)
{
    errno = error;
    return -1;
}

// A walk that starts from the real "/" (libudev resolves sysfs paths one
// component at a time) enters the made-up /sys instead.
bool IsRealRoot(int dirfd)
{
    struct stat root {};
    struct stat dir {};
    return ::syscall(SYS_newfstatat, AT_FDCWD, "/", &root, 0) == 0 &&
           ::syscall(SYS_newfstatat, dirfd, "", &dir, AT_EMPTY_PATH) == 0 && root.st_dev == dir.st_dev &&
           root.st_ino == dir.st_ino;
}

int OpenAt(int dirfd, const char* path, int flags, mode_t mode)
{
    REAL(openat);
    if (dirfd != AT_FDCWD && path && std::strcmp(path, "sys") == 0 && CurrentState() && IsRealRoot(dirfd))
        return real_openat(AT_FDCWD, (std::string(CurrentState()->root) + "/sys").c_str(), flags, mode);
    Redirect r(path);
    const int fd = real_openat(dirfd, r.use, flags, mode);
    if (fd >= 0 && r.use != path)
        Track(fd, path);
    return fd;
}

mode_t ModeOf(int flags, va_list args)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    return OpenAt(AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    return OpenAt(AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    return OpenAt(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    return OpenAt(dirfd, path, flags, mode);
}

int __open_2(const char* path, int flags)
{
    return OpenAt(AT_FDCWD, path, flags, 0);
}

int __open64_2(const char* path, int flags)
{
    return OpenAt(AT_FDCWD, path, flags, 0);
}

int __openat_2(int dirfd, const char* path, int flags)
{
    return OpenAt(dirfd, path, flags, 0);
}

FILE* fopen(const char* path, const char* how)
{
    REAL(fopen);
    return real_fopen(Redirect(path).use, how);
}

FILE* fopen64(const char* path, const char* how)
{
    REAL(fopen64);
    return real_fopen64(Redirect(path).use, how);
}

DIR* opendir(const char* path)
{
    REAL(opendir);
    return real_opendir(Redirect(path).use);
}

int scandir(const char* path, struct dirent*** list, int (*filter)(const struct dirent*),
            int (*compare)(const struct dirent**, const struct dirent**))
{
    REAL(scandir);
    return real_scandir(Redirect(path).use, list, filter, compare);
}

int stat(const char* path, struct stat* out)
{
    REAL(stat);
    return real_stat(Redirect(path).use, out);
}

int stat64(const char* path, struct stat64* out)
{
    REAL(stat64);
    return real_stat64(Redirect(path).use, out);
}

int lstat(const char* path, struct stat* out)
{
    REAL(lstat);
    return real_lstat(Redirect(path).use, out);
}

int lstat64(const char* path, struct stat64* out)
{
    REAL(lstat64);
    return real_lstat64(Redirect(path).use, out);
}

int fstatat(int dirfd, const char* path, struct stat* out, int flags)
{
    REAL(fstatat);
    return real_fstatat(dirfd, Redirect(path).use, out, flags);
}

int fstatat64(int dirfd, const char* path, struct stat64* out, int flags)
{
    REAL(fstatat64);
    return real_fstatat64(dirfd, Redirect(path).use, out, flags);
}

int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* out)
{
    REAL(statx);
    return real_statx(dirfd, Redirect(path).use, flags, mask, out);
}

int access(const char* path, int how)
{
    REAL(access);
    return real_access(Redirect(path).use, how);
}

int faccessat(int dirfd, const char* path, int how, int flags)
{
    REAL(faccessat);
    return real_faccessat(dirfd, Redirect(path).use, how, flags);
}

ssize_t readlink(const char* path, char* buffer, size_t size)
{
    REAL(readlink);
    return real_readlink(Redirect(path).use, buffer, size);
}

// libudev accepts only paths on sysfs: the made-up /sys says it is one.
int fstatfs(int fd, struct statfs* out)
{
    REAL(fstatfs);
    const int result = real_fstatfs(fd, out);
    State* state = result == 0 ? CurrentState() : nullptr;
    if (!state)
        return result;
    char link[64];
    char target[1024];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::syscall(SYS_readlinkat, AT_FDCWD, link, target, sizeof target - 1);
    if (n > 0) {
        target[n] = '\0';
        const std::string sys = std::string(state->root) + "/sys";
        if (std::strncmp(target, sys.c_str(), sys.size()) == 0)
            out->f_type = 0x62656572;  // SYSFS_MAGIC
    }
    return result;
}

int fstatfs64(int fd, struct statfs64* out)
{
    return fstatfs(fd, reinterpret_cast<struct statfs*>(out));
}

ssize_t readlinkat(int dirfd, const char* path, char* buffer, size_t size)
{
    REAL(readlinkat);
    return real_readlinkat(dirfd, Redirect(path).use, buffer, size);
}

char* __realpath_chk(const char* path, char* resolved, size_t)
{
    return realpath(path, resolved);
}

char* realpath(const char* path, char* resolved)
{
    REAL(realpath);
    Redirect r(path);
    char* result = real_realpath(r.use, resolved);
    // Hand back a path of the emulated world, not of the made-up tree.
    if (result && r.use != path && g_state) {
        const std::size_t n = std::strlen(g_state->root);
        if (std::strncmp(result, g_state->root, n) == 0)
            std::memmove(result, result + n, std::strlen(result + n) + 1);
    }
    return result;
}

// The library's system-log lines would go to the machine's console when no
// log daemon listens; an emulated run keeps them to itself.
void openlog(const char* ident, int option, int facility)
{
    REAL(openlog);
    if (!std::getenv("ORVANE_DDC_EMU"))
        real_openlog(ident, option, facility);
}

void __syslog_chk(int priority, int flag, const char* format, ...)
{
    if (std::getenv("ORVANE_DDC_EMU"))
        return;
    va_list args;
    va_start(args, format);
    (void)flag;
    vsyslog(priority, format, args);
    va_end(args);
}

void syslog(int priority, const char* format, ...)
{
    if (std::getenv("ORVANE_DDC_EMU"))
        return;
    va_list args;
    va_start(args, format);
    vsyslog(priority, format, args);
    va_end(args);
}

int close(int fd)
{
    REAL(close);
    if (fd >= 0 && fd < int(g_fdMonitor.size()))
        g_fdMonitor[fd] = 0;
    return real_close(fd);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    REAL(read);
    const int monitor = TrackedMonitor(fd);
    if (monitor < 0)
        return real_read(fd, buffer, size);
    const int error = Transfer(monitor, std::uint8_t(g_fdAddress[fd].load()), true,
                               static_cast<std::uint8_t*>(buffer), size);
    return error ? Fail(error) : ssize_t(size);
}

ssize_t write(int fd, const void* buffer, size_t size)
{
    REAL(write);
    const int monitor = TrackedMonitor(fd);
    if (monitor < 0)
        return real_write(fd, buffer, size);
    const int error = Transfer(monitor, std::uint8_t(g_fdAddress[fd].load()), false,
                               static_cast<std::uint8_t*>(const_cast<void*>(buffer)), size);
    return error ? Fail(error) : ssize_t(size);
}

int ioctl(int fd, unsigned long request, ...)
{
    REAL(ioctl);
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    const int monitor = TrackedMonitor(fd);
    if (monitor < 0)
        return real_ioctl(fd, request, argument);
    switch (request) {
    case I2C_SLAVE:
    case I2C_SLAVE_FORCE:
        g_fdAddress[fd] = int(reinterpret_cast<std::uintptr_t>(argument) & 0x7F);
        return 0;
    case I2C_FUNCS:
        *static_cast<unsigned long*>(argument) = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
        return 0;
    case I2C_TIMEOUT:
    case I2C_RETRIES:
    case I2C_TENBIT:
    case I2C_PEC:
        return 0;
    case I2C_RDWR: {
        auto* transfer = static_cast<i2c_rdwr_ioctl_data*>(argument);
        if (std::getenv("ORVANE_DDC_EMU_TRACE"))
            std::fprintf(stderr, "ddc-emu: I2C_RDWR with %u messages\n", transfer->nmsgs);
        for (__u32 i = 0; i < transfer->nmsgs; ++i) {
            const i2c_msg& message = transfer->msgs[i];
            const int error = Transfer(monitor, std::uint8_t(message.addr), (message.flags & I2C_M_RD) != 0,
                                       message.buf, message.len);
            if (error)
                return Fail(error);
        }
        return int(transfer->nmsgs);
    }
    default:
        return Fail(ENOTTY);
    }
}

}  // extern "C"
