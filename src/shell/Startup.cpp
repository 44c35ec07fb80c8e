#include "shell/Startup.h"

#include "shell/Main.h"
#include "views/Services.h"
#include "views/Statistics.h"

namespace vorin {

MainWindows createMainWindows(Services &services)
{
    MainWindows windows;
    windows.main = std::make_unique<TfrmMain>(services.volumes);
    // A child of the main window: it stays above it and shares its task bar
    // entry.
    auto *statistics = new TfrmStatistics(services, windows.main.get());
    windows.statistics = statistics;
    windows.main->setStatistics(StatisticsLink{
        statistics, statistics->pckStatDrive, [statistics] { statistics->requestAbortAndWait(); }});
    return windows;
}

} // namespace vorin
