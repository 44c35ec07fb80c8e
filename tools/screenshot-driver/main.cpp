// Builds the program's real windows on a made-up machine, drives them as a
// user would and saves what they show as PNG files, for a developer to look
// at after a change: screenshot-driver <output directory> [--real-drives]
//
// The made-up machine has three drives over generated trees in a temporary
// directory (a system disk, a data disk and a small card); --real-drives
// shows this machine's own drives on the main window instead, and scans none.
// Meant to run under Xvfb (tools/screenshots.sh); offscreen works too.

#include "shell/Main.h"

#include "chart/Chart.h"
#include "engine/Walk.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "platform/History.h"
#include "platform/Locale.h"
#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixVolumes.h"
#include "shell/Application.h"
#include "support/Utility.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"

#ifdef VORIN_HAVE_VIEWS
#include "shell/QtMessages.h"
#include "shell/Startup.h"
#include "views/FileActions.h"
#include "views/FileListModel.h"
#include "views/FileLists.h"
#include "views/FileListWindow.h"
#include "views/ScanComparison.h"
#include "views/Services.h"
#include "views/Statistics.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTableView>
#endif

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <sys/stat.h>

namespace {

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// Lets the event loop run until `done` holds or the time is up.
bool waitUntil(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void settle(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

class Shooter
{
public:
    explicit Shooter(QDir out) : m_out(std::move(out)) {}

    void widget(QWidget *widget, const QString &name) { save(widget->grab().toImage(), name); }
    void image(const QImage &image, const QString &name) { save(image, name); }

    // The whole screen, windows over one another as the user sees them.
    void screen(const QString &name)
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        if (screen == nullptr || QGuiApplication::platformName() == QLatin1String("offscreen"))
            return;
        save(screen->grabWindow(0).toImage(), name);
    }

    [[nodiscard]] bool ok() const { return m_ok; }

private:
    void save(const QImage &image, const QString &name)
    {
        const QString path = m_out.filePath(name + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path)) {
            err() << "could not write " << path << '\n';
            m_ok = false;
            return;
        }
        err() << "wrote " << path << '\n';
    }

    QDir m_out;
    bool m_ok = true;
};

// A drive's tree with files of many types, sizes, ages and times of day, so
// that every page has something to show. Sizes are made by stretching empty
// files, which costs no disk space.
void makeTree(const QString &root, int files, quint32 seed)
{
    static const char *const kTypes[] = {"txt", "doc", "jpg", "png",  "exe", "dll", "mp3", "zip",
                                         "pdf", "cpp", "h",   "html", "ini", "log", "xls", "bmp"};
    static const char *const kFolders[] = {"Documents",
                                           "Documents/Letters",
                                           "Program Files/Vorin",
                                           "Pictures/Holiday 1998",
                                           "Music",
                                           "Windows/System",
                                           "Temp",
                                           "Projects/src"};
    QRandomGenerator random(seed);
    QDir dir(root);
    for (const char *folder : kFolders)
        dir.mkpath(QString::fromLatin1(folder));
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < files; ++i) {
        const QString folder = QString::fromLatin1(kFolders[random.bounded(8)]);
        const QString type = QString::fromLatin1(kTypes[random.bounded(16)]);
        // Some files hidden, some read-only, so that the Attribute page has
        // something to show.
        const QString name =
            (i % 9 == 4 ? QStringLiteral(".file %1.%2") : QStringLiteral("file %1.%2"))
                .arg(i)
                .arg(type);
        const QString path = dir.filePath(folder + QLatin1Char('/') + name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            continue;
        // Mostly small files, a few large ones: sizes spread over the bands.
        const int band = random.bounded(100);
        qint64 size = 0;
        if (band < 35)
            size = random.bounded(16 * 1024);
        else if (band < 70)
            size = 16 * 1024 + random.bounded(240 * 1024);
        else if (band < 92)
            size = 256 * 1024 + random.bounded(4 * 1024 * 1024);
        else
            size = 4 * 1024 * 1024 + random.bounded(30 * 1024 * 1024);
        file.resize(size);
        const qint64 ageSeconds =
            static_cast<qint64>(random.bounded(6 * 365)) * 86400 + random.bounded(86400);
        const QDateTime modified = now.addSecs(-ageSeconds);
        const QDateTime accessed = modified.addSecs(random.bounded(ageSeconds + 1));
        file.setFileTime(modified, QFileDevice::FileModificationTime);
        file.setFileTime(accessed, QFileDevice::FileAccessTime);
        if (i % 7 == 3)
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                QFileDevice::ReadOther);
    }
    // Pipes stand for the system files of the Attribute page.
    for (int i = 0; i < 4; ++i)
        ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("Windows/System/pipe %1").arg(i)))
                     .constData(),
                 0644);
}

