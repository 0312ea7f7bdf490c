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
// directory, a device or pipe, or a file with more than one hard link (which
// would write into a file elsewhere).
std::FILE* OpenLogForWriting(const std::wstring& path);

}  // namespace orvane::platform::win32
