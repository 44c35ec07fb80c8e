// Vorin 99: program entry. Builds the real adapters of this machine, the two
// long-lived windows and runs the event loop until the main window is closed.
// The program takes no command line.

#include "shell/Main.h"

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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vorin::prepareApplication();

    vorin::QtMessages boxes;
    vorin::installMessages(&boxes);

    // Every window asks the drives on the user-interface thread; a network
    // mount whose server has gone away must not freeze them, so a drive that
    // does not answer within a second and a half counts as not ready.
    const vorin::TimeLimitedVolumes volumes(vorin::makeSystemVolumes(),
                                            std::chrono::milliseconds(1500));
    const std::unique_ptr<vorin::SettingsFile> settings = vorin::makeUserSettingsFile();
    const std::unique_ptr<vorin::FileTypeRegistry> registry = vorin::makeSystemFileTypeRegistry();
    vorin::Services services{volumes, *settings, *registry, vorin::systemLocaleSeparators()};
    services.timeFormat = vorin::systemShortTimeFormat();

    int result = 0;
    {
        const vorin::MainWindows windows = vorin::createMainWindows(services);
        windows.main->show();
        result = QApplication::exec();
    }
    // No box may come up once the windows are gone.
    vorin::installMessages(nullptr);
    return result;
}
