#pragma once

#include "platform/Volumes.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace vorin {

// Drives whose file system can be made to stop answering, as a network mount
// does when its server goes away: every ready, space or allocation-unit
// question about a held drive waits until the test lets that drive go. All
// other questions go straight to the drives underneath. Counts, per drive,
// the questions that reached it. Safe to ask from several threads.
class LatchedVolumes final : public Volumes
{
public:
    explicit LatchedVolumes(std::shared_ptr<const Volumes> inner) : m_inner(std::move(inner)) {}

    // From now on, questions about this drive wait until release().
    void hold(char letter)
    {
        const std::lock_guard lock(m_mutex);
        m_held.at(slot(letter)) = true;
    }
    // Lets every waiting question about this drive go; later ones pass.
    void release(char letter)
    {
        const std::lock_guard lock(m_mutex);
        m_held.at(slot(letter)) = false;
        m_changed.notify_all();
    }
    void releaseAll()
    {
        const std::lock_guard lock(m_mutex);
        m_held.fill(false);
        m_changed.notify_all();
    }
    // Questions about this drive that reached these drives so far.
    [[nodiscard]] int questions(char letter) const
    {
        const std::lock_guard lock(m_mutex);
        return m_questions.at(slot(letter));
    }
    // Questions waiting at a held drive right now.
    [[nodiscard]] int waiting() const
    {
        const std::lock_guard lock(m_mutex);
        return m_waiting;
    }

    [[nodiscard]] std::vector<Volume> list() const override { return m_inner->list(); }
    [[nodiscard]] std::optional<Volume> find(char letter) const override
    {
        return m_inner->find(letter);
    }
    [[nodiscard]] bool ready(char letter) const override
    {
        pass(letter);
        return m_inner->ready(letter);
    }
    [[nodiscard]] DiskSpace space(char letter) const override
    {
        pass(letter);
        return m_inner->space(letter);
    }
    [[nodiscard]] std::int64_t allocationUnit(char letter) const override
    {
        pass(letter);
        return m_inner->allocationUnit(letter);
    }
    [[nodiscard]] char currentDriveLetter() const override { return m_inner->currentDriveLetter(); }
    [[nodiscard]] int walkThreads(char letter) const override
    {
        return m_inner->walkThreads(letter);
    }
    [[nodiscard]] char spaceOwner(char letter) const override
    {
        return m_inner->spaceOwner(letter);
    }

private:
    static std::size_t slot(char letter)
    {
        return static_cast<std::size_t>(static_cast<unsigned char>(letter));
    }
    void pass(char letter) const
    {
        std::unique_lock lock(m_mutex);
        ++m_questions.at(slot(letter));
        if (!m_held.at(slot(letter)))
            return;
        ++m_waiting;
        // In slices: a wakeup lost by the threads of Wine (the Windows
        // tests run there) then costs a moment instead of the test.
        while (!m_changed.wait_for(lock, std::chrono::milliseconds(50),
                                   [this, letter] { return !m_held.at(slot(letter)); })) {
        }
        --m_waiting;
    }

    std::shared_ptr<const Volumes> m_inner;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::array<bool, 256> m_held{};
    mutable std::array<int, 256> m_questions{};
    mutable int m_waiting = 0;
};

} // namespace vorin
