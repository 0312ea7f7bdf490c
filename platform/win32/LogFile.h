// The log file of a program that may run with more rights than the other
// users of its folder: opened only when what sits at its path is this
// process's own kind of file, never written through or emptied otherwise.
#pragma once

#include <cstdio>
#include <string>

namespace orvane::platform::win32 {

// Opens (creating when missing) path for writing and reading, emptied, as a
// text stream whose handle child processes do not inherit. nullptr, with
// the file untouched, when the path holds a link or other reparse point, a
// directory, a device or pipe, a file with more than one hard link (which
// would write into a file elsewhere), or a file another user owns.
std::FILE* OpenLogForWriting(const std::wstring& path);

// Whether a file with this owner (a SID) is this process's user's own: the
// user, the default owner of what this process creates, or the
// Administrators group when the user belongs to it (an elevated run of the
// same user, such as the updater, leaves its files owned by that group).
bool IsThisUsersOwner(void* ownerSid);

}  // namespace orvane::platform::win32
