#include "platform/Locale.h"

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Locale.h"

#include <optional>
#include <windows.h>

namespace vorin {
namespace {

std::optional<std::string> localeText(const wchar_t *localeName, LCTYPE item)
{
    wchar_t text[128];
    const int length = GetLocaleInfoEx(localeName, item, text, 128);
    if (length <= 0)
        return std::nullopt;
    return toUtf8(std::wstring_view(text, static_cast<std::size_t>(length - 1)));
}

} // namespace

LocaleSeparators localeSeparatorsOf(const wchar_t *localeName)
{
    const std::optional<std::string> thousands = localeText(localeName, LOCALE_STHOUSAND);
    const std::optional<std::string> decimal = localeText(localeName, LOCALE_SDECIMAL);
    if (!decimal || decimal->empty())
        return {};
    if (!thousands || thousands->empty()) {
        // A locale that groups with nothing: grouped the English way, and
        // never with the decimal separator itself.
        return LocaleSeparators{*decimal == "," ? "." : ",", *decimal};
    }
    return LocaleSeparators{*thousands, *decimal};
}

TimeOfDayFormat shortTimeFormatOf(const wchar_t *localeName)
{
    const std::optional<std::string> picture = localeText(localeName, LOCALE_SSHORTTIME);
    if (!picture)
        return {};
    return windowsShortTimeFormat(*picture, localeText(localeName, LOCALE_S1159).value_or(""),
                                  localeText(localeName, LOCALE_S2359).value_or(""));
}

LocaleSeparators systemLocaleSeparators()
{
    return localeSeparatorsOf(LOCALE_NAME_USER_DEFAULT);
}

TimeOfDayFormat systemShortTimeFormat()
{
    return shortTimeFormatOf(LOCALE_NAME_USER_DEFAULT);
}

} // namespace vorin
