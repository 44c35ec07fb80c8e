#pragma once

#include <string>
#include <string_view>

namespace vorin {

// Windows names are UTF-16; everything above the platform layer is UTF-8.
// The conversion is lossless both ways for every name Windows can hold: a
// lone surrogate (which NTFS allows in a name) becomes the three bytes it
// would have in UTF-8 had it been a character, and goes back to the same
// surrogate, so a name read from a listing opens again.
[[nodiscard]] std::string toUtf8(std::wstring_view text);
[[nodiscard]] std::wstring toWide(std::string_view text);

// The path in the form that lifts the 260-character limit: absolute, with
// backslashes, prefixed \\?\ (or \\?\UNC\ for a share). Empty when the
// system cannot make the path absolute.
[[nodiscard]] std::wstring extendedPath(std::string_view path);

// The path without a \\?\ prefix, as the user writes it.
[[nodiscard]] std::wstring withoutExtendedPrefix(std::wstring_view path);

// path, a backslash unless path ends with one, and name.
[[nodiscard]] std::wstring joinPath(std::wstring_view path, std::wstring_view name);

} // namespace vorin
