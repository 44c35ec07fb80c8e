#include "shell/Startup.h"

#include "platform/Messages.h"
#include "shell/Main.h"
#include "views/Services.h"
#include "views/Statistics.h"

#include <QTimer>
#include <string>

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

void showMainWindow(const MainWindows &windows, const std::vector<FolderOutcome> &folders)
{
    windows.main->show();
    const std::string refused = folderRefusalText(folders);
    if (refused.empty())
        return;
    // Told from the event loop, over the main window: the user sees what did
    // start, and the box keeps nothing from coming up.
    QTimer::singleShot(0, windows.main.get(), [refused] { showError(refused); });
}

} // namespace vorin
