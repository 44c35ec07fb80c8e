#include "platform/win32/WideText.h"

#include "support/Utility.h"

#include <vector>
#include <windows.h>

namespace vorin {
namespace {

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";

} // namespace

std::string toUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = static_cast<char16_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit); // a lone surrogate keeps its three bytes
    }
    return out;
}

std::wstring toWide(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        char32_t code = lead;
        std::size_t length = 1;
        if (lead >= 0xF0 && lead <= 0xF4 && i + 3 < text.size() && isContinuation(byte(i + 1)) &&
            isContinuation(byte(i + 2)) && isContinuation(byte(i + 3))) {
            code = (char32_t(lead & 0x07) << 18) | (char32_t(byte(i + 1) & 0x3F) << 12) |
                   (char32_t(byte(i + 2) & 0x3F) << 6) | char32_t(byte(i + 3) & 0x3F);
            length = 4;
        } else if (lead >= 0xE0 && lead <= 0xEF && i + 2 < text.size() &&
                   isContinuation(byte(i + 1)) && isContinuation(byte(i + 2))) {
            code = (char32_t(lead & 0x0F) << 12) | (char32_t(byte(i + 1) & 0x3F) << 6) |
                   char32_t(byte(i + 2) & 0x3F);
            length = 3;
        } else if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size() &&
                   isContinuation(byte(i + 1))) {
            code = (char32_t(lead & 0x1F) << 6) | char32_t(byte(i + 1) & 0x3F);
            length = 2;
        } else if (lead >= 0x80) {
            // A byte that begins no character: Latin-1 is the best guess.
            code = lead;
        }
        if (code >= 0x10000 && code <= 0x10FFFF) {
            out += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else if (code < 0x10000) {
            out += static_cast<wchar_t>(code);
        } else {
            out += static_cast<wchar_t>(0xFFFD);
        }
        i += length;
    }
    return out;
}

std::wstring extendedPath(std::string_view path)
{
    std::wstring wide = toWide(path);
    if (wide.starts_with(kExtended))
        return wide;
    for (wchar_t &c : wide)
        if (c == L'/')
            c = L'\\';
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::vector<wchar_t> full(needed + 1);
    const DWORD length = GetFullPathNameW(wide.c_str(), needed + 1, full.data(), nullptr);
    if (length == 0 || length > needed)
        return {};
    const std::wstring_view absolute(full.data(), length);
    if (absolute.starts_with(L"\\\\"))
        return std::wstring(kExtendedUnc) + std::wstring(absolute.substr(2));
    return std::wstring(kExtended) + std::wstring(absolute);
}

std::wstring withoutExtendedPrefix(std::wstring_view path)
{
    if (path.starts_with(kExtendedUnc))
        return L"\\\\" + std::wstring(path.substr(kExtendedUnc.size()));
    if (path.starts_with(kExtended))
        return std::wstring(path.substr(kExtended.size()));
    return std::wstring(path);
}

std::wstring joinPath(std::wstring_view path, std::wstring_view name)
{
    std::wstring out(path);
    if (out.empty() || out.back() != L'\\')
        out += L'\\';
    out += name;
    return out;
}

} // namespace vorin
