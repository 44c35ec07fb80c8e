#include "platform/win32/RegistryFileTypes.h"

#include "platform/win32/WideText.h"

#include <vector>
#include <windows.h>

namespace vorin {
namespace {

// The default value of a key directly below HKEY_CLASSES_ROOT; empty when
// the key or its value is missing or holds no text. A name with a backslash
// would reach a key further down, and an empty one the root itself: neither
// names a type.
std::string defaultValueOf(std::string_view keyName)
{
    if (keyName.empty() || keyName.find('\\') != std::string_view::npos)
        return {};
    const std::wstring key = toWide(keyName);
    constexpr DWORD kTexts = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, kTexts, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes < sizeof(wchar_t))
        return {};
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, kTexts, nullptr, value.data(),
                     &bytes) != ERROR_SUCCESS)
        return {};
    value.back() = L'\0';
    return toUtf8(value.data());
}

} // namespace

std::string RegistryFileTypes::className(std::string_view ext) const
{
    return defaultValueOf(ext);
}

std::string RegistryFileTypes::classDescription(std::string_view className) const
{
    return defaultValueOf(className);
}

std::vector<std::string> RegistryFileTypes::registeredExtensions() const
{
    std::vector<std::string> extensions;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        const LONG result = RegEnumKeyExW(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr,
                                          nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue; // longer than any key name may be: no extension
        if (result != ERROR_SUCCESS)
            break;
        if (length > 1 && name[0] == L'.')
            extensions.push_back(toUtf8(std::wstring_view(name, length)));
    }
    return extensions;
}

} // namespace vorin
