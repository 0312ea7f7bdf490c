#include "platform/win32/Win32Registry.h"

#include "platform/win32/WinApi.h"

#include <string>

#include "platform/win32/RegistryPath.h"
#include "platform/win32/RegistryValue.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace orvane::platform::win32 {

static_assert(KEY_READ == 0x20019, "KEY_READ");

namespace {

// Registry key names are at most 255 characters.
constexpr DWORD kMaxKeyName = 256;

bool OpenForReading(const std::string& keyPath, UniqueKey& key)
{
    RegistryPath path;
    if (!ParseRegistryPath(keyPath, path))
        return false;
    return ::RegOpenKeyExW(path.root, path.subKey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

std::optional<RawValue> Query(const std::string& keyPath, const std::string& name)
{
    UniqueKey key;
    if (!OpenForReading(keyPath, key))
        return std::nullopt;
    return QueryRawValue(key.Get(), Widen(name).c_str());
}

std::string WideData(const std::vector<std::uint8_t>& data)
{
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    const auto zero = text.find(L'\0');
    if (zero != std::wstring::npos)
        text.resize(zero);
    return Narrow(text);
}

std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width && i < data.size(); ++i)
        value |= static_cast<std::uint64_t>(data[i]) << (8 * i);
    return value;
}

}  // namespace

std::vector<std::string> Win32Registry::ChildGroups(const std::string& keyPath)
{
    std::vector<std::string> names;
    UniqueKey key;
    if (!OpenForReading(keyPath, key))
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kMaxKeyName] = {};
        DWORD length = kMaxKeyName;
        const LONG status = ::RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;  // ERROR_NO_MORE_ITEMS, or the key went away meanwhile
        names.push_back(Narrow(std::wstring(name, length)));
    }
    return names;
}

std::optional<std::string> Win32Registry::StringValue(const std::string& keyPath, const std::string& name)
{
    const auto value = Query(keyPath, name);
    if (!value)
        return std::nullopt;
    switch (value->type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return WideData(value->data);
    case REG_DWORD:
        return value->data.size() >= 4 ? std::optional<std::string>(std::to_string(LittleEndian(value->data, 4)))
                                       : std::nullopt;
    case REG_QWORD:
        return value->data.size() >= 8 ? std::optional<std::string>(std::to_string(LittleEndian(value->data, 8)))
                                       : std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<std::uint8_t>> Win32Registry::BinaryValue(const std::string& keyPath,
                                                                    const std::string& name)
{
    auto value = Query(keyPath, name);
    if (!value)
        return std::nullopt;
    return std::move(value->data);
}

}  // namespace orvane::platform::win32
