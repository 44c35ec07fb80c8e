#pragma once

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vorin::test {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it at
// the end of the test, even where the test took its permissions away.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vorin-platform-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        ::chmod(m_path.c_str(), 0700);
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored))
                ::chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    [[nodiscard]] const std::filesystem::path &path() const { return m_path; }
    [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path &relative) const
    {
        return m_path / relative;
    }

private:
    std::filesystem::path m_path;
};

// Sets (or, with nullopt, removes) one environment variable for the lifetime
// of the object and puts the old value back afterwards.
class EnvironmentOverride
{
public:
    EnvironmentOverride(std::string name, const std::optional<std::string> &value)
        : m_name(std::move(name))
    {
        if (const char *old = std::getenv(m_name.c_str()))
            m_old = old;
        set(value);
    }
    ~EnvironmentOverride() { set(m_old); }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    void set(const std::optional<std::string> &value)
    {
        if (value)
            ::setenv(m_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

// Sets TZ and makes the C library take it up; the old zone comes back after.
class ZoneOverride
{
public:
    explicit ZoneOverride(const std::string &tz) : m_tz(std::in_place, "TZ", tz) { ::tzset(); }
    ~ZoneOverride()
    {
        m_tz.reset();
        ::tzset();
    }
    ZoneOverride(const ZoneOverride &) = delete;
    ZoneOverride &operator=(const ZoneOverride &) = delete;

private:
    std::optional<EnvironmentOverride> m_tz;
};

inline void writeFile(const std::filesystem::path &path, const std::string &contents)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

inline std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// The names in a directory, sorted, hidden ones included.
inline std::vector<std::string> directoryNames(const std::filesystem::path &directory)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vorin::test
