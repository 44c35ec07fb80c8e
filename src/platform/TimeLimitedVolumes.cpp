#include "platform/TimeLimitedVolumes.h"

#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>
#include <utility>

namespace vorin {

struct TimeLimitedVolumes::Shared
{
    explicit Shared(std::shared_ptr<const Volumes> volumes) : inner(std::move(volumes)) {}

    const std::shared_ptr<const Volumes> inner;
    mutable std::mutex mutex;
    std::condition_variable answered;
    // Per drive letter a..z: helper threads not yet returned, and whether one
    // of them outlived its caller's wait.
    std::array<int, 26> running{};
    std::array<bool, 26> hung{};
};

namespace {

using Shared = TimeLimitedVolumes::Shared;

// Letters outside a..z name no drive; the inner drives answer those at once.
int slotOf(char letter)
{
    return letter >= 'a' && letter <= 'z' ? letter - 'a' : -1;
}

void queryReturned(Shared &shared, int slot)
{
    if (--shared.running[static_cast<std::size_t>(slot)] == 0)
        shared.hung[static_cast<std::size_t>(slot)] = false;
}

// Asks `question` of the inner drives on a helper thread and waits at most
// `wait` for it; `notReady` is the answer of a drive that did not reply in time.
template <typename Answer, typename Question>
Answer ask(const std::shared_ptr<Shared> &shared, std::chrono::milliseconds wait, char letter,
           Question question, Answer notReady)
{
    const int slot = slotOf(letter);
    if (slot < 0)
        return question(*shared->inner, letter);
    const auto index = static_cast<std::size_t>(slot);

    struct Reply
    {
        Answer value{};
        std::exception_ptr error;
        bool done = false;
    };
    auto reply = std::make_shared<Reply>();
    {
        const std::lock_guard lock(shared->mutex);
        if (shared->hung[index])
            return notReady;
        ++shared->running[index];
    }
    try {
        std::thread([shared, reply, letter, slot, question] {
            Answer value{};
            std::exception_ptr error;
            try {
                value = question(*shared->inner, letter);
            } catch (...) {
                error = std::current_exception();
            }
            const std::lock_guard lock(shared->mutex);
            reply->value = value;
            reply->error = error;
            reply->done = true;
            queryReturned(*shared, slot);
            shared->answered.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        // No thread to be had: asking on this thread could hang it, so the
        // drive counts as not ready this time.
        const std::lock_guard lock(shared->mutex);
        queryReturned(*shared, slot);
        return notReady;
    }

    std::unique_lock lock(shared->mutex);
    if (!shared->answered.wait_for(lock, wait, [&reply] { return reply->done; })) {
        shared->hung[index] = true;
        return notReady;
    }
    if (reply->error)
        std::rethrow_exception(reply->error);
    return reply->value;
}

} // namespace

TimeLimitedVolumes::TimeLimitedVolumes(std::shared_ptr<const Volumes> inner,
                                       std::chrono::milliseconds wait)
    : m_shared(std::make_shared<Shared>(std::move(inner))), m_wait(wait)
{}

TimeLimitedVolumes::~TimeLimitedVolumes() = default;

std::vector<Volume> TimeLimitedVolumes::list() const
{
    return m_shared->inner->list();
}

std::optional<Volume> TimeLimitedVolumes::find(char letter) const
{
    return m_shared->inner->find(letter);
}

bool TimeLimitedVolumes::ready(char letter) const
{
    return ask(
        m_shared, m_wait, letter, [](const Volumes &v, char l) { return v.ready(l); }, false);
}

DiskSpace TimeLimitedVolumes::space(char letter) const
{
    return ask(
        m_shared, m_wait, letter, [](const Volumes &v, char l) { return v.space(l); }, DiskSpace{});
}

std::int64_t TimeLimitedVolumes::allocationUnit(char letter) const
{
    return ask(
        m_shared, m_wait, letter, [](const Volumes &v, char l) { return v.allocationUnit(l); },
        std::int64_t{0});
}

char TimeLimitedVolumes::currentDriveLetter() const
{
    return m_shared->inner->currentDriveLetter();
}

int TimeLimitedVolumes::walkThreads(char letter) const
{
    return m_shared->inner->walkThreads(letter);
}

int TimeLimitedVolumes::queriesRunning() const
{
    const std::lock_guard lock(m_shared->mutex);
    return std::accumulate(m_shared->running.begin(), m_shared->running.end(), 0);
}

bool TimeLimitedVolumes::hung(char letter) const
{
    const int slot = slotOf(letter);
    if (slot < 0)
        return false;
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->hung[static_cast<std::size_t>(slot)];
}

} // namespace vorin
