#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorin {

// Raised when the settings file cannot be saved; what() is the text shown to
// the user: "Unable to write to vorin98.ini".
class SettingsWriteError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Where the program's one settings file lives and how it is read and replaced.
// The contents are read whole and written whole; nothing is held open.
class SettingsFile
{
public:
    virtual ~SettingsFile() = default;
    // The file name shown in messages ("vorin98.ini").
    [[nodiscard]] virtual std::string name() const = 0;
    // The whole file, or nothing when it does not exist or cannot be read.
    [[nodiscard]] virtual std::optional<std::string> read() const = 0;
    // Replaces the file with contents, all or nothing: a failure leaves the
    // previous file whole and throws SettingsWriteError.
    virtual void replace(std::string_view contents) = 0;
};

} // namespace vorin
