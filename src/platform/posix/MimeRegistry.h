#pragma once

#include "platform/FileTypeRegistry.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorin {

// The file-type register of a freedesktop desktop: the shared MIME database
// that update-mime-database writes. An extension's class is the MIME type
// whose glob is "*" plus the extension ("*.doc" gives application/msword);
// its description is the type's untranslated comment.
//
// The glob list (about a thousand lines) is read once, on the first question,
// from whichever thread asks first; descriptions are read from the per-type
// XML file when first asked for and then remembered. Every member is safe to
// call from several threads at once.
class MimeRegistry final : public FileTypeRegistry
{
public:
    // The user's database and the system's, most important first:
    // $XDG_DATA_HOME/mime (~/.local/share/mime), then each of $XDG_DATA_DIRS
    // (/usr/local/share:/usr/share) with "/mime".
    MimeRegistry();
    // The databases in mimeDirectories, most important first.
    explicit MimeRegistry(std::vector<std::filesystem::path> mimeDirectories);

    [[nodiscard]] static std::vector<std::filesystem::path> defaultDirectories();

    [[nodiscard]] std::string className(std::string_view ext) const override;
    [[nodiscard]] std::string classDescription(std::string_view className) const override;
    [[nodiscard]] std::vector<std::string> registeredExtensions() const override;

private:
    struct Glob
    {
        int weight;
        std::string type;
        std::string pattern; // as written, for the case-sensitive ones
        bool caseSensitive;
    };

    void loadGlobs() const;
    [[nodiscard]] std::string readDescription(const std::string &type) const;

    std::vector<std::filesystem::path> m_directories;

    mutable std::once_flag m_globsLoaded;
    // Keyed by the lower-cased pattern; each list in the order of importance.
    mutable std::unordered_map<std::string, std::vector<Glob>> m_globs;
    mutable std::once_flag m_extensionsListed;
    mutable std::vector<std::string> m_extensions; // sorted

    mutable std::mutex m_descriptionsMutex;
    mutable std::map<std::string, std::string, std::less<>> m_descriptions;
};

} // namespace vorin
