#include "platform/posix/MimeRegistry.h"

#include "support/Utility.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vorin {
namespace {

namespace fs = std::filesystem;

// Globs and file names compare without regard to case in ASCII only; the
// database's globs are ASCII, and a locale's idea of case has no place here.
std::string_view trim(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Read with plain system calls: the report reads the glob list on every run,
// and a stream costs it more than the reading.
std::optional<std::string> readWholeFile(const fs::path &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string contents;
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        contents.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return contents;
}

// "*.doc" and the like: a star, a dot and a plain extension.
bool isPlainExtensionGlob(std::string_view pattern)
{
    return pattern.size() > 2 && pattern.substr(0, 2) == "*." &&
           pattern.find_first_of("*?[", 2) == std::string_view::npos;
}

// A MIME type names a file below the database directory, so only the form
// media/subtype is let through: nothing can walk out of the database.
bool isMimeTypeName(std::string_view type)
{
    const auto slash = type.find('/');
    if (slash == std::string_view::npos || type.find('/', slash + 1) != std::string_view::npos)
        return false;
    const std::string_view media = type.substr(0, slash);
    const std::string_view subtype = type.substr(slash + 1);
    const auto valid = [](std::string_view part) {
        return !part.empty() && part != "." && part != ".." &&
               part.find('\0') == std::string_view::npos;
    };
    return valid(media) && valid(subtype);
}

// The text of one entity, without & and ;, or nothing when it is not one we
// know; an unknown entity is then kept as written.
std::optional<std::string> decodeEntity(std::string_view name)
{
    if (name == "amp")
        return "&";
    if (name == "lt")
        return "<";
    if (name == "gt")
        return ">";
    if (name == "quot")
        return "\"";
    if (name == "apos")
        return "'";
    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;
    std::string_view digits = name.substr(1);
    int base = 10;
    if (digits[0] == 'x' || digits[0] == 'X') {
        digits.remove_prefix(1);
        base = 16;
    }
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    std::string out;
    appendUtf8(out, static_cast<char32_t>(code));
    return out;
}

std::string decodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto amp = text.find('&');
        out.append(text.substr(0, amp));
        if (amp == std::string_view::npos)
            break;
        text.remove_prefix(amp);
        const auto semicolon = text.find(';');
        std::optional<std::string> decoded;
        if (semicolon != std::string_view::npos && semicolon <= 12)
            decoded = decodeEntity(text.substr(1, semicolon - 1));
        if (decoded) {
            out += *decoded;
            text.remove_prefix(semicolon + 1);
        } else {
            out += '&';
            text.remove_prefix(1);
        }
    }
    return out;
}

// Reads the attributes of a start tag (the text between the name and the
// closing > or />) and tells whether one of them is xml:lang.
bool isXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool hasLanguageAttribute(std::string_view attributes)
{
    std::size_t i = 0;
    while (i < attributes.size()) {
        while (i < attributes.size() && (isXmlBlank(attributes[i]) || attributes[i] == '/'))
            ++i;
        const std::size_t nameStart = i;
        while (i < attributes.size() && attributes[i] != '=' && !isXmlBlank(attributes[i]))
            ++i;
        if (attributes.substr(nameStart, i - nameStart) == "xml:lang")
            return true;
        // On to the value: blanks, "=", blanks, then a quoted text.
        while (i < attributes.size() && (isXmlBlank(attributes[i]) || attributes[i] == '='))
            ++i;
        if (i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'')) {
            const auto close = attributes.find(attributes[i], i + 1);
            i = close == std::string_view::npos ? attributes.size() : close + 1;
        }
    }
    return false;
}

// The untranslated <comment> of a per-type XML file. The file is machine
// written and small, so a scan for tags does; comments, processing
// instructions and quoted attribute values are stepped over so that a ">"
// or a "<comment>" inside them is not taken for markup.
std::optional<std::string> untranslatedComment(std::string_view xml)
{
    std::size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string_view::npos) {
        const std::string_view rest = xml.substr(pos);
        std::string_view closer;
        if (rest.starts_with("<!--"))
            closer = "-->";
        else if (rest.starts_with("<![CDATA["))
            closer = "]]>";
        else if (rest.starts_with("<?"))
            closer = "?>";
        else if (rest.starts_with("<!"))
            closer = ">";
        if (!closer.empty()) {
            const auto end = xml.find(closer, pos);
            if (end == std::string_view::npos)
                return std::nullopt;
            pos = end + closer.size();
            continue;
        }

        // A start or end tag: find its end, minding quoted values.
        std::size_t end = pos + 1;
        char quote = 0;
        for (; end < xml.size(); ++end) {
            if (quote != 0) {
                if (xml[end] == quote)
                    quote = 0;
            } else if (xml[end] == '"' || xml[end] == '\'') {
                quote = xml[end];
            } else if (xml[end] == '>') {
                break;
            }
        }
        if (end >= xml.size())
            return std::nullopt;
        const std::string_view tag = xml.substr(pos + 1, end - pos - 1);
        pos = end + 1;

        const auto nameEnd = tag.find_first_of(" \t\r\n/");
        if (tag.substr(0, nameEnd) != "comment")
            continue;
        const std::string_view attributes =
            nameEnd == std::string_view::npos ? std::string_view() : tag.substr(nameEnd);
        if (hasLanguageAttribute(attributes))
            continue;
        if (!tag.empty() && tag.back() == '/')
            return std::string();
        const auto close = xml.find("</comment", pos);
        if (close == std::string_view::npos)
            return std::nullopt;
        return decodeEntities(trim(xml.substr(pos, close - pos)));
    }
    return std::nullopt;
}