vorin::Volume volume(char letter, int type, const QString &root, const std::string &label)
{
    vorin::Volume v;
    v.letter = letter;
    v.type = type;
    v.root = root.toStdString();
    v.label = label;
    v.fileSystem = "ext4";
    return v;
}

#ifdef VORIN_HAVE_VIEWS
// Each view of each result page after a scan, one picture per view, chosen
// by clicking the page's own view buttons as a user would.
void shootPageViews(vorin::TfrmStatistics &window, Shooter &shooter)
{
    const struct
    {
        int page;
        const char *button; // the view's radio button; empty: the page has one view
        const char *file;
    } views[] = {
        {0, "rgSpace2", "page-space-bars"},
        {0, "rgSpace1", "page-space-pies"},
        {0, "rgSpace2", nullptr},
        {1, "rgTypes0", "page-types-listing"},
        {1, "rgTypes1", "page-types-pie"},
        {2, "rgSize0", "page-sizes-listing"},
        {2, "rgSize1", "page-sizes-chart"},
        {3, "", "page-overhang"},
        {4, "rgAccess0", "page-access-listing"},
        {4, "rgAccess1", "page-access-chart"},
        {5, "rgCreate1", "page-created-chart"},
        {6, "rgModify1", "page-modified-chart"},
        {7, "rgCombine0", "page-combined-listing"},
        {7, "rbCombine1", "page-combined-chart"},
        {8, "", "page-attribute"},
        {9, "", "page-time"},
    };
    for (const auto &view : views) {
        window.OvcNotebook1->setPageIndex(view.page);
        settle(200);
        if (*view.button != '\0') {
            auto *button = window.findChild<QRadioButton *>(QString::fromLatin1(view.button));
            if (button == nullptr) {
                err() << "no view button " << view.button << '\n';
                continue;
            }
            button->click();
        }
        // Long enough for the Space bars to grow to their full depth.
        settle(view.page == 0 ? 1200 : 300);
        if (view.file != nullptr)
            shooter.widget(&window, QString::fromLatin1(view.file));
    }
}

// The Types listing on paper, through the window's own "Print page" with a
// PDF file in place of the printer dialog.
void printTypesListing(vorin::TfrmStatistics &window, const QDir &out)
{
    window.OvcNotebook1->setPageIndex(1);
    if (auto *listing = window.findChild<QRadioButton *>(QStringLiteral("rgTypes0")))
        listing->click();
    const QString path = out.filePath(QStringLiteral("page-types-listing.pdf"));
    window.choosePrinter = [path] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        return printer;
    };
    // Were the pie still up, its preview would wait for a click that never comes.
    window.previewChart = [](vorin::chart::Chart &) { err() << "the Types pie is still shown\n"; };
    window.btPrintClick();
    err() << "wrote " << path << '\n';
}

// The desktop's actions as the pictures need them: nothing is opened or
// moved, however the boxes are answered.
class NoFileActions final : public vorin::FileActions
{
public:
    void open(const std::vector<std::string> &) override {}
    void showInFolder(const std::vector<std::string> &) override {}
    [[nodiscard]] vorin::TrashOutcome moveToTrash(const std::string &) override
    {
        return {false, "not in a picture"};
    }
};

// A list window over the statistics window it came from, one picture of both
// as they stand on the screen (drawn together, so that it works offscreen too).
void shootOver(QWidget &under, QWidget &over, Shooter &shooter, const QString &name)
{
    const QRect area = under.frameGeometry().united(over.frameGeometry());
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(QColor(0, 128, 128));
    QPainter painter(&picture);
    painter.drawImage(under.geometry().topLeft() - area.topLeft(), under.grab().toImage());
    painter.drawImage(over.geometry().topLeft() - area.topLeft(), over.grab().toImage());
    painter.end();
    shooter.image(picture, name);
}

