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

StartArguments parseStartArguments(const std::vector<std::string> &words)
{
    StartArguments arguments;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string &word = words[i];
        if (word == "--report") {
            if (i + 1 < words.size())
                arguments.report = words[++i];
            else
                arguments.reportMissing = true;
        } else if (word.starts_with("--report=")) {
            arguments.report = word.substr(9);
        } else {
            arguments.folders.push_back(word);
        }
    }
    return arguments;
}

void openReportAtStart(const MainWindows &windows, const StartArguments &arguments)
{
    if (!arguments.report && !arguments.reportMissing)
        return;
    TfrmStatistics *statistics = windows.statistics;
    QTimer::singleShot(0, windows.main.get(), [statistics, arguments] {
        if (arguments.reportMissing) {
            showError("--report needs the report's file: vorin99 --report FILE.json");
            return;
        }
        statistics->show();
        statistics->raise();
        statistics->openReport(QString::fromStdString(*arguments.report));
    });
}

} // namespace vorin
