#pragma once

#include "platform/Trash.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace vorin {

// A trash for window tests: records every path it is asked to take and
// answers "moved" unless the test made that path fail with a problem of its
// choosing. By default nothing on disk changes; a test that needs the files
// gone from its tree gives a holding directory, into which each moved file is
// renamed (as "<n>-<name>", n counting the calls, so names never meet).
class RecordingTrash final : public Trash
{
public:
    RecordingTrash() = default;
    explicit RecordingTrash(std::filesystem::path holding) : m_holding(std::move(holding)) {}

    // The path is not moved, and the outcome gives problem.
    void failFor(const std::string &path, std::string problem)
    {
        m_failures[path] = std::move(problem);
    }

    [[nodiscard]] TrashOutcome moveToTrash(const std::string &path) override
    {
        m_asked.push_back(path);
        ++m_calls;
        if (const auto failure = m_failures.find(path); failure != m_failures.end())
            return {false, failure->second};
        if (!m_holding.empty()) {
            const std::filesystem::path from(path);
            std::error_code error;
            std::filesystem::rename(
                from, m_holding / (std::to_string(m_calls) + "-" + from.filename().string()),
                error);
            if (error)
                return {false, error.message()};
        }
        return {true, {}};
    }

    // Every path asked for, in order, failed ones included.
    [[nodiscard]] const std::vector<std::string> &asked() const { return m_asked; }
    void clear() { m_asked.clear(); }

private:
    std::filesystem::path m_holding;
    std::map<std::string, std::string> m_failures;
    std::vector<std::string> m_asked;
    std::size_t m_calls = 0; // not cleared with the record, so that held names stay apart
};

} // namespace vorin
