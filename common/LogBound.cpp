#include "common/LogBound.h"

#include <vector>

#include "platform/host/HostFiles.h"

namespace orvane {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Positions are the stream's own (ftell), so the same code serves streams
// in text mode, which write "\r\n" for each "\n" on Windows.
long SkipToNextLine(std::FILE* file)
{
    int c = 0;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
    }
    return c == EOF ? -1 : std::ftell(file);
}

// Where the stream's last line starts; size is where it ends. Read from the
// front: it is only asked for when one line outgrew what is kept.
long LastLineStart(std::FILE* file, long size)
{
    if (std::fseek(file, 0, SEEK_SET) != 0)
        return -1;
    long start = 0;
    for (long next = SkipToNextLine(file); next >= 0 && next < size; next = SkipToNextLine(file))
        start = next;
    return start;
}

}  // namespace

long KeepNewestLines(std::FILE* file, long keepBytes)
{
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long size = std::ftell(file);
    if (size < 0)
        return -1;
    if (size <= keepBytes)
        return size;
    if (std::fseek(file, size - keepBytes, SEEK_SET) != 0)
        return -1;
    long from = SkipToNextLine(file);
    // The newest line alone is longer than what is kept: it is the one just
    // written, and is kept whole rather than lost.
    if (from == size)
        from = LastLineStart(file, size);
    if (from < 0)
        from = size;  // no whole line in the kept part: nothing is kept
    long to = 0;
    std::vector<char> chunk(kChunk);
    for (;;) {
        if (std::fseek(file, from, SEEK_SET) != 0)
            return -1;
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file);
        if (count == 0)
            break;
        from = std::ftell(file);
        if (from < 0 || std::fseek(file, to, SEEK_SET) != 0 || std::fwrite(chunk.data(), 1, count, file) != count)
            return -1;
        to = std::ftell(file);
        if (to < 0)
            return -1;
    }
    if (std::ferror(file) || std::fflush(file) != 0 || !platform::host::TruncateOpenFile(file, to) ||
        std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    return to;
}

}  // namespace orvane
