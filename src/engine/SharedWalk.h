#pragma once

#include "engine/Statistics.h"
#include "engine/Walk.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class DirectoryReader;

// One process's part of a walk that several processes share, on machines
// that all mount the tree at the same path (vorin-report-mpi). The part walks
// the trees handed to it with the walk's own rules; whenever `wanted` says
// that others wait for work, it gives the subdirectory nearest the root it
// has not entered yet to `handOver`, for any part to walk. Files of several
// names are put aside as records, so that each is counted once over all
// parts (settleLinkedFiles). Keeps nothing per file but those records; one
// thread.
class SharedWalkPart final : private WalkElsewhere
{
public:
    SharedWalkPart(const DirectoryReader &reader, const CrunchContext &context,
                   std::function<bool()> wanted, std::function<void(std::string)> handOver);

    // Walks the tree below path but for what it hands over. A directory that
    // cannot be opened any more counts as unreadable.
    void walkDirectory(const std::string &path);

    [[nodiscard]] const Statistics &statistics() const { return m_stats; }
    [[nodiscard]] std::int64_t unreadableDirectories() const { return m_unreadable; }
    // The files of several names met, as bytes any part can read back.
    [[nodiscard]] const std::string &linkedRecords() const { return m_linked; }

private:
    bool wantsWork() override { return m_wanted(); }
    void subdirectory(std::string_view path) override { m_handOver(std::string(path)); }
    void linkedFile(std::string_view directory, const DirectoryEntry &entry) override;

    const DirectoryReader &m_reader;
    const CrunchContext &m_context;
    Statistics m_stats;
    WalkProgress m_progress;
    std::atomic<bool> m_abort{false};
    std::int64_t m_unreadable = 0;
    std::string m_linked;
    std::function<bool()> m_wanted;
    std::function<void(std::string)> m_handOver;
};

// Counts every file of several names in the parts' records once, at the
// first of its names in path order, into stats with the context's rules;
// returns the names skipped, as a single walk's hardLinksSkipped.
[[nodiscard]] std::int64_t settleLinkedFiles(const std::vector<std::string> &records,
                                             const CrunchContext &context, Statistics &stats);

} // namespace vorin
