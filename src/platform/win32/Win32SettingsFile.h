#pragma once

#include "platform/SettingsFile.h"

#include <memory>
#include <string>

namespace vorin {

// The settings file vorin98.ini in the user's roaming application data
// (%APPDATA%), so it follows the user from machine to machine. Every read
// opens, reads and closes the file; a name that is there but cannot be read
// (a directory, a file another program holds locked, no permission) throws
// SettingsReadError. A save writes a temporary file beside it and puts it in
// place with ReplaceFileW (which keeps the old file's permissions and
// attributes) or, when there was none, MoveFileExW: a crash or a full disk
// never leaves half a file. Paths go to the system in the \\?\ form.
class Win32SettingsFile final : public SettingsFile
{
public:
    static constexpr const char *kFileName = "vorin98.ini";

    // The file vorin98.ini in directory (UTF-8), made on the first save.
    explicit Win32SettingsFile(std::string directory);

    // The roaming application-data folder (FOLDERID_RoamingAppData); empty
    // when the system names none.
    [[nodiscard]] static std::string userSettingsDirectory();
    [[nodiscard]] static std::unique_ptr<Win32SettingsFile> forUser();

    [[nodiscard]] std::string name() const override;
    [[nodiscard]] std::optional<std::string> read() const override;
    void replace(std::string_view contents) override;

    [[nodiscard]] const std::string &directory() const { return m_directory; }

private:
    std::string m_directory;
};

} // namespace vorin
