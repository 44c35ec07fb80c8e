// Vorin 99: program entry. Builds the real adapters of this machine, the two
// long-lived windows and runs the event loop until the main window is closed.
// The program takes no command line.

#include "shell/Main.h"

#include "platform/Locale.h"
#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixSettingsFile.h"
#include "platform/posix/PosixVolumes.h"
#include "shell/Application.h"
#include "shell/QtMessages.h"
#include "shell/Startup.h"
#include "views/Services.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vorin::prepareApplication();

    vorin::QtMessages boxes;
    vorin::installMessages(&boxes);

    const vorin::PosixVolumes volumes;
    const std::unique_ptr<vorin::PosixSettingsFile> settings = vorin::PosixSettingsFile::forUser();
    const vorin::MimeRegistry registry;
    vorin::Services services{volumes, *settings, registry, vorin::systemLocaleSeparators()};
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
