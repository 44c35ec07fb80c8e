#pragma once

#include "views/FileActions.h"

#include <map>
#include <string>
#include <vector>

namespace vorin::testing {

// Records the files a list window opens and sends to the trash instead of
// doing it; showing them in their folder does nothing. A file sent to the
// trash is moved unless the test named a problem for its path; nothing on
// disk is touched either way.
class RecordingFileActions final : public FileActions
{
public:
    void open(const std::vector<std::string> &paths) override { opened.push_back(paths); }
    void showInFolder(const std::vector<std::string> &) override {}
    [[nodiscard]] TrashOutcome moveToTrash(const std::string &path) override
    {
        trashed.push_back(path);
        const auto problem = m_problems.find(path);
        if (problem != m_problems.end())
            return {false, problem->second};
        return {true, {}};
    }

    // The file at path will not go: moveToTrash answers with this problem.
    void refuse(const std::string &path, const std::string &problem) { m_problems[path] = problem; }

    std::vector<std::vector<std::string>> opened;
    std::vector<std::string> trashed; // every path asked for, in order

private:
    std::map<std::string, std::string> m_problems;
};

} // namespace vorin::testing