std::vector<fs::path> splitDirectories(const char *list)
{
    std::vector<fs::path> result;
    std::string_view rest(list);
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view item = rest.substr(0, colon);
        // Relative entries are invalid under the base directory rules.
        if (!item.empty() && item.front() == '/')
            result.emplace_back(item);
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return result;
}

} // namespace

MimeRegistry::MimeRegistry() : MimeRegistry(defaultDirectories()) {}

MimeRegistry::MimeRegistry(std::vector<std::filesystem::path> mimeDirectories)
    : m_directories(std::move(mimeDirectories))
{}

std::vector<std::filesystem::path> MimeRegistry::defaultDirectories()
{
    std::vector<fs::path> bases;
    if (const char *dataHome = std::getenv("XDG_DATA_HOME");
        dataHome != nullptr && *dataHome == '/')
        bases.emplace_back(dataHome);
    else if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0')
        bases.push_back(fs::path(home) / ".local/share");
    const char *dataDirs = std::getenv("XDG_DATA_DIRS");
    auto systemBases = splitDirectories(
        dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share");
    if (systemBases.empty())
        systemBases = splitDirectories("/usr/local/share:/usr/share");
    bases.insert(bases.end(), systemBases.begin(), systemBases.end());

    std::vector<fs::path> result;
    for (const fs::path &base : bases) {
        fs::path mime = (base / "mime").lexically_normal();
        if (std::find(result.begin(), result.end(), mime) == result.end())
            result.push_back(std::move(mime));
    }
    return result;
}

namespace {

// FNV-1a over the pattern with A-Z in lower case: patterns that differ only
// in case share a bucket.
std::uint64_t patternHash(std::string_view pattern)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : pattern) {
        hash ^= static_cast<unsigned char>(asciiLower(c));
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

void MimeRegistry::addGlob(const Glob &glob) const
{
    const std::uint64_t hash = patternHash(glob.pattern);
    const std::size_t mask = m_buckets.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Bucket &bucket = m_buckets[i];
        if (bucket.first == kEnd) {
            bucket = {hash, static_cast<std::uint32_t>(m_globs.size()),
                      static_cast<std::uint32_t>(m_globs.size())};
            break;
        }
        if (bucket.hash == hash &&
            equalsIgnoringAsciiCase(m_globs[bucket.first].pattern, glob.pattern)) {
            m_globs[bucket.last].next = static_cast<std::uint32_t>(m_globs.size());
            bucket.last = static_cast<std::uint32_t>(m_globs.size());
            break;
        }
    }
    m_globs.push_back(glob);
}

const MimeRegistry::Bucket *MimeRegistry::findBucket(std::string_view pattern) const
{
    if (m_buckets.empty())
        return nullptr;
    const std::uint64_t hash = patternHash(pattern);
    const std::size_t mask = m_buckets.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Bucket &bucket = m_buckets[i];
        if (bucket.first == kEnd)
            return nullptr;
        if (bucket.hash == hash && equalsIgnoringAsciiCase(m_globs[bucket.first].pattern, pattern))
            return &bucket;
    }
}

