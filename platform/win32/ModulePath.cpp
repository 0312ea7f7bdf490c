#include "platform/win32/ModulePath.h"

#include "platform/win32/WinApi.h"

namespace orvane::platform::win32 {

std::wstring ModuleFileNameWide()
{
    // Starts at MAX_PATH and doubles while the call fills the whole buffer,
    // which is how it reports truncation; long-path names reach 32767.
    for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, &buffer[0], size);
        if (length == 0)
            return {};
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

}  // namespace orvane::platform::win32
