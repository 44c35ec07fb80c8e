#pragma once

#include "platform/SettingsFile.h"

#include <filesystem>
#include <memory>

namespace vorin {

// The settings file vorin98.ini in the user's configuration directory. Every
// read opens, reads and closes the file (a name that is there but is no
// readable file throws SettingsReadError); every save writes a temporary file
// beside it and renames it over the old one, so a crash or a full disk never
// leaves half a file. A symlinked vorin98.ini (a dotfile kept elsewhere) has
// its target replaced and the link kept. Safe to use from any thread, but two
// saves at once each replace the whole file: the last one wins.
class PosixSettingsFile final : public SettingsFile
{
public:
    static constexpr const char *kFileName = "vorin98.ini";

    // The file vorin98.ini in directory, which is created on the first save.
    explicit PosixSettingsFile(std::filesystem::path directory);

    // $XDG_CONFIG_HOME, or $HOME/.config when that is unset, empty or not
    // absolute.
    [[nodiscard]] static std::filesystem::path userConfigDirectory();
    [[nodiscard]] static std::unique_ptr<PosixSettingsFile> forUser();

    [[nodiscard]] std::string name() const override;
    [[nodiscard]] std::optional<std::string> read() const override;
    void replace(std::string_view contents) override;

    [[nodiscard]] const std::filesystem::path &directory() const { return m_directory; }
    [[nodiscard]] std::filesystem::path path() const { return m_directory / kFileName; }

private:
    std::filesystem::path m_directory;
};

} // namespace vorin
