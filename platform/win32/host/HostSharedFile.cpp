#include "platform/host/HostSharedFile.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WinApi.h"

namespace orvane::platform::host {

namespace {

long long Ticks(const FILETIME& time)
{
    return static_cast<long long>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

}  // namespace

bool StatFileKey(const std::string& path, FileKey& key)
{
    HANDLE file = ::CreateFileW(win32::Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != FALSE;
    ::CloseHandle(file);
    if (!ok)
        return false;
    key.device = info.dwVolumeSerialNumber;
    key.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    key.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    // 100-ns ticks, kept as they are: only equality matters.
    key.mtimeNs = Ticks(info.ftLastWriteTime);
    key.ctimeNs = Ticks(info.ftCreationTime);
    return true;
}

FileLock::FileLock(const std::string& path)
{
    HANDLE file = ::CreateFileW(win32::Widen(path + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        ::CloseHandle(file);
        return;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
}

FileLock::~FileLock()
{
    // Closing the handle releases the lock.
    if (m_handle != kNone)
        ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace orvane::platform::host