void MimeRegistry::loadGlobs() const
{
    // The lists are kept as read, and the globs point into them: no line
    // costs an allocation of its own. Reserved, so that no text moves.
    m_texts.reserve(m_directories.size());
    std::vector<bool> weightedTexts;
    std::size_t lines = 0;
    for (const fs::path &directory : m_directories) {
        bool weighted = true;
        std::optional<std::string> text = readWholeFile(directory / "globs2");
        if (!text) {
            // Databases from before globs2 have only globs: type:glob.
            text = readWholeFile(directory / "globs");
            weighted = false;
        }
        if (!text)
            continue;
        lines += static_cast<std::size_t>(std::count(text->begin(), text->end(), '\n')) + 1;
        m_databases.push_back(directory);
        m_texts.push_back(std::move(*text));
        weightedTexts.push_back(weighted);
    }
    if (m_texts.empty())
        return;
    m_globs.reserve(lines);
    // At most half full, so that a search ends soon.
    m_buckets.resize(std::bit_ceil(2 * lines + 16));

    // A type that a more important database redefines with glob-deleteall
    // (written as the glob __NOGLOBS__) loses the globs of the less
    // important ones.
    std::vector<std::string_view> cleared;
    for (std::size_t t = 0; t < m_texts.size(); ++t) {
        const bool weighted = weightedTexts[t];
        std::vector<std::string_view> clearedHere;
        std::string_view rest = m_texts[t];
        while (!rest.empty()) {
            const auto newline = rest.find('\n');
            std::string_view line = trim(rest.substr(0, newline));
            rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
            if (line.empty() || line.front() == '#')
                continue;
            int weight = 50;
            if (weighted) {
                const auto colon = line.find(':');
                if (colon == std::string_view::npos)
                    continue;
                const auto [end, error] = std::from_chars(line.data(), line.data() + colon, weight);
                if (error != std::errc() || end != line.data() + colon)
                    continue;
                line.remove_prefix(colon + 1);
            }
            const auto typeEnd = line.find(':');
            if (typeEnd == std::string_view::npos || typeEnd == 0)
                continue;
            const std::string_view type = line.substr(0, typeEnd);
            line.remove_prefix(typeEnd + 1);
            const auto patternEnd = weighted ? line.find(':') : std::string_view::npos;
            const std::string_view pattern = line.substr(0, patternEnd);
            bool caseSensitive = false;
            if (patternEnd != std::string_view::npos) {
                std::string_view flags = line.substr(patternEnd + 1);
                flags = flags.substr(0, flags.find(':')); // later fields are reserved
                while (!flags.empty()) {
                    const auto comma = flags.find(',');
                    if (flags.substr(0, comma) == "cs")
                        caseSensitive = true;
                    flags.remove_prefix(comma == std::string_view::npos ? flags.size() : comma + 1);
                }
            }
            if (pattern.empty() || std::find(cleared.begin(), cleared.end(), type) != cleared.end())
                continue;
            if (pattern == "__NOGLOBS__") {
                clearedHere.push_back(type);
                continue;
            }
            addGlob({type, pattern, weight, caseSensitive, kEnd});
        }
        cleared.insert(cleared.end(), clearedHere.begin(), clearedHere.end());
    }
}

std::string MimeRegistry::className(std::string_view ext) const
{
    std::call_once(m_globsLoaded, [this] { loadGlobs(); });
    if (ext.size() < 2 || ext.front() != '.')
        return {};
    std::string pattern = "*";
    pattern += ext;
    const Bucket *bucket = findBucket(pattern);
    if (bucket == nullptr)
        return {};
    // The heaviest glob wins; of equal weights, one written in the very case
    // of the extension wins over one that matches only when case is ignored
    // (a database lists "*.C" for C++ without regard to case too, and "*.c"
    // must stay C), and then the first listed.
    const Glob *best = nullptr;
    bool bestExact = false;
    for (std::uint32_t i = bucket->first; i != kEnd; i = m_globs[i].next) {
        const Glob &glob = m_globs[i];
        const bool exact = glob.pattern == pattern;
        if (glob.caseSensitive && !exact)
            continue;
        if (best == nullptr || glob.weight > best->weight ||
            (glob.weight == best->weight && exact && !bestExact)) {
            best = &glob;
            bestExact = exact;
        }
    }
    return best != nullptr ? std::string(best->type) : std::string();
}

std::string MimeRegistry::classDescription(std::string_view className) const
{
    if (!isMimeTypeName(className))
        return {};
    {
        std::lock_guard lock(m_descriptionsMutex);
        if (const auto found = m_descriptions.find(className); found != m_descriptions.end())
            return found->second;
    }
    // Read outside the lock: a slow disk holds up only the thread that asks.
    // Two threads asking at once both read, and the first answer is kept.
    const std::string type(className);
    std::string description = readDescription(type);
    std::lock_guard lock(m_descriptionsMutex);
    return m_descriptions.emplace(type, std::move(description)).first->second;
}

std::string MimeRegistry::readDescription(const std::string &type) const
{
    std::call_once(m_globsLoaded, [this] { loadGlobs(); });
    for (const fs::path &directory : m_databases) {
        const std::optional<std::string> xml = readWholeFile(directory / (type + ".xml"));
        if (!xml)
            continue;
        if (std::optional<std::string> comment = untranslatedComment(*xml))
            return *comment;
    }
    return {};
}

std::vector<std::string> MimeRegistry::registeredExtensions() const
{
    std::call_once(m_globsLoaded, [this] { loadGlobs(); });
    // Listed only when asked for (the extension picker does, the report not).
    std::call_once(m_extensionsListed, [this] {
        for (const Bucket &bucket : m_buckets) {
            if (bucket.first == kEnd)
                continue;
            const std::string pattern = asciiLower(m_globs[bucket.first].pattern);
            if (isPlainExtensionGlob(pattern))
                m_extensions.push_back(pattern.substr(1));
        }
        std::sort(m_extensions.begin(), m_extensions.end());
    });
    return m_extensions;
}

} // namespace vorin
