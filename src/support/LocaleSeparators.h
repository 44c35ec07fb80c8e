#pragma once

#include <string>

namespace vorin {

// The user's number separators, read from the operating system's locale by the
// platform layer and handed to every routine that writes or reads a number text.
// Each is UTF-8 text (a French locale groups with a narrow no-break space).
struct LocaleSeparators
{
    std::string thousands = ",";
    std::string decimal = ".";

    friend bool operator==(const LocaleSeparators &, const LocaleSeparators &) = default;
};

} // namespace vorin
