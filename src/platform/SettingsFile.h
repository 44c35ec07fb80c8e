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

// Raised when the settings file is there but cannot be read (no read
// permission, an I/O error, something else than a file by that name). A load
// takes it for an empty file; a save must not replace a file it could not read.
class SettingsReadError : public std::runtime_error
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
    // The whole file, or nothing when there is no such file. Throws
    // SettingsReadError when it exists but cannot be read.
    [[nodiscard]] virtual std::optional<std::string> read() const = 0;
    // Replaces the file with contents, all or nothing: a failure leaves the
    // previous file whole and throws SettingsWriteError.
    virtual void replace(std::string_view contents) = 0;
};

} // namespace vorin
