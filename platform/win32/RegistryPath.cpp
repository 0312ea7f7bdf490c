#include "platform/win32/RegistryPath.h"

#include <cctype>

#include "platform/win32/WideText.h"

namespace orvane::platform::win32 {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

HKEY RootNamed(const std::string& name)
{
    const std::string upper = Upper(name);
    if (upper == "HKEY_LOCAL_MACHINE" || upper == "HKLM")
        return HKEY_LOCAL_MACHINE;
    if (upper == "HKEY_CURRENT_USER" || upper == "HKCU")
        return HKEY_CURRENT_USER;
    if (upper == "HKEY_CLASSES_ROOT" || upper == "HKCR")
        return HKEY_CLASSES_ROOT;
    if (upper == "HKEY_USERS" || upper == "HKU")
        return HKEY_USERS;
    if (upper == "HKEY_CURRENT_CONFIG" || upper == "HKCC")
        return HKEY_CURRENT_CONFIG;
    return nullptr;
}

}  // namespace

bool ParseRegistryPath(const std::string& path, RegistryPath& out)
{
    std::string root;
    std::string subKey;
    std::string part;
    bool haveRoot = false;
    auto flush = [&] {
        if (part.empty())
            return;  // doubled or trailing separators name no key
        if (!haveRoot) {
            root = part;
            haveRoot = true;
        } else {
            subKey += subKey.empty() ? part : "\\" + part;
        }
        part.clear();
    };
    for (char c : path) {
        if (c == '\\' || c == '/')
            flush();
        else
            part += c;
    }
    flush();
    out.root = RootNamed(root);
    out.subKey = Widen(subKey);
    return out.root != nullptr;
}

}  // namespace orvane::platform::win32
