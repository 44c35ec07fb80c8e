// vorin-report: the statistics of drives or directories, without a window.

#include "engine/report/Report.h"
#include "platform/Locale.h"
#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixVolumes.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first Ctrl-C stops the walk and prints what was counted; a second one
// ends the program at once.
extern "C" void onInterrupt(int)
{
    interrupted.store(true);
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);

    struct sigaction action
    {
    };
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);

    const vorin::PosixVolumes volumes;
    const vorin::MimeRegistry registry;
    vorin::ReportEnvironment env;
    env.volumes = &volumes;
    env.registry = &registry;
    env.locale = vorin::systemLocaleSeparators();
    env.out = &std::cout;
    env.err = &std::cerr;
    env.showProgress = ::isatty(STDERR_FILENO) == 1;
    env.interrupt = &interrupted;
    const int status = vorin::runReport(args, env);
    // Everything is written; the drive table and the file types' tables need
    // no taking apart, which would cost a quick run a tenth of its start.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
}
