#pragma once

#include "engine/Statistics.h"
#include "engine/Walk.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class DirectoryReader;

// One process's part of a walk that several processes share, on machines
// that all mount the tree at the same path (vorin-report-mpi). The part walks
// the directories handed to it one at a time with the walk's own rules,
// counting their files and giving back their subdirectories for any part to
// walk. Files of several names are put aside as records, so that each is
// counted once over all parts (settleLinkedFiles). Keeps nothing per file
// but those records; one thread.
class SharedWalkPart final : private WalkElsewhere
{
public:
    SharedWalkPart(const DirectoryReader &reader, const CrunchContext &context);

    // Counts the files of one directory; returns the subdirectories to walk.
    // A directory that cannot be opened any more counts as unreadable.
    [[nodiscard]] std::vector<std::string> walkDirectory(const std::string &path);

    [[nodiscard]] const Statistics &statistics() const { return m_stats; }
    [[nodiscard]] std::int64_t unreadableDirectories() const { return m_unreadable; }
    // The files of several names met, as bytes any part can read back.
    [[nodiscard]] const std::string &linkedRecords() const { return m_linked; }

private:
    void subdirectory(std::string_view path) override;
    void linkedFile(std::string_view directory, const DirectoryEntry &entry) override;

    const DirectoryReader &m_reader;
    const CrunchContext &m_context;
    Statistics m_stats;
    WalkProgress m_progress;
    std::atomic<bool> m_abort{false};
    std::int64_t m_unreadable = 0;
    std::string m_linked;
    std::vector<std::string> m_found;
};

// Counts every file of several names in the parts' records once, at the
// first of its names in path order, into stats with the context's rules;
// returns the names skipped, as a single walk's hardLinksSkipped.
[[nodiscard]] std::int64_t settleLinkedFiles(const std::vector<std::string> &records,
                                             const CrunchContext &context, Statistics &stats);

} // namespace vorin
