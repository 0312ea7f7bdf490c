#include "platform/win32/LogFile.h"

#include <fcntl.h>
#include <io.h>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"

namespace orvane::platform::win32 {

namespace {

// Checked on the open handle, so nothing can be swapped in between the
// check and the use.
bool IsPlainSingleFile(HANDLE file)
{
    if (::GetFileType(file) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return (info.dwFileAttributes & refused) == 0 && info.nNumberOfLinks == 1;
}

}  // namespace

std::FILE* OpenLogForWriting(const std::wstring& path)
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself instead of its
    // target; no FILE_FLAG_BACKUP_SEMANTICS, so a directory does not open.
    // No security attributes: the handle is not inheritable.
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr));
    if (!file.Valid() || !IsPlainSingleFile(file.Get()))
        return nullptr;
    // Emptied only once it is known to be a plain file of its own.
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get()))
        return nullptr;
    // Text mode, as the log has always been written on Windows.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.Get()), _O_RDWR | _O_TEXT);
    if (fd < 0)
        return nullptr;
    file.Release();  // the descriptor owns the handle now
    std::FILE* stream = ::_fdopen(fd, "w+");
    if (!stream)
        ::_close(fd);
    return stream;
}

}  // namespace orvane::platform::win32
