// Renders the selection dialogs as the user meets them, one PNG per state,
// so that a change of look or place can be seen without starting the
// program. Runs offscreen on a machine without a display.

#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/posix/MimeRegistry.h"
#include "dialogs/SelectExtension.h"
#include "dialogs/StatList.h"
#include "dialogs/WhichDrive.h"
#include "support/Utility.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/PickList.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>

using namespace vorin;

namespace {

QString g_outputDir;
int g_written = 0;

void save(QWidget &window, const QString &name)
{
    QApplication::processEvents();
    const QString path = QDir(g_outputDir).filePath(name + QStringLiteral(".png"));
    if (window.grab().save(path)) {
        ++g_written;
        std::printf("%s (%dx%d)\n", qPrintable(path), window.width(), window.height());
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

// A strip of a window enlarged pixel for pixel, to judge headings and edges.
void saveZoomed(QWidget &window, const QRect &area, int factor, const QString &name)
{
    const QImage part = window.grab(area).toImage();
    const QImage big =
        part.scaled(part.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QString path = QDir(g_outputDir).filePath(name + QStringLiteral(".png"));
    if (big.save(path)) {
        ++g_written;
        std::printf("%s (%dx%d)\n", qPrintable(path), big.width(), big.height());
    }
}

void press(QWidget &window, const char *name)
{
    if (auto *button = window.findChild<QPushButton *>(QString::fromLatin1(name)))
        button->click();
}

FakeVolumes makeVolumes()
{
    FakeVolumes volumes;
    volumes.add(Volume{'a', kDriveRemovable, "/media/floppy", "", "vfat", ""});
    volumes.add(Volume{'c', kDriveFixed, "/", "/", "ext4", ""});
    volumes.add(Volume{'d', kDriveFixed, "/home", "/home", "ext4", ""});
    volumes.add(Volume{'e', kDriveRemovable, "/media/stick", "STICK", "vfat", ""});
    volumes.add(Volume{'f', kDriveRemote, "/mnt/share", "", "cifs", "//Server/Public"});
    volumes.add(Volume{'g', kDriveCdRom, "/media/cdrom", "", "iso9660", ""});
    volumes.add(Volume{'h', kDriveFixed, "/srv", "", "xfs", ""});
    volumes.setCurrentDrive('c');
    return volumes;
}

FakeFileTypeRegistry makeRegistry()
{
    FakeFileTypeRegistry registry;
    const struct
    {
        const char *ext, *type, *description;
    } types[] = {
        {".doc", "application/msword", "Word document"},
        {".dll", "application/x-sharedlib", "Shared library"},
        {".exe", "application/x-ms-dos-executable", "DOS/Windows executable"},
        {".bak", "application/x-trash", "Backup file"},
        {".tmp", "application/x-trash", "Backup file"},
        {".txt", "text/plain", "Plain text document"},
        {".html", "text/html", "HTML document"},
        {".jpg", "image/jpeg", "JPEG image"},
        {".jpeg", "image/jpeg", "JPEG image"},
        {".png", "image/png", "PNG image"},
        {".gif", "image/gif", "GIF image"},
        {".zip", "application/zip", "Zip archive"},
        {".gz", "application/gzip", "Gzip archive"},
        {".pdf", "application/pdf", "PDF document"},
        {".mp3", "audio/mpeg", "MP3 audio"},
        {".wav", "audio/x-wav", "WAV audio"},
        {".avi", "video/x-msvideo", "AVI video"},
        {".c", "text/x-csrc", "C source code"},
        {".h", "text/x-chdr", "C header"},
        {".cpp", "text/x-c++src", "C++ source code"},
        {".ini", "text/x-ini", "Configuration file"},
        {".log", "text/x-log", "Application log"},
        {".xls", "application/vnd.ms-excel", "Excel spreadsheet"},
        {".class", "application/x-java", "Java class"},
    };
    for (const auto &type : types)
        registry.add(type.ext, type.type, type.description);
    return registry;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog-gallery OUTDIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutes();
    g_outputDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(g_outputDir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const FakeVolumes volumes = makeVolumes();
    const FakeFileTypeRegistry registry = makeRegistry();
    FakeSettingsFile settings("[Include]\nNumber=4\nFile1=*.doc\nFile2=*.txt\nFile3=*.xls\n"
                              "File4=*.pdf\n[Exclude]\nNumber=3\nFile1=*.tmp\nFile2=*.bak\n"
                              "File3=*.log\n");

    {
        TfrmWhichDrive wizard(volumes, settings, registry);
        wizard.show();
        wizard.pckDrive->setSelected(1, true);
        save(wizard, QStringLiteral("whichdrive-1-drives"));
        press(wizard, "btNext1");
        wizard.findChild<QRadioButton *>(QStringLiteral("rbInclude"))->setChecked(true);
        save(wizard, QStringLiteral("whichdrive-2-mode"));
        press(wizard, "btNext2");
        wizard.PickList1->setSelected(0, true);
        wizard.PickList1->setSelected(2, true);
        // The counter follows clicks; bring it along as a click would.
        emit wizard.PickList1->clicked(2);
        save(wizard, QStringLiteral("whichdrive-3-types"));
        saveZoomed(wizard, QRect(0, 0, 283, 40), 3, QStringLiteral("whichdrive-3-heading-x3"));
    }
    {
        TfrmStatList editor(settings, registry, QStringLiteral("Exclude"));
        editor.show();
        if (auto *list = editor.findChild<PickList *>(QStringLiteral("PickList1")))
            list->setSelected(1, true);
        save(editor, QStringLiteral("statlist"));
        saveZoomed(editor, QRect(0, 0, 367, 40), 3, QStringLiteral("statlist-heading-x3"));
    }
    {
        TfrmSelectExtension picker(registry);
        picker.show();
        if (auto *list = picker.findChild<PickList *>(QStringLiteral("lBox"))) {
            list->setSelected(3, true);
            list->setSelected(5, true);
        }
        save(picker, QStringLiteral("selext"));
    }
    {
        // The desktop's own register, as the program opens the picker.
        const MimeRegistry desktop;
        TfrmSelectExtension picker(desktop);
        QElapsedTimer timer;
        timer.start();
        picker.show();
        const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
        const auto *list = picker.findChild<PickList *>(QStringLiteral("lBox"));
        std::printf("desktop register: %d rows filled in %.1f ms\n", list ? list->count() : 0,
                    milliseconds);
        save(picker, QStringLiteral("selext-desktop"));
    }
    std::printf("%d images written\n", g_written);
    return g_written == 8 ? EXIT_SUCCESS : EXIT_FAILURE;
}
