// The file operations of the log, the updater and the simulation whose form
// differs per OS. Each OS folder implements them (host/HostFiles.cpp under
// platform/linux and platform/win32); the build compiles the one of its OS.
#pragma once

#include <QString>

#include <cstdio>

namespace orvane::platform::host {

// Opens path for writing, emptied ("w+"), with a descriptor the programs
// this one starts do not inherit. nullptr, leaving whatever is there
// untouched, unless the path holds this user's own plain file with a single
// link (or nothing, when the file is created): a link, a directory, a device
// or a hard-linked file is neither written through nor emptied.
std::FILE* OpenLogForWriting(const QString& path);

// Forces what was written through the open descriptor fd onto the disk.
bool FlushToDisk(int fd);

// Cuts the open stream's file to size bytes (the stream flushed first); the
// stream's position is left for the caller to set.
bool TruncateOpenFile(std::FILE* file, long size);

// Puts staged in place of target in one step, target replaced when it
// exists: the path holds either the old or the new file, also after a
// power cut once this returns true.
bool ReplaceWithStaged(const QString& staged, const QString& target);

// Makes link a second name of the existing file (a hard link); false where
// the file system has none or link exists already.
bool AddHardLink(const QString& existing, const QString& link);

// Forces the folder's entries (names created, renamed or removed in it) onto
// the disk; true where the OS offers nothing of the kind.
bool FlushFolder(const QString& folder);

// Whether the file or folder at path belongs to this process's user.
// Windows: always true; the user's temporary folder is in the user's own
// profile there.
bool IsOwnedByThisUser(const QString& path);

// What the OS appends to a program's file name: ".exe" or nothing.
const char* ExecutableSuffix();

}  // namespace orvane::platform::host
