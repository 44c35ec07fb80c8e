// Vorin 99: program entry. Builds the real adapters of this machine, the two
// long-lived windows and runs the event loop until the main window is closed.
// The command line names folders that become drives of their own, and with
// --report FILE.json a report to show in the statistics window.

#include "shell/Main.h"

#include "platform/FolderVolumes.h"
#include "platform/History.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "platform/TimeLimitedVolumes.h"
#include "shell/Application.h"
#include "shell/QtMessages.h"
#include "shell/Startup.h"
#include "views/Services.h"

#include <chrono>
#include <memory>
#include <QApplication>
#include <string>
#include <vector>

namespace {

// The words of the command line after the program's name, as UTF-8. Windows
// hands argv over in the ANSI code page, which cannot hold every folder name;
// Qt reads the wide command line there, leaving out the options it took.
std::vector<std::string> folderArguments([[maybe_unused]] int argc, [[maybe_unused]] char *argv[])
{
#ifdef _WIN32
    std::vector<std::string> words;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        words.push_back(arguments[i].toStdString());
    return words;
#else
    // Linux names are bytes; argv keeps them as they are.
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vorin::prepareApplication();

    vorin::QtMessages boxes;
    vorin::installMessages(&boxes);

    // The folders of the command line follow the mounts as drives of their
    // own. QApplication has taken its own options out of argv by now.
    const auto folders = std::make_shared<vorin::FolderVolumes>(vorin::makeSystemVolumes());
    const vorin::StartArguments arguments = vorin::parseStartArguments(folderArguments(argc, argv));
    const std::vector<vorin::FolderOutcome> named = folders->addFolders(arguments.folders);

    // Every window asks the drives on the user-interface thread; a network
    // mount whose server has gone away must not freeze them, so a drive that
    // does not answer within a second and a half counts as not ready.
    const vorin::TimeLimitedVolumes volumes(folders, std::chrono::milliseconds(1500));
    const std::unique_ptr<vorin::SettingsFile> settings = vorin::makeUserSettingsFile();
    const std::unique_ptr<vorin::FileTypeRegistry> registry = vorin::makeSystemFileTypeRegistry();
    vorin::Services services{volumes, *settings, *registry, vorin::systemLocaleSeparators()};
    services.timeFormat = vorin::systemShortTimeFormat();
    services.namedDrives = vorin::folderDriveLetters(named);
    // Every complete scan is kept; a history that cannot be opened costs the
    // scans nothing but their keeping, which the statistics window tells.
    std::unique_ptr<vorin::ScanHistory> history;
    if (vorin::historyBuiltIn()) {
        try {
            history = vorin::openScanHistory(vorin::defaultHistoryPath());
        } catch (const vorin::HistoryError &e) {
            services.historyProblem = e.what();
        }
    }
    services.history = history.get();

    int result = 0;
    {
        const vorin::MainWindows windows = vorin::createMainWindows(services);
        vorin::showMainWindow(windows, named);
        vorin::openReportAtStart(windows, arguments);
        result = QApplication::exec();
    }
    // No box may come up once the windows are gone.
    vorin::installMessages(nullptr);
    return result;
}
