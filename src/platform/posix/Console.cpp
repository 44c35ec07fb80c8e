#include "platform/Console.h"

#include <csignal>
#include <unistd.h>

namespace vorin {
namespace {

std::atomic<bool> *g_interruptFlag = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int)
{
    if (g_interruptFlag != nullptr)
        g_interruptFlag->store(true);
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

std::vector<std::string> commandLineArguments(int argc, char **argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareConsoleOutput() {}

void stopOnInterrupt(std::atomic<bool> &flag)
{
    g_interruptFlag = &flag;
    struct sigaction action
    {
    };
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace vorin
