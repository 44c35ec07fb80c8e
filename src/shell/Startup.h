#pragma once

#include <memory>

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

} // namespace vorin
