// A file that several processes read and rewrite (the simulation's live
// state): an exclusive lock beside it and the identity that tells a
// rewritten file apart. Each OS folder implements it (host/HostSharedFile.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace orvane::platform::host {

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

}  // namespace orvane::platform::host
