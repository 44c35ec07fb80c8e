#pragma once

#include "platform/Volumes.h"

#include <chrono>
#include <memory>

namespace vorin {

// Drive queries that never keep the caller waiting for long. A network mount
// whose server has gone away can block a statvfs for minutes; the windows ask
// drives on the user-interface thread, so such a drive would freeze them.
//
// ready, space and allocationUnit are asked of the inner drives by a worker
// thread of the drive's own, started at its first question; when no answer
// comes within `wait`, the drive counts as not ready (space 0 of 0, no
// allocation unit) and the worker is left to finish on its own. Until that
// late question returns, every further question about the same drive is
// answered "not ready" at once, so a hung drive costs one waiting thread
// however often it is asked about. list, find, currentDriveLetter,
// walkThreads and spaceOwner read no file system and pass straight through.
//
// The inner drives are shared with the workers, so they live as long as the
// last late question. Safe to use from several threads at once; questions
// about one drive are answered in turn.
class TimeLimitedVolumes final : public Volumes
{
public:
    TimeLimitedVolumes(std::shared_ptr<const Volumes> inner, std::chrono::milliseconds wait);
    ~TimeLimitedVolumes() override;
    TimeLimitedVolumes(const TimeLimitedVolumes &) = delete;
    TimeLimitedVolumes &operator=(const TimeLimitedVolumes &) = delete;

    [[nodiscard]] std::vector<Volume> list() const override;
    [[nodiscard]] std::optional<Volume> find(char letter) const override;
    [[nodiscard]] bool ready(char letter) const override;
    [[nodiscard]] DiskSpace space(char letter) const override;
    [[nodiscard]] std::int64_t allocationUnit(char letter) const override;
    [[nodiscard]] char currentDriveLetter() const override;
    [[nodiscard]] int walkThreads(char letter) const override;
    [[nodiscard]] char spaceOwner(char letter) const override;

    // Questions asked of the inner drives that have not returned yet
    // (answered late or not yet at all).
    [[nodiscard]] int queriesRunning() const;
    // True while a question about this drive outlived its wait and is still running.
    [[nodiscard]] bool hung(char letter) const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::chrono::milliseconds m_wait;
};

} // namespace vorin
