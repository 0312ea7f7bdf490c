#include "platform/win32/LogFile.h"

#include <fcntl.h>
#include <io.h>

#include <memory>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"

#include <aclapi.h>

namespace orvane::platform::win32 {

namespace {

// One class of the process token's information, or empty.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what)
{
    DWORD size = 0;
    ::GetTokenInformation(token, what, nullptr, 0, &size);
    std::vector<BYTE> data(size);
    if (size == 0 || !::GetTokenInformation(token, what, data.data(), size, &size))
        data.clear();
    return data;
}

bool IsOwnedByThisUser(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&::LocalFree)> held(descriptor, &::LocalFree);
    return owner != nullptr && IsThisUsersOwner(owner);
}

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

bool IsThisUsersOwner(void* ownerSid)
{
    HANDLE raw = nullptr;
    if (!ownerSid || !::IsValidSid(ownerSid) || !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    const UniqueHandle token(raw);
    const std::vector<BYTE> user = TokenInformation(token.Get(), TokenUser);
    if (!user.empty() && ::EqualSid(ownerSid, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid))
        return true;
    const std::vector<BYTE> owner = TokenInformation(token.Get(), TokenOwner);
    if (!owner.empty() && ::EqualSid(ownerSid, reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner))
        return true;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
        !::EqualSid(ownerSid, administrators))
        return false;
    // Listed at all, deny-only too: a filtered token keeps the group so.
    const std::vector<BYTE> groups = TokenInformation(token.Get(), TokenGroups);
    if (groups.empty())
        return false;
    const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    for (DWORD i = 0; i < list->GroupCount; ++i) {
        if (::EqualSid(list->Groups[i].Sid, administrators))
            return true;
    }
    return false;
}

std::FILE* OpenLogForWriting(const std::wstring& path)
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself instead of its
    // target; no FILE_FLAG_BACKUP_SEMANTICS, so a directory does not open.
    // No security attributes: the handle is not inheritable.
    // READ_CONTROL: the owner is read from the open handle too.
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid() || !IsPlainSingleFile(file.Get()) || !IsOwnedByThisUser(file.Get()))
        return nullptr;
    // Emptied only once it is known to be this user's plain file.
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
