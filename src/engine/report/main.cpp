// vorin-report: the statistics of drives or directories, without a window.

#include "engine/report/Report.h"
#include "platform/Console.h"
#include "platform/History.h"
#include "platform/Locale.h"
#include "platform/System.h"

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The first Ctrl-C stops the walk and prints what was counted; a second one
// ends the program at once.
std::atomic<bool> interrupted{false};

} // namespace

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args = vorin::commandLineArguments(argc, argv);
    vorin::prepareConsoleOutput();
    vorin::stopOnInterrupt(interrupted);

    const std::shared_ptr<const vorin::Volumes> volumes = vorin::makeSystemVolumes();
    const std::unique_ptr<vorin::FileTypeRegistry> registry = vorin::makeSystemFileTypeRegistry();
    vorin::ReportEnvironment env;
    env.volumes = volumes.get();
    env.registry = registry.get();
    env.locale = vorin::systemLocaleSeparators();
    env.out = &std::cout;
    env.err = &std::cerr;
    env.showProgress = vorin::standardErrorIsTerminal();
    env.interrupt = &interrupted;
    env.version = VORIN_VERSION;
    env.historyPath = vorin::defaultHistoryPath();
    const int status = vorin::runReport(args, env);
    // Everything is written; the drive table and the file types' tables need
    // no taking apart, which would cost a quick run a tenth of its start.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(status);
}
