#include "platform/host/HostFiles.h"

#include <io.h>

#include <string>

#include "platform/win32/LogFile.h"
#include "platform/win32/WinApi.h"

namespace orvane::platform::host {

namespace {

// UTF-16 as it is: a profile folder such as "José" must not pass through
// the ANSI code page.
const wchar_t* Wide(const QString& path)
{
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

}  // namespace

std::FILE* OpenLogForWriting(const QString& path)
{
    return win32::OpenLogForWriting(std::wstring(Wide(path), static_cast<std::size_t>(path.size())));
}

bool FlushToDisk(int fd)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != FALSE;
}

bool TruncateOpenFile(std::FILE* file, long size)
{
    return size >= 0 && std::fflush(file) == 0 && ::_chsize_s(::_fileno(file), size) == 0;
}

bool ReplaceWithStaged(const QString& staged, const QString& target)
{
    return ::MoveFileExW(Wide(staged), Wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool AddHardLink(const QString& existing, const QString& link)
{
    return ::CreateHardLinkW(Wide(link), Wide(existing), nullptr) != FALSE;
}

bool FlushFolder(const QString&)
{
    // MOVEFILE_WRITE_THROUGH already makes each rename durable.
    return true;
}

bool IsOwnedByThisUser(const QString&)
{
    return true;
}

const char* ExecutableSuffix()
{
    return ".exe";
}

}  // namespace orvane::platform::host
