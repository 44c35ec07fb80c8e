// Vorin 99: program entry. Builds the real adapters of this machine, the two
// long-lived windows (the main window first, then the statistics window whose
// drive list the main window's chart reads) and runs the event loop until the
// main window is closed. The program takes no command line.

#include "shell/Main.h"

#include "platform/Locale.h"
#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixSettingsFile.h"
#include "platform/posix/PosixVolumes.h"
#include "shell/AppIcon.h"
#include "shell/QtMessages.h"
#include "views/Services.h"
#include "views/Statistics.h"
#include "widgets/FontSubstitutes.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorin 99"));
    QApplication::setDesktopFileName(QStringLiteral("vorin99"));
    QApplication::setWindowIcon(vorin::appIcon());
    vorin::installFontSubstitutes();

    vorin::QtMessages boxes;
    vorin::installMessages(&boxes);

    const vorin::PosixVolumes volumes;
    const std::unique_ptr<vorin::PosixSettingsFile> settings = vorin::PosixSettingsFile::forUser();
    const vorin::MimeRegistry registry;
    vorin::Services services{volumes, *settings, registry, vorin::systemLocaleSeparators()};

    int result = 0;
    {
        vorin::TfrmMain frmMain(volumes);
        // A child of the main window: it stays above it, shares its task bar
        // entry and goes with it.
        auto *frmStatistics = new vorin::TfrmStatistics(services, &frmMain);
        frmMain.setStatistics(
            vorin::StatisticsLink{frmStatistics, frmStatistics->pckStatDrive,
                                  [frmStatistics] { frmStatistics->requestAbortAndWait(); }});
        frmMain.show();
        result = QApplication::exec();
    }
    // No box may come up on a window that is gone.
    vorin::installMessages(nullptr);
    return result;
}
