// How much the statistics window adds to a scan: the same generated tree is
// walked by vorin-report's run (no window at all, keeping the largest files of
// every figure as the window does, --files) and by the window offscreen
// (worker thread, progress timer, page refresh), alternately, and the ratio of
// the best times is reported. The window should stay within 1.1 times the
// report's time. Then the time from asking for a figure's files to the list
// window painted, for the largest type and the fullest size band, against
// the 100 ms a click may take.
//
//     bench_views_scan [FILES [ROUNDS]]      defaults: 100000 files, 3 rounds

#include "BenchDrive.h"
#include "engine/report/Report.h"
#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "support/Utility.h"
#include "views/FileListModel.h"
#include "views/FileLists.h"
#include "views/FileListWindow.h"
#include "views/Services.h"
#include "views/Statistics.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vorin;

namespace {

// Ten top directories of ten subdirectories each, the files spread evenly
// over the hundred leaves with a few extensions and sizes.
void makeTree(const std::string &root, int files)
{
    const char *const extensions[] = {".txt", ".doc", ".jpg", ".c", ".h", ".bin", ""};
    for (int i = 0; i < files; ++i) {
        const int leaf = i % 100;
        const std::string top = root + "/d" + std::to_string(leaf / 10);
        const std::string dir = top + "/s" + std::to_string(leaf % 10);
        if (i < 100) {
            ::mkdir(top.c_str(), 0755);
            ::mkdir(dir.c_str(), 0755);
        }
        const std::string path = dir + "/f" + std::to_string(i) + extensions[i % 7];
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            if (i % 13 == 0)
                (void)::ftruncate(fd, (i % 97) * 1000);
            ::close(fd);
        }
    }
}

double reportSeconds(const std::string &root, const FakeFileTypeRegistry &registry,
                     const FakeVolumes &volumes)
{
    std::ostringstream out;
    std::ostringstream err;
    ReportEnvironment env;
    env.volumes = &volumes;
    env.registry = &registry;
    env.out = &out;
    env.err = &err;
    QElapsedTimer clock;
    clock.start();
    const int status = runReport({"--files", "sizes:12", root}, env);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (status != 0)
        std::fprintf(stderr, "vorin-report ended with %d: %s\n", status, err.str().c_str());
    return seconds;
}

double windowSeconds(TfrmStatistics &window, std::int64_t &files)
{
    QEventLoop loop;
    const auto done =
        QObject::connect(&window, &TfrmStatistics::runFinished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    window.btOKClick();
    loop.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    QObject::disconnect(done);
    files = window.statistics().filesProcessed;
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    std::printf("generating %d files under %s ...\n", files, root.c_str());
    std::fflush(stdout);
    makeTree(root, files);

    FakeVolumes volumes;
    addBenchDrive(volumes, root);
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    Services services{volumes, settings, registry, LocaleSeparators{}, 0};
    TfrmStatistics window(services);
    window.runWizard = [] {
        WizardResult r;
        r.drives = {"c: [bench]"};
        return std::optional<WizardResult>(r);
    };
    window.show();

    std::int64_t counted = 0;
    (void)reportSeconds(root, registry, volumes); // warm the directory cache
    std::vector<double> reportTimes;
    std::vector<double> windowTimes;
    for (int round = 0; round < rounds; ++round) {
        const double r = reportSeconds(root, registry, volumes);
        const double w = windowSeconds(window, counted);
        std::printf("round %d: report %.3f s, window %.3f s (%lld files)\n", round + 1, r, w,
                    static_cast<long long>(counted));
        std::fflush(stdout);
        reportTimes.push_back(r);
        windowTimes.push_back(w);
    }
    // Other work on the machine only ever adds time, so the best round of
    // each is the fairest figure; the medians show how noisy the run was.
    std::sort(reportTimes.begin(), reportTimes.end());
    std::sort(windowTimes.begin(), windowTimes.end());
    const double bestReport = reportTimes.front();
    const double bestWindow = windowTimes.front();
    const double medianReport = reportTimes[reportTimes.size() / 2];
    const double medianWindow = windowTimes[windowTimes.size() / 2];
    std::printf("median: report %.3f s, window %.3f s, ratio %.3f\n", medianReport, medianWindow,
                medianWindow / medianReport);
    std::printf("best: report %.3f s, window %.3f s, ratio window/report %.3f (target <= 1.10)\n",
                bestReport, bestWindow, bestWindow / bestReport);

    const Statistics &s = window.statistics();
    std::string biggest;
    std::int64_t most = -1;
    for (const TypeTotal &t : s.lbTypes)
        if (t.bytes > most) {
            most = t.bytes;
            biggest = t.key;
        }
    int band = 1;
    for (int b = 1; b <= kSizeBands; ++b)
        if (s.sizeBandCount[std::size_t(b)] > s.sizeBandCount[std::size_t(band)])
            band = b;
    for (const Figure &figure :
         {Figure{FigureKind::Type, 0, biggest}, Figure{FigureKind::Size, band, {}}}) {
        QElapsedTimer clock;
        clock.start();
        window.fileLists->show(figure);
        FileListWindow *list = window.fileLists->window(figure);
        if (list == nullptr)
            continue;
        list->repaint(); // painted, as the user sees it
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        std::printf(
            "files of %s: %zu listed, window painted %.1f ms after the ask (bound 100 ms)\n",
            figureName(figure).c_str(), std::size_t(list->model().rowCount()), ms);
        list->close();
    }
    return 0;
}
