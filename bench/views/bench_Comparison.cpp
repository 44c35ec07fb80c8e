// How long the comparison with an earlier scan takes with a long history:
// a history of 1,000 kept scans of one drive, then a scan in the window
// offscreen, and the time from each ask to the current page repainted:
// opening "Compare with" (reading the kept scans of the run's drives),
// choosing a scan, choosing "(none)", and the History tab of that drive.
// The target is 100 ms each.
//
//     bench_views_compare [SCANS]      default: 1000 kept scans

#include "BenchDrive.h"
#include "engine/History.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "platform/FileSystem.h"
#include "views/HistoryPage.h"
#include "views/ScanComparison.h"
#include "views/Services.h"
#include "views/Statistics.h"
#include "widgets/Notebook.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRadioButton>
#include <QTemporaryDir>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorin;

namespace {

// A drive of twenty types, so that each kept scan is of a typical size.
void makeTree(const std::string &root)
{
    for (int i = 0; i < 2000; ++i) {
        const std::string path = root + "/f" + std::to_string(i) + ".t" + std::to_string(i % 20);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            (void)::ftruncate(fd, (i % 97) * 1000);
            ::close(fd);
        }
    }
}

double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int kept = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/tree";
    ::mkdir(root.c_str(), 0755);
    makeTree(root);
    FakeVolumes volumes;
    addBenchDrive(volumes, root);
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    const std::unique_ptr<ScanHistory> history =
        openScanHistory(dir.path().toStdString() + "/history.sqlite");
    Services services{volumes, settings, registry, LocaleSeparators{}, 0};
    services.history = history.get();
    TfrmStatistics window(services);
    window.runWizard = [] {
        WizardResult r;
        r.drives = {"c: [bench]"};
        return std::optional<WizardResult>(r);
    };
    window.show();

    // One real scan gives the figures every kept scan is made of.
    QEventLoop loop;
    QObject::connect(&window, &TfrmStatistics::runFinished, &loop, &QEventLoop::quit);
    window.btOKClick();
    loop.exec();
    const std::vector<HistoryFigure> figures = historyFigures(window.statistics());
    std::printf("keeping %d scans of %zu figures each ...\n", kept, figures.size());
    std::fflush(stdout);
    KeptScan scan = history->scans(root).back();
    const double keepMs = milliseconds([&] {
        for (int i = 0; i < kept; ++i) {
            scan.takenAt = std::time(nullptr) - 86400 * (kept - i);
            scan.run = scan.takenAt; // each a run of its own, as daily scans are
            history->keep(scan, figures);
        }
    });
    std::printf("kept in %.0f ms (%.2f ms a scan)\n", keepMs, keepMs / kept);

    ScanComparison &comparison = *window.comparison;
    const ScanComparison::Place place{root, fileSystemIdentity(root)};
    window.OvcNotebook1->setPageIndex(1); // Types
    const double open = milliseconds([&] {
        comparison.refill({place}, std::time(nullptr) + 1);
        window.repaint();
    });
    const double on = milliseconds([&] {
        comparison.cbCompare->setCurrentIndex(1);
        emit comparison.cbCompare->activated(1);
        window.repaint();
    });
    const double off = milliseconds([&] {
        comparison.cbCompare->setCurrentIndex(0);
        emit comparison.cbCompare->activated(0);
        window.repaint();
    });
    const double scans = milliseconds([&] { (void)history->scans(); });
    const double types = milliseconds([&] { (void)history->tableOfPlace(root, "types"); });
    std::printf("reading the kept scans %.1f ms, their types %.1f ms\n", scans, types);
    const double read = milliseconds([&] { window.historyPage->refresh(); });
    window.historyPage->rgHistory[0]->setChecked(true);
    const double table = milliseconds([&] { window.historyPage->showDrive(); });
    window.historyPage->rgHistory[1]->setChecked(true);
    std::printf("the History tab's table laid out: %.1f ms\n", table);
    const double tab = milliseconds([&] {
        window.OvcNotebook1->setPageIndex(10);
        window.repaint();
    });
    std::printf("the History tab's figures read and laid out: %.1f ms\n", read);
    std::printf("with %d kept scans (%d offered): Compare with filled %.1f ms, a comparison "
                "chosen %.1f ms, (none) %.1f ms, the History tab %.1f ms (target 100 ms each)\n",
                kept + 1, comparison.cbCompare->count() - 1, open, on, off, tab);
    return 0;
}
