// The log's size bound: a program left running at trace level 4 writes some
// 55 MB a day, into a temporary folder that may live in memory (tmpfs). At
// kLogLimitBytes the oldest lines give way and the file keeps its newest
// lines, about kLogKeptBytes of them, starting with a whole line; writing
// goes on behind them.
#pragma once

#include <cstdio>

namespace orvane {

constexpr long kLogLimitBytes = 8L * 1024 * 1024;
constexpr long kLogKeptBytes = kLogLimitBytes / 2;

// Moves the last keepBytes of the open stream (from the first line that
// starts within them, or the last line whole when it alone is longer) to its
// front and cuts the file behind them. Returns the file's new size, or -1
// when the file could not be read, written or cut (it then holds what it
// held, or the kept lines followed by older ones). The stream must be open
// for reading and writing; afterwards it writes at its end.
long KeepNewestLines(std::FILE* file, long keepBytes);

}  // namespace orvane
