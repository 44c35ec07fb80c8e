#include "support/Utility.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vorin {
namespace {

// Blanks and control characters, as trimmed from fields and typed numbers.
constexpr bool isTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

// Inserts the thousands separator into a run of digits, keeping a leading sign.
std::string groupDigits(std::string_view digits, const LocaleSeparators &locale)
{
    std::string out;
    std::string_view sign;
    if (!digits.empty() && digits.front() == '-') {
        sign = digits.substr(0, 1);
        digits.remove_prefix(1);
    }
    out.reserve(sign.size() + digits.size() + digits.size() / 3 * locale.thousands.size());
    out += sign;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += locale.thousands;
        out += digits[i];
    }
    return out;
}

template <typename Int> Int parseIntZero(std::string_view s)
{
    s = trim(s);
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-')
            return 0;
    }
    if (s.empty() || s.front() == '+')
        return 0;
    Int value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size())
        return 0;
    return value;
}

} // namespace

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string digitsOnly(std::string_view s)
{
    std::string out;
    for (char c : s)
        if (isDigit(c))
            out += c;
    return out;
}

std::int32_t strToIntZero(std::string_view s)
{
    return parseIntZero<std::int32_t>(s);
}

std::int64_t strToInt64Zero(std::string_view s)
{
    return parseIntZero<std::int64_t>(s);
}

double strToFloatZero(std::string_view s, const LocaleSeparators &locale)
{
    s = trim(s);
    // Rewrite the locale's decimal separator to the point that from_chars reads.
    std::string text;
    const std::string &sep = locale.decimal.empty() ? std::string(".") : locale.decimal;
    for (std::size_t i = 0; i < s.size();) {
        if (s.compare(i, sep.size(), sep) == 0) {
            text += '.';
            i += sep.size();
        } else if (s[i] == '.' && sep != ".") {
            return 0; // a point is no decimal separator here
        } else {
            text += s[i++];
        }
    }
    std::string_view t = text;
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || !(isDigit(t.front()) || t.front() == '.'))
        return 0;
    double value = 0;
    const auto [end, error] =
        std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

std::string formatInt(std::int64_t n, const LocaleSeparators &locale)
{
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, n);
    (void)error; // 24 characters hold every 64-bit value
    return groupDigits(std::string_view(buffer, static_cast<std::size_t>(end - buffer)), locale);
}

std::string formatChange(double change, const LocaleSeparators &locale)
{
    const std::string magnitude = formatWhole(change < 0 ? -change : change, locale);
    if (magnitude == "0" || magnitude.empty())
        return magnitude;
    return (change > 0 ? "+" : "-") + magnitude;
}

std::string formatWhole(double x, const LocaleSeparators &locale)
{
    if (!std::isfinite(x))
        return {};
    double rounded = std::round(x);
    if (rounded == 0)
        rounded = 0; // no "-0"
    // Beyond 14 significant digits the figure is rounded to 14 and padded with zeros.
    const double limit = 1e14;
    if (std::fabs(rounded) >= limit) {
        int excess = 0;
        double scaled = rounded;
        while (std::fabs(scaled) >= limit) {
            scaled /= 10;
            ++excess;
        }
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.0f", std::round(scaled));
        std::string digits(buffer);
        digits.append(static_cast<std::size_t>(excess), '0');
        return groupDigits(digits, locale);
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
    return groupDigits(buffer, locale);
}

int entryKind(const DirectoryEntry &entry)
{
    if (entry.name == "." || entry.name == "..")
        return 1;
    return (entry.attributes & kAttrDirectory) ? 0 : 2;
}

std::string tabField(std::string_view s, int n)
{
    if (n < 1)
        return {};
    for (int field = 1; field < n; ++field) {
        const auto tab = s.find('\t');
        if (tab == std::string_view::npos)
            return {};
        s.remove_prefix(tab + 1);
    }
    return std::string(trim(s.substr(0, s.find('\t'))));
}

std::uint32_t accessDosTime(const DirectoryEntry &entry, const UtcOffsetSource &zone)
{
    return dosDateTime(entry.lastAccess, zone);
}

std::uint32_t createdDosTime(const DirectoryEntry &entry, const UtcOffsetSource &zone)
{
    return dosDateTime(entry.creation, zone);
}

std::uint32_t modifiedDosTime(const DirectoryEntry &entry, const UtcOffsetSource &zone)
{
    return dosDateTime(entry.lastWrite, zone);
}

std::string driveTypeLabel(int code)
{
    switch (code) {
    case kDriveRemovable:
        return "(Removable disk)";
    case kDriveFixed:
        return "(Fixed disk)";
    case kDriveRemote:
        return "(Remote disk)";
    case kDriveCdRom:
        return "(CD-ROM)";
    case kDriveRamDisk:
        return "(RAM-Disk)";
    default:
        return {};
    }
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

std::string asciiUpper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = asciiUpper(c);
    return out;
}

std::string asciiLower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = asciiLower(c);
    return out;
}

void appendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::size_t utf8SequenceLength(std::string_view s, std::size_t at)
{
    if (at >= s.size())
        return 0;
    const auto b = static_cast<unsigned char>(s[at]);
    if (b < 0x80)
        return 1;
    // The second byte's range rules out overlong forms (E0, F0), surrogates
    // (ED) and code points above U+10FFFF (F4).
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || s.size() - at < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(s[at + k]);
        if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
            return 0;
    }
    return length;
}

std::size_t characterCount(std::string_view s)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count)
        i += std::max<std::size_t>(utf8SequenceLength(s, i), 1);
    return count;
}

} // namespace vorin