// The files behind a figure of three pages, each list over its page, and the
// box that asks before files go to the trash.
void shootFileLists(vorin::TfrmStatistics &window, Shooter &shooter)
{
    NoFileActions actions;
    window.fileLists->setActions(&actions);
    window.move(40, 40);
    const vorin::Statistics &s = window.statistics();
    // The type of most bytes, the band of most files, the oldest bucket that holds files.
    std::string biggest;
    std::int64_t most = -1;
    for (const vorin::TypeTotal &t : s.lbTypes)
        if (t.bytes > most) {
            most = t.bytes;
            biggest = t.key;
        }
    int band = 1;
    for (int b = 1; b <= vorin::kSizeBands; ++b)
        if (s.sizeBandCount[std::size_t(b)] > s.sizeBandCount[std::size_t(band)])
            band = b;
    int bucket = vorin::kAgeBuckets - 1;
    while (bucket > 0 && s.modifiedAgeCount[std::size_t(bucket)] == 0)
        --bucket;
    const struct
    {
        int page;
        const char *button;
        vorin::Figure figure;
        const char *file;
    } lists[] = {
        {1, "rgTypes0", {vorin::FigureKind::Type, 0, biggest}, "files-types"},
        {2, "rgSize1", {vorin::FigureKind::Size, band, {}}, "files-sizes"},
        {6, "rgModify1", {vorin::FigureKind::ModifiedAge, bucket, {}}, "files-modified-age"},
    };
    vorin::FileListWindow *last = nullptr;
    for (const auto &list : lists) {
        window.OvcNotebook1->setPageIndex(list.page);
        if (auto *button = window.findChild<QRadioButton *>(QString::fromLatin1(list.button)))
            button->click();
        settle(300);
        window.fileLists->show(list.figure);
        last = window.fileLists->window(list.figure);
        if (last == nullptr) {
            err() << "no list for " << QString::fromStdString(vorin::figureName(list.figure))
                  << '\n';
            continue;
        }
        last->resize(820, 380);
        last->move(window.geometry().topLeft() + QPoint(150, 190));
        settle(400);
        shootOver(window, *last, shooter, QString::fromLatin1(list.file));
    }
    if (last != nullptr) {
        // The real box, answered No once its picture is taken.
        vorin::QtMessages boxes;
        vorin::Messages *recording = vorin::installMessages(&boxes);
        last->gridFiles->selectRow(0);
        last->gridFiles->selectionModel()->select(
            last->model().index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTimer::singleShot(400, last, [last, &shooter] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                shootOver(*last, *box, shooter, QStringLiteral("files-trash-confirm"));
                box->close();
            }
        });
        last->btTrashClick();
        vorin::installMessages(recording);
    }
    window.fileLists->closeAll();
    window.fileLists->setActions(nullptr);
}

// A second scan of drive c after its tree changed, compared with the first:
// the Types listing and the Sizes chart with their changes; then the History tab.
void shootComparison(vorin::TfrmStatistics &window, const QString &tree, Shooter &shooter)
{
    // The scans' times must differ by a second for the first to be offered.
    settle(1100);
    // A type added, the temporary files gone.
    for (const auto &[name, size] : {std::pair{"Music/backup.iso", 3 * 1024 * 1024},
                                     std::pair{"Documents/notes.md", 12000}}) {
        QFile file(tree + QLatin1Char('/') + QString::fromLatin1(name));
        if (file.open(QIODevice::WriteOnly))
            file.resize(size);
    }
    QDir(tree + QStringLiteral("/Temp")).removeRecursively();
    window.btOK->click();
    waitUntil([&window] { return !window.scanRunning(); }, 60000);
    settle(800);
    QComboBox *choice = window.comparison->cbCompare;
    if (choice->count() < 2) {
        err() << "no earlier scan to compare with\n";
        return;
    }
    choice->setCurrentIndex(1);
    emit choice->activated(1);
    const struct
    {
        int page;
        const char *button;
        const char *file;
    } shots[] = {{1, "rgTypes0", "history-compare-types"},
                 {2, "rgSize1", "history-compare-sizes-chart"},
                 {3, "", "history-compare-overhang"}};
    for (const auto &shot : shots) {
        window.OvcNotebook1->setPageIndex(shot.page);
        if (auto *button = window.findChild<QRadioButton *>(QString::fromLatin1(shot.button)))
            button->click();
        settle(400);
        shooter.widget(&window, QString::fromLatin1(shot.file));
    }
    choice->setCurrentIndex(0);
    emit choice->activated(0);
    // The History tab: drive c's two scans, by size.
    window.OvcNotebook1->setPageIndex(10);
    if (auto *button = window.findChild<QRadioButton *>(QStringLiteral("rgHistory1")))
        button->click();
    settle(400);
    shooter.widget(&window, QStringLiteral("history-trend"));
}

