#include "platform/Locale.h"

#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <memory>
#include <string>

namespace vorin {
namespace {

struct LocaleDeleter
{
    void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

struct IconvCloser
{
    iconv_t handle;
    ~IconvCloser() { iconv_close(handle); }
};

bool isAscii(const std::string &text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

// A separator is handed on as UTF-8. Under a legacy locale such as
// fr_FR.ISO-8859-1 the grouping character is the single byte 0xA0, which
// would otherwise reach the windows as broken text. Empty when it cannot be
// converted, so the caller falls back to the English pair.
std::string toUtf8(const std::string &text, const char *codeset)
{
    if (text.empty() || isAscii(text) || codeset == nullptr || std::strcmp(codeset, "UTF-8") == 0)
        return text;
    iconv_t handle = iconv_open("UTF-8", codeset);
    if (handle == reinterpret_cast<iconv_t>(-1))
        return {};
    IconvCloser closer{handle};
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char *inPtr = in.data();
    std::size_t inLeft = in.size();
    char *outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return {};
    out.resize(out.size() - outLeft);
    return out;
}

// The locale the environment names for one category, by the usual precedence.
std::string localeName(const char *category)
{
    for (const char *variable : {"LC_ALL", category, "LANG"})
        if (const char *value = std::getenv(variable); value != nullptr && *value != '\0')
            return value;
    return "C";
}

// A locale object of our own, so the process-wide locale (which Qt and the
// C++ streams rely on) is never switched. Its character set comes from the
// same locale as the category asked for: the texts it gives are in that
// encoding, whatever LC_CTYPE the user runs under. Falls back to C when the
// environment names a locale that is not installed.
LocaleHandle openLocale(int categoryMask, const char *category)
{
    const std::string name = localeName(category);
    LocaleHandle locale(
        newlocale(categoryMask | LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr)));
    if (!locale)
        locale.reset(newlocale(categoryMask | LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr)));
    return locale;
}

} // namespace

LocaleSeparators systemLocaleSeparators()
{
    const LocaleHandle locale = openLocale(LC_NUMERIC_MASK, "LC_NUMERIC");
    LocaleSeparators result;
    if (!locale)
        return result;

    const char *codeset = nl_langinfo_l(CODESET, locale.get());
    const std::string thousands = toUtf8(nl_langinfo_l(THOUSEP, locale.get()), codeset);
    const std::string decimal = toUtf8(nl_langinfo_l(RADIXCHAR, locale.get()), codeset);
    if (decimal.empty())
        return result;
    if (thousands.empty()) {
        // The C locale (and a few others) group with nothing; the numbers are
        // then grouped the English way. A locale with a decimal comma keeps
        // it, so typed decimals still read back, and groups with a point so
        // the two never clash.
        return LocaleSeparators{decimal == "," ? "." : ",", decimal};
    }
    return LocaleSeparators{thousands, decimal};
}

TimeOfDayFormat systemShortTimeFormat()
{
    const LocaleHandle locale = openLocale(LC_TIME_MASK, "LC_TIME");
    if (!locale)
        return {};
    const char *codeset = nl_langinfo_l(CODESET, locale.get());
    const auto text = [&](nl_item item) {
        return toUtf8(nl_langinfo_l(item, locale.get()), codeset);
    };
    const std::string timePattern = text(T_FMT);
    // A pattern that could not be converted reads as empty; the default
    // then stands in rather than a clock with a hole in it.
    if (timePattern.empty() && *nl_langinfo_l(T_FMT, locale.get()) != '\0')
        return {};
    return shortTimeFormat(timePattern, text(T_FMT_AMPM), text(AM_STR), text(PM_STR));
}

} // namespace vorin
