// Vorin 99: program entry. Builds the real adapters of this machine, the two
// long-lived windows and runs the event loop until the main window is closed.
// The program takes no command line.

#include "shell/Main.h"

#include "platform/Locale.h"
#include "platform/posix/FolderVolumes.h"
#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixSettingsFile.h"
#include "platform/posix/PosixVolumes.h"
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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vorin::prepareApplication();

    vorin::QtMessages boxes;
    vorin::installMessages(&boxes);

    // The folders of the command line follow the mounts as drives of their
    // own. QApplication has taken its own options out of argv by now.
    const auto folders =
        std::make_shared<vorin::FolderVolumes>(std::make_shared<const vorin::PosixVolumes>());
    const std::vector<vorin::FolderOutcome> named =
        folders->addFolders(std::vector<std::string>(argv + 1, argv + argc));

    // Every window asks the drives on the user-interface thread; a network
    // mount whose server has gone away must not freeze them, so a drive that
    // does not answer within a second and a half counts as not ready.
    const vorin::TimeLimitedVolumes volumes(folders, std::chrono::milliseconds(1500));
    const std::unique_ptr<vorin::PosixSettingsFile> settings = vorin::PosixSettingsFile::forUser();
    const vorin::MimeRegistry registry;
    vorin::Services services{volumes, *settings, registry, vorin::systemLocaleSeparators()};
    services.timeFormat = vorin::systemShortTimeFormat();
    services.namedDrives = vorin::folderDriveLetters(named);

    int result = 0;
    {
        const vorin::MainWindows windows = vorin::createMainWindows(services);
        vorin::showMainWindow(windows, named);
        result = QApplication::exec();
    }
    // No box may come up once the windows are gone.
    vorin::installMessages(nullptr);
    return result;
}
