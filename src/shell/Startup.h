#pragma once

#include "platform/FolderVolumes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorin {

struct Services;
class TfrmMain;
class TfrmStatistics;

// The two windows that live as long as the program, built in start-up order:
// the main window, then the statistics window, whose drive list the main
// window's chart reads. The statistics window belongs to the main window and
// goes with it; a scan still running then is stopped first.
struct MainWindows
{
    std::unique_ptr<TfrmMain> main;
    TfrmStatistics *statistics = nullptr;
};
[[nodiscard]] MainWindows createMainWindows(Services &services);

// Shows the main window and, once it is up, one message naming the folders of
// the command line that could not become drives (none when every one did).
// The program goes on with the others either way.
void showMainWindow(const MainWindows &windows, const std::vector<FolderOutcome> &folders);

// The command line's words apart: "--report FILE" (or "--report=FILE") names
// a JSON report to open; every other word is a folder. A "--report" without
// its file leaves `report` empty and `reportMissing` set.
struct StartArguments
{
    std::vector<std::string> folders;
    std::optional<std::string> report;
    bool reportMissing = false;
};
[[nodiscard]] StartArguments parseStartArguments(const std::vector<std::string> &words);

// Shows the statistics window over the main window once it is up, filled
// from the report (or an error box saying why it cannot be).
void openReportAtStart(const MainWindows &windows, const StartArguments &arguments);

} // namespace vorin
