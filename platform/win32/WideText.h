// UTF-8 <-> UTF-16 at the edge of the Windows layer: the seam speaks UTF-8,
// every Win32 call here takes the wide form.
#pragma once

#include <cstddef>
#include <string>

namespace orvane::platform::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// A fixed-size WCHAR field of a Win32 structure: up to its first zero, never
// past capacity even when the field is not terminated.
std::string NarrowField(const wchar_t* field, std::size_t capacity);

}  // namespace orvane::platform::win32
