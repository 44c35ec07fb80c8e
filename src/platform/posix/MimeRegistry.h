#pragma once

#include "platform/FileTypeRegistry.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The file-type register of a freedesktop desktop: the shared MIME database
// that update-mime-database writes. An extension's class is the MIME type
// whose glob is "*" plus the extension ("*.doc" gives application/msword);
// its description is the type's untranslated comment.
//
// The glob list (about a thousand lines) is read once, on the first question,
// from whichever thread asks first, and kept as it was read with an index of
// its patterns; that reading also finds which of the directories hold a
// database, and only those are asked for the per-type XML file that a
// description is read from when first asked for and then remembered. Every member is safe to
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
    // One line of a glob list. The texts point into m_texts, read once and
    // never changed, so that a thousand lines cost no allocation each.
    struct Glob
    {
        std::string_view type;
        std::string_view pattern; // as written, for the case-sensitive ones
        int weight;
        bool caseSensitive;
        std::uint32_t next; // the next glob of the same pattern (any case), or kEnd
    };
    static constexpr std::uint32_t kEnd = 0xFFFFFFFF;
    // The first and last glob of one pattern, by the pattern's lower-case hash.
    struct Bucket
    {
        std::uint64_t hash = 0;
        std::uint32_t first = kEnd;
        std::uint32_t last = kEnd;
    };

    void loadGlobs() const;
    void addGlob(const Glob &glob) const;
    // The bucket of pattern (letter case ignored), or nullptr.
    [[nodiscard]] const Bucket *findBucket(std::string_view pattern) const;
    [[nodiscard]] std::string readDescription(const std::string &type) const;

    std::vector<std::filesystem::path> m_directories;
    mutable std::vector<std::filesystem::path> m_databases; // those with a glob list

    mutable std::once_flag m_globsLoaded;
    mutable std::vector<std::string> m_texts; // one per database, reserved: never moved
    mutable std::vector<Glob> m_globs;        // in the order of importance
    mutable std::vector<Bucket> m_buckets;    // open addressing, a power of two
    mutable std::once_flag m_extensionsListed;
    mutable std::vector<std::string> m_extensions; // sorted

    mutable std::mutex m_descriptionsMutex;
    mutable std::map<std::string, std::string, std::less<>> m_descriptions;
};

} // namespace vorin
