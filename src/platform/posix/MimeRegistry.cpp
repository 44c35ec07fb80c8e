#include "platform/posix/MimeRegistry.h"

#include "support/Utility.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

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

void MimeRegistry::loadGlobs() const
{
    // A type that a more important database redefines with glob-deleteall
    // (written as the glob __NOGLOBS__) loses the globs of the less
    // important ones.
    std::unordered_set<std::string> cleared;
    m_globs.reserve(2048); // a desktop's database has about a thousand globs
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

        std::vector<std::string> clearedHere;
        std::string_view lines = *text;
        while (!lines.empty()) {
            const auto newline = lines.find('\n');
            std::string_view rest = trim(lines.substr(0, newline));
            lines.remove_prefix(newline == std::string_view::npos ? lines.size() : newline + 1);
            if (rest.empty() || rest.front() == '#')
                continue;
            int weight = 50;
            if (weighted) {
                const auto colon = rest.find(':');
                if (colon == std::string_view::npos)
                    continue;
                const auto [end, error] = std::from_chars(rest.data(), rest.data() + colon, weight);
                if (error != std::errc() || end != rest.data() + colon)
                    continue;
                rest.remove_prefix(colon + 1);
            }
            const auto typeEnd = rest.find(':');
            if (typeEnd == std::string_view::npos || typeEnd == 0)
                continue;
            std::string type(rest.substr(0, typeEnd));
            rest.remove_prefix(typeEnd + 1);
            const auto patternEnd = weighted ? rest.find(':') : std::string_view::npos;
            const std::string_view pattern = rest.substr(0, patternEnd);
            bool caseSensitive = false;
            if (patternEnd != std::string_view::npos) {
                std::string_view flags = rest.substr(patternEnd + 1);
                flags = flags.substr(0, flags.find(':')); // later fields are reserved
                while (!flags.empty()) {
                    const auto comma = flags.find(',');
                    if (flags.substr(0, comma) == "cs")
                        caseSensitive = true;
                    flags.remove_prefix(comma == std::string_view::npos ? flags.size() : comma + 1);
                }
            }
            if (pattern.empty() || cleared.count(type) != 0)
                continue;
            if (pattern == "__NOGLOBS__") {
                clearedHere.push_back(type);
                continue;
            }
            m_globs[asciiLower(pattern)].push_back(
                {weight, std::move(type), std::string(pattern), caseSensitive});
        }
        cleared.insert(clearedHere.begin(), clearedHere.end());
    }
}

std::string MimeRegistry::className(std::string_view ext) const
{
    std::call_once(m_globsLoaded, [this] { loadGlobs(); });
    if (ext.size() < 2 || ext.front() != '.')
        return {};
    std::string pattern = "*";
    pattern += ext;
    const auto found = m_globs.find(asciiLower(pattern));
    if (found == m_globs.end())
        return {};
    const Glob *best = nullptr;
    for (const Glob &glob : found->second) {
        if (glob.caseSensitive && glob.pattern != pattern)
            continue;
        if (best == nullptr || glob.weight > best->weight)
            best = &glob;
    }
    return best != nullptr ? best->type : std::string();
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
    for (const fs::path &directory : m_directories) {
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
        for (const auto &[pattern, globs] : m_globs)
            if (isPlainExtensionGlob(pattern))
                m_extensions.push_back(pattern.substr(1));
        std::sort(m_extensions.begin(), m_extensions.end());
    });
    return m_extensions;
}

} // namespace vorin
