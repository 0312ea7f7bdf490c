// The file operations under the live state that need the OS: an exclusive
// lock, an atomic replace and the file's identity. One implementation per
// OS (SimFilesPosix.cpp, SimFilesWin32.cpp), chosen by CMake.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::platform::sim {

// What tells a rewritten file apart: device, file number, size and times.
struct FileKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    long long mtimeNs = 0;
    long long ctimeNs = 0;
    bool operator==(const FileKey& other) const
    {
        return device == other.device && inode == other.inode && size == other.size && mtimeNs == other.mtimeNs &&
               ctimeNs == other.ctimeNs;
    }
};

bool StatFileKey(const std::string& path, FileKey& key);

// Holds the exclusive lock of "<path>.lock" for its lifetime.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_handle != kNone; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t m_handle = kNone;
};

// Renames from over to in one step; removes from when that fails.
bool RenameOver(const std::string& from, const std::string& to);

unsigned long ProcessId();

}  // namespace orvane::platform::sim
