#include "platform/TimeLimitedVolumes.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>
#include <utility>

namespace vorin {

namespace {

// What a caller waits for; `done` is set under the lock once the worker has
// answered, so the caller reads the answer only after it was written.
struct Reply
{
    bool done = false;
};

// A question on its way to a drive's worker: `ask` asks it of the inner
// drives and stores the answer in the caller's reply.
struct Pending
{
    std::function<void()> ask;
    std::shared_ptr<Reply> reply;
};

} // namespace

struct TimeLimitedVolumes::Shared
{
    explicit Shared(std::shared_ptr<const Volumes> volumes) : inner(std::move(volumes)) {}

    const std::shared_ptr<const Volumes> inner;
    mutable std::mutex mutex;
    std::condition_variable asked;
    std::condition_variable answered;
    // Per drive letter a..z: the questions its worker has still to answer, how
    // many of those it has not answered yet (the one it is busy with counts),
    // whether one of them outlived its caller's wait, and whether the drive
    // has a worker at all.
    std::array<std::deque<Pending>, 26> questions;
    std::array<int, 26> running{};
    std::array<bool, 26> hung{};
    std::array<bool, 26> hasWorker{};
    bool stopping = false;
};

namespace {

using Shared = TimeLimitedVolumes::Shared;

// Letters outside a..z name no drive; the inner drives answer those at once.
int slotOf(char letter)
{
    return letter >= 'a' && letter <= 'z' ? letter - 'a' : -1;
}

// A drive's worker answers its questions one after the other until the
// decorator goes and nothing is left to ask. One long-lived thread per drive,
// rather than one per question: a question costs no thread start, and no
// thread is ever detached after it may have ended, which the Windows thread
// library of MinGW does not survive when the next thread is started at once
// (it hands the ended thread's record to the new one while the old thread is
// still tearing it down, and the new thread then never runs).
void serve(const std::shared_ptr<Shared> &shared, std::size_t slot)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->asked.wait(lock,
                           [&] { return shared->stopping || !shared->questions[slot].empty(); });
        if (shared->questions[slot].empty())
            return;
        Pending pending = std::move(shared->questions[slot].front());
        shared->questions[slot].pop_front();
        lock.unlock();
        pending.ask();
        lock.lock();
        pending.reply->done = true;
        if (--shared->running[slot] == 0)
            shared->hung[slot] = false;
        shared->answered.notify_all();
    }
}

// Asks `question` of the inner drives on the drive's worker and waits at most
// `wait` for it; `notReady` is the answer of a drive that did not reply in time.
template <typename Answer, typename Question>
Answer ask(const std::shared_ptr<Shared> &shared, std::chrono::milliseconds wait, char letter,
           Question question, Answer notReady)
{
    const int slot = slotOf(letter);
    if (slot < 0)
        return question(*shared->inner, letter);
    const auto index = static_cast<std::size_t>(slot);

    struct Answered : Reply
    {
        Answer value{};
        std::exception_ptr error;
    };
    // The worker may answer after the caller has given up, so the reply is
    // shared with it.
    auto reply = std::make_shared<Answered>();
    std::unique_lock lock(shared->mutex);
    if (shared->hung[index])
        return notReady;
    if (!shared->hasWorker[index]) {
        try {
            // Detached at once: the worker waits for its first question, so it
            // is certainly still running here.
            std::thread([shared, index] { serve(shared, index); }).detach();
        } catch (const std::system_error &) {
            // No thread to be had: asking on this thread could hang it, so the
            // drive counts as not ready this time.
            return notReady;
        }
        shared->hasWorker[index] = true;
    }
    auto askInner = [inner = shared->inner, reply, letter, question] {
        try {
            reply->value = question(*inner, letter);
        } catch (...) {
            reply->error = std::current_exception();
        }
    };
    shared->questions[index].push_back(Pending{askInner, reply});
    ++shared->running[index];
    shared->asked.notify_all();

    if (!shared->answered.wait_for(lock, wait, [&] { return reply->done; })) {
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

// Workers that have nothing left to answer end now; one still inside a hung
// drive ends when its question returns.
TimeLimitedVolumes::~TimeLimitedVolumes()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->asked.notify_all();
}

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

char TimeLimitedVolumes::spaceOwner(char letter) const
{
    return m_shared->inner->spaceOwner(letter);
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
