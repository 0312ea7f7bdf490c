// Starting the suite's helper executables and waiting for them with a
// deadline.
#pragma once

#include <string>
#include <vector>

namespace orvane::test {

// Folder of the running test executable, with a trailing backslash.
std::wstring OwnFolder();

// Runs exe (a full path) with the arguments; returns its exit code, or -1
// when it cannot be started or does not end within the deadline.
int RunAndWait(const std::wstring& exe, const std::vector<std::wstring>& args, unsigned deadlineMs = 30000);

// A fresh folder below %TEMP% for one test.
std::wstring ScratchFolder(const std::wstring& name);

std::string ReadUtf8File(const std::wstring& path);
// Replaces the file's content with text; false when not all of it was written.
bool WriteUtf8File(const std::wstring& path, const std::string& text);

}  // namespace orvane::test