// Holds the walk at one file until the picture of the running scan is taken.
class Gate final : public vorin::WalkObserver
{
public:
    explicit Gate(int holdAt) : m_holdAt(holdAt) {}

    void fileCounted(std::string_view, const vorin::DirectoryEntry &) override
    {
        if (++m_counted != m_holdAt)
            return;
        std::unique_lock lock(m_mutex);
        m_holding = true;
        m_cv.wait(lock, [this] { return m_released; });
    }
    [[nodiscard]] bool holding()
    {
        std::lock_guard lock(m_mutex);
        return m_holding;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_cv.notify_all();
    }

private:
    const int m_holdAt;
    std::atomic<int> m_counted{0};
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_holding = false;
    bool m_released = false;
};
#endif

// Shows the about box the way the main window does and takes its picture
// while it is up.
void shootAboutBox(vorin::TfrmMain &frmMain, Shooter &shooter)
{
    QTimer::singleShot(300, &frmMain, [&shooter] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            shooter.widget(box, QStringLiteral("05-about-box"));
            shooter.screen(QStringLiteral("06-about-box-screen"));
            box->close();
        }
    });
    frmMain.btReachClick();
}

void shootMainWindow(vorin::TfrmMain &frmMain, Shooter &shooter)
{
    frmMain.show();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        // Without a window manager nobody maximises the window.
        if (frmMain.width() < screen->availableGeometry().width() - 100)
            frmMain.setGeometry(screen->availableGeometry());
    }
    waitUntil([&frmMain] { return frmMain.Timer2->isActive(); }, 5000);
    settle(500);
    shooter.widget(&frmMain, QStringLiteral("01-main-opening"));
    waitUntil([&frmMain] { return !frmMain.Timer2->isActive() && !frmMain.Timer1->isActive(); },
              20000);
    settle(200);
    shooter.widget(&frmMain, QStringLiteral("02-main-after-animation"));
    shooter.screen(QStringLiteral("03-main-screen"));
    // The hint the chart gives once the animation has run, as the pointer
    // resting on the chart would bring it up.
    const QPoint middle = frmMain.chartSpaceBar->rect().center();
    QToolTip::showText(frmMain.chartSpaceBar->mapToGlobal(middle), frmMain.chartSpaceBar->hint(),
                       frmMain.chartSpaceBar);
    settle(300);
    shooter.screen(QStringLiteral("03-main-hint-screen"));
    QToolTip::hideText();
    shooter.widget(frmMain.btClose, QStringLiteral("04-main-buttons-exit"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    vorin::prepareApplication();

    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3 ||
        (args.size() == 3 && args.at(2) != QLatin1String("--real-drives"))) {
        err() << "usage: screenshot-driver <output directory> [--real-drives]\n";
        return 2;
    }
    const QDir out(args.at(1));
    if (!QDir().mkpath(out.absolutePath())) {
        err() << "cannot create " << out.absolutePath() << '\n';
        return 1;
    }
    const bool realDrives = args.size() == 3;
    Shooter shooter(out);
    // Boxes are recorded, not shown: nothing may wait for a click here.
    vorin::RecordingMessages messages;

    QTemporaryDir trees;
    vorin::FakeVolumes fakeVolumes;
    vorin::PosixVolumes posixVolumes;
    const vorin::Volumes &volumes = realDrives ? static_cast<const vorin::Volumes &>(posixVolumes)
                                               : static_cast<const vorin::Volumes &>(fakeVolumes);
    if (!realDrives) {
        const QString c = trees.filePath(QStringLiteral("c"));
        const QString d = trees.filePath(QStringLiteral("d"));
        const QString e = trees.filePath(QStringLiteral("e"));
        makeTree(c, 700, 1);
        makeTree(d, 400, 2);
        makeTree(e, 30, 3);
        constexpr double kGb = 1024.0 * 1024 * 1024;
        fakeVolumes.add(volume('c', vorin::kDriveFixed, c, "system"), {11.5 * kGb, 38.2 * kGb},
                        4096);
        fakeVolumes.add(volume('d', vorin::kDriveFixed, d, "data"), {71.0 * kGb, 111.7 * kGb},
                        4096);
        // A small card: under 10,000 KB, shown with its fraction of an MB.
        fakeVolumes.add(volume('e', vorin::kDriveRemovable, e, "card"), {1024000.0, 1457664.0},
                        512);
        fakeVolumes.setCurrentDrive('c');
    }

#ifdef VORIN_HAVE_VIEWS
    vorin::FakeSettingsFile settings;
    const vorin::MimeRegistry registry;
    vorin::Services services{volumes, settings, registry, vorin::systemLocaleSeparators()};
    services.timeFormat = vorin::systemShortTimeFormat();
    // Scans are kept in a history of the run's own, which the comparison reads.
    const std::unique_ptr<vorin::ScanHistory> history =
        realDrives ? nullptr
                   : vorin::openScanHistory(trees.filePath(QStringLiteral("history.sqlite")).toStdString());
    services.history = history.get();

    vorin::MainWindows windows = vorin::createMainWindows(services);
    std::unique_ptr<vorin::TfrmMain> &frmMain = windows.main;
    vorin::TfrmStatistics *frmStatistics = windows.statistics;

    shootMainWindow(*frmMain, shooter);
    shootAboutBox(*frmMain, shooter);

    frmMain->btStatistic->click();
    waitUntil([frmStatistics] { return frmStatistics->isVisible(); }, 5000);
    settle(1500);
    shooter.widget(frmStatistics, QStringLiteral("10-statistics-before-scan"));
    shooter.screen(QStringLiteral("11-statistics-screen"));
    frmStatistics->OvcNotebook1->setPageIndex(1);
    settle(200);
    shooter.widget(frmStatistics, QStringLiteral("12-statistics-not-yet-collected"));
    frmStatistics->OvcNotebook1->setPageIndex(0);
    settle(200);

    if (!realDrives) {
        Gate gate(250);
        frmStatistics->walkObserver = &gate;
        frmStatistics->runWizard = [] {
            vorin::WizardResult result;
            result.drives = {"c: [system]"};
            return std::optional<vorin::WizardResult>(result);
        };
        frmStatistics->btOK->click();
        if (waitUntil([&gate] { return gate.holding(); }, 20000)) {
            settle(400);
            shooter.widget(frmStatistics, QStringLiteral("20-statistics-scanning"));
        } else {
            err() << "the scan did not get going\n";
        }
        gate.release();
        waitUntil([frmStatistics] { return !frmStatistics->scanRunning(); }, 60000);
        frmStatistics->walkObserver = nullptr;
        settle(800);
        const QStringList pages{QStringLiteral("space"),     QStringLiteral("types"),
                                QStringLiteral("sizes"),     QStringLiteral("overhang"),
                                QStringLiteral("access"),    QStringLiteral("created"),
                                QStringLiteral("modified"),  QStringLiteral("combined"),
                                QStringLiteral("attribute"), QStringLiteral("time")};
        for (int page = 0; page < pages.size(); ++page) {
            frmStatistics->OvcNotebook1->setPageIndex(page);
            settle(page == 0 ? 1200 : 300);
            shooter.widget(
                frmStatistics,
                QStringLiteral("3%1-statistics-after-scan-%2").arg(page).arg(pages.at(page)));
        }
        shootPageViews(*frmStatistics, shooter);
        shootFileLists(*frmStatistics, shooter);
        shootComparison(*frmStatistics, trees.filePath(QStringLiteral("c")), shooter);
        printTypesListing(*frmStatistics, out);
    }
    frmMain->close();
    frmMain.reset();
#else
    vorin::PickList drives;
    for (const vorin::Volume &v : volumes.list())
        drives.addItem(QStringLiteral("%1: [%2]")
                           .arg(QChar::fromLatin1(v.letter))
                           .arg(QString::fromStdString(v.label)));
    vorin::TfrmMain frmMain(volumes);
    frmMain.setStatistics(vorin::StatisticsLink{nullptr, &drives, {}});
    shootMainWindow(frmMain, shooter);
    shootAboutBox(frmMain, shooter);
    frmMain.close();
#endif
    for (const auto &shown : messages.shown())
        err() << "box: " << QString::fromStdString(shown.text) << '\n';
    return shooter.ok() ? 0 : 1;
}
