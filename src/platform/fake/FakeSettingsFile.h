#pragma once

#include "platform/SettingsFile.h"

#include <utility>

namespace vorin {

// A settings file held in memory, for tests of the loads and saves. It starts
// missing unless given contents; failNextReplaces() makes saves fail the way a
// full disk does: the old contents stay and SettingsWriteError is thrown.
// setUnreadable() makes reads fail the way a file without read permission
// does, while its contents stay there for a save to keep or lose.
class FakeSettingsFile final : public SettingsFile
{
public:
    FakeSettingsFile() = default;
    explicit FakeSettingsFile(std::string contents) : m_contents(std::move(contents)) {}

    [[nodiscard]] std::string name() const override { return "vorin98.ini"; }
    [[nodiscard]] std::optional<std::string> read() const override
    {
        if (m_unreadable)
            throw SettingsReadError("Unable to read " + name());
        return m_contents;
    }
    void replace(std::string_view contents) override
    {
        ++m_replaceAttempts;
        if (m_failing) {
            if (m_failCount > 0 && --m_failCount == 0)
                m_failing = false;
            throw SettingsWriteError("Unable to write to " + name());
        }
        m_contents = std::string(contents);
        ++m_replaceCount;
    }

    // The contents as a test sets or reads them; nullopt is a missing file.
    [[nodiscard]] const std::optional<std::string> &contents() const { return m_contents; }
    void setContents(std::optional<std::string> contents) { m_contents = std::move(contents); }
    void setMissing() { m_contents.reset(); }

    // Every read fails until setUnreadable(false).
    void setUnreadable(bool unreadable) { m_unreadable = unreadable; }

    // Every replace fails until setFailing(false).
    void setFailing(bool failing)
    {
        m_failing = failing;
        m_failCount = 0;
    }
    // The next count replaces fail, later ones succeed.
    void failNextReplaces(int count)
    {
        m_failing = count > 0;
        m_failCount = count;
    }

    // Successful replaces, and all attempts including failed ones.
    [[nodiscard]] int replaceCount() const { return m_replaceCount; }
    [[nodiscard]] int replaceAttempts() const { return m_replaceAttempts; }

private:
    std::optional<std::string> m_contents;
    bool m_unreadable = false;
    bool m_failing = false;
    int m_failCount = 0;
    int m_replaceCount = 0;
    int m_replaceAttempts = 0;
};

} // namespace vorin
