#pragma once

#include <string>
#include <string_view>

namespace vorin {

// How the user writes a time of day on a clock without seconds: a pattern of
// strftime conversions and the locale's words for before and after noon. Read
// from the operating system's locale by the platform layer; the default is
// the 24-hour form of the C locale.
struct TimeOfDayFormat
{
    std::string pattern = "%H:%M";
    std::string am = "AM";
    std::string pm = "PM";

    friend bool operator==(const TimeOfDayFormat &, const TimeOfDayFormat &) = default;
};

// A time pattern without its seconds, %T and %r spelled out first:
// "%H:%M:%S" gives "%H:%M", "%I:%M:%S %p" gives "%I:%M %p", and a seconds
// field with a word after it ("%H時%M分%S秒") loses the word too.
[[nodiscard]] std::string withoutSeconds(std::string_view pattern);

// The short time format of a locale from what the locale names: its time
// pattern (T_FMT), its 12-hour pattern (T_FMT_AMPM, which a %r in the first
// one stands for) and its AM and PM words. The seconds are dropped; a
// pattern that shows no hour after that gives the default "%H:%M".
[[nodiscard]] TimeOfDayFormat shortTimeFormat(std::string_view timePattern,
                                              std::string_view amPmPattern, std::string am,
                                              std::string pm);

// The short time format of a Windows locale from its time picture
// (LOCALE_SSHORTTIME or LOCALE_STIMEFORMAT: h and hh for the 12-hour clock, H
// and HH for the 24-hour one, m and mm, s and ss, t and tt for the half-day
// word, text in single quotes taken as it stands, '' for a quote) and its AM
// and PM words, all UTF-8. One letter writes a number without padding, two
// pad it to two digits; a single t writes the first character of the word.
// Seconds are dropped and the same defaults apply as for shortTimeFormat.
[[nodiscard]] TimeOfDayFormat windowsShortTimeFormat(std::string_view picture, std::string am,
                                                     std::string pm);

// Writes hours (0..23) and minutes (0..59) by the format. Understands the
// conversions a clock needs: %H %k %I %l %M %S %p %P %R %T %r %n %t %%, with
// the padding flags "-", "_" and "0", a field width, and the E and O
// modifiers (read, but the Western digits are kept). Any other conversion,
// a date in a time pattern, writes nothing.
[[nodiscard]] std::string formatTimeOfDay(const TimeOfDayFormat &format, int hours, int minutes);

} // namespace vorin
