#include "platform/win32/ModulePath.h"

#include "platform/win32/WinApi.h"

namespace orvane::platform::win32 {

std::wstring GrowingModuleFileName(const std::function<std::uint32_t(wchar_t* buffer, std::uint32_t size)>& call)
{
    // Starts at MAX_PATH and doubles while the call fills the whole buffer,
    // which is how it reports truncation; long-path names reach 32767.
    for (std::uint32_t size = MAX_PATH; size <= 65536; size *= 2) {
        std::wstring buffer(size, L'\0');
        const std::uint32_t length = call(&buffer[0], size);
        if (length == 0)
            return {};
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

std::wstring ModuleFileNameWide()
{
    return GrowingModuleFileName(
        [](wchar_t* buffer, std::uint32_t size) { return ::GetModuleFileNameW(nullptr, buffer, size); });
}

}  // namespace orvane::platform::win32
