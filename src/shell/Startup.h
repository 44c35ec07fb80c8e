#pragma once

#include "platform/FolderVolumes.h"

#include <memory>
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

} // namespace vorin
