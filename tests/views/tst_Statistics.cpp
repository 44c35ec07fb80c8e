#include "ButtonClicks.h"
#include "chart/Chart.h"
#include "chart/ChartPrinting.h"
#include "engine/report/Report.h"
#include "engine/report/ReportFile.h"
#include "PageFixture.h"
#include "platform/fake/RefusingDirectoryReader.h"
#include "ScanFixture.h"
#include "views/DatePages.h"
#include "views/ScanComparison.h"
#include "views/SizesPage.h"
#include "views/SpacePage.h"
#include "views/TimePage.h"
#include "views/TypesPage.h"
#include "widgets/HeadingLabel.h"
#include "widgets/MenuButton.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/SaveFile.h"
#include "widgets/StringGrid.h"
#include "widgets/TiledPanel.h"

#include <fstream>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#ifdef VORIN_HAVE_WHICHDRIVE
#include "dialogs/WhichDrive.h"
#endif

#include <set>

using namespace vorin;
using namespace vorin::testing;

namespace {

constexpr int kRunTimeout = kScanTimeout;

const QString kOneDriveNotice =
    QStringLiteral("Disk Drive c: [sys] will be scanned.  The analysis may take some time.  You "
                   "may quit at any time by clicking Abort or pressing ESC.");
const QString kSeveralDrivesNotice = QStringLiteral(
    "Since you selected more than one drive to analyze, the Cluster Overhang tab will be "
    "disabled.  You may quit the analysis at any time by clicking CANCEL or by pressing ESC.");

QString status(const TfrmStatistics &w)
{
    return w.StatusBar1->currentMessage();
}

std::set<QString> forcedDisabled(const QWidget &root)
{
    std::set<QString> names;
    for (const QWidget *child : root.findChildren<QWidget *>())
        if (child->testAttribute(Qt::WA_ForceDisabled) && !child->objectName().isEmpty())
            names.insert(child->objectName());
    return names;
}

// Every table of a window, row by row, as its grids hold them.
QStringList everyTable(const TfrmStatistics &w)
{
    QStringList rows;
    for (const StringGrid *grid : w.findChildren<StringGrid *>()) {
        rows << grid->objectName();
        for (int row = 0; row < grid->rowCount(); ++row)
            rows << grid->rowTexts(row).join(QLatin1Char('\t'));
    }
    return rows;
}

// The JSON report of a window's last scan, as vorin-report writes it.
void writeReportOf(const TfrmStatistics &w, const ViewsEnvironment &env,
                   const std::vector<std::string> &drives, const QString &path)
{
    std::ofstream out(path.toStdString());
    writeReportJson(out, w.statistics(), w.clusterSize(), {1}, reportDrives(drives, env.volumes),
                    {}, 0, 0, true, env.registry);
}

std::unique_ptr<QPrinter> pdfPrinter(const QString &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

bool isPdf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() > 1000 && file.read(5) == "%PDF-";
}

// Whatever box is up when a wizard was expected: closed, so the test fails
// instead of waiting for a click.
[[maybe_unused]] void closeModalBox()
{
    if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        box->reject();
}

} // namespace

class tst_Statistics : public QObject
{
    Q_OBJECT

private slots:
    void windowHasItsFrameCommandRowAndElevenPages();
    void overlayCoversTheNotebookBelowItsTabs();
    void driveListLeavesOutUnlabelledDiscsAndSelectsTheCurrentDrive();
    void driveListSelectsEverythingWhenTheCurrentDriveIsUnlabelled();
    void paletteHoldsTwelveDistinctColoursOrOneColourEverywhere();
    void everyPageButSpaceIsCoveredUntilADriveIsScanned_data();
    void everyPageButSpaceIsCoveredUntilADriveIsScanned();
    void tabPassesByTheControlsTheCoverHides();
    void noteButtonsShowTheirNotes();
    void oneDriveRunFillsThePagesInOrderAndReportsCounts();
    void filteredRunReportsFilesFoundAfterFilesProcessed();
    void includeRunListsChosenTypesWithoutFilesOnTheTypesPage();
    void unreadableDirectoriesAreCountedOnTheStatusLine();
    void notReadyDriveIsSkippedButNamedInTheCaption();
    void abortDuringTheFirstOfThreeDrivesShowsPartialCounts();
    void cancelledWizardLeavesThePreviousResults();
    void drivesWithoutCapacityStopWithAnErrorAndKeepResults();
    void entryThatNamesNoDriveStopsTheRunWithAnError();
    void driveWhoseRootCannotBeOpenedCountsNothingButRebuildsThePages();
    void escapeWithoutAScanHidesTheWindow();
    void escapeDuringAScanOnlyStopsIt();
    void enterOnAFocusedCommandButtonPressesThatButtonOnly_data();
    void enterOnAFocusedCommandButtonPressesThatButtonOnly();
    void enterElsewherePressesCollectStatistics_data();
    void enterElsewherePressesCollectStatistics();
    void enterOnAbortDuringAScanStopsTheScanOnly();
    void enterOnSortOpensItsMenu();
    void windowStaysUsableAndDisenableTouchesOnlyItsControlsDuringAScan();
    void progressTextShowsTheDriveAndDirectoryDuringAScan();
    void destroyingTheWindowDuringAScanStopsTheWalk();
    void closingTheWindowDuringAScanFinishesTheDriveAsAborted();
    void windowImageIsDrawnOnWhiteAndColoursComeBack_data();
    void windowImageIsDrawnOnWhiteAndColoursComeBack();
    void printingTheWindowImageWritesAPdf();
    void cancelledPrintDialogPrintsNothing();
    void typesListingPrintsTheGridUnderItsTitle();
    void pagesWithAVisibleChartOpenItsPreview_data();
    void pagesWithAVisibleChartOpenItsPreview();
    void pagesWithAHiddenChartPrintTheWindowImage();
    void chartPageAndWindowImagePageBothReachPaper();
    void everyChartOfThePagesSavesItsPictureAtItsSize();
#ifdef VORIN_HAVE_WHICHDRIVE
    void openedReportShowsThePagesOfTheScanItCameFrom();
    void fileThatIsNoReportChangesNothing_data();
    void fileThatIsNoReportChangesNothing();
    void collectingAsksTheWizardForDrivesAndMode();
    void cancellingTheWizardStartsNothing();
#endif
};

void tst_Statistics::windowHasItsFrameCommandRowAndElevenPages()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    QCOMPARE(w.windowTitle(), QStringLiteral("File Statistics Not Yet Collected"));
    QCOMPARE(w.size(), QSize(632, 431));
    QCOMPARE(w.minimumSize(), w.maximumSize());

    const QStringList captions = {"Space",     "Types",   "Sizes",    "Overhang",
                                  "Access",    "Created", "Modified", "Combined",
                                  "Attribute", "Time",    "History"};
    QCOMPARE(w.OvcNotebook1->pageCount(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(w.OvcNotebook1->pageCaption(i), captions[i]);
    QCOMPARE(w.OvcNotebook1->pageIndex(), 0);
    QCOMPARE(w.OvcNotebook1->geometry(), QRect(0, 0, 632, 382));
    // Each tab as wide as its caption, all eleven within the window's width.
    QCOMPARE(w.OvcNotebook1->tabSize(), QSize(0, 18));
    for (int i = 0; i < captions.size(); ++i)
        QVERIFY(w.OvcNotebook1->tabRect(i).width() >=
                w.OvcNotebook1->fontMetrics().horizontalAdvance(captions[i]));
    QVERIFY(w.OvcNotebook1->tabRect(captions.size() - 1).right() < 632);

    QCOMPARE(w.btOK->text(), QStringLiteral("&Collect statistics"));
    QCOMPARE(w.btOK->geometry(), QRect(256, 384, 155, 25));
    QCOMPARE(w.btOK->toolTip(), QStringLiteral("Start collecting statistics"));
    QVERIFY(w.btOK->isDefault());
    QCOMPARE(w.btPrint->text(), QStringLiteral("&Print page"));
    QCOMPARE(w.btPrint->geometry(), QRect(424, 384, 105, 25));
    QCOMPARE(w.btPrint->toolTip(), QStringLiteral("Print this page only"));
    QCOMPARE(w.btCancel->text(), QStringLiteral("Close"));
    QCOMPARE(w.btCancel->geometry(), QRect(544, 384, 81, 25));
    QCOMPARE(w.btCancel->toolTip(), QStringLiteral("Cancel operation or close window"));
    QCOMPARE(w.StatusBar1->geometry(), QRect(0, 409, 632, 22));

    // Every control the run switches is there, on its page, by name.
    const QStringList named = {
        "rbCombine1", "rbCombine2", "rgSpace1",   "rgSpace2",   "pckStatDrive",
        "rgTypes",    "rgSize0",    "rgSize1",    "rgSize2",    "rgAccess0",
        "rgAccess1",  "rgAccess2",  "rgCreate0",  "rgCreate1",  "rgCreate2",
        "rgModify0",  "rgModify1",  "rgModify2",  "rgCombine0", "btSort",
        "cbTotal",    "gridTypes",  "gridAccess", "gridCreate", "gridModify"};
    for (const QString &name : named)
        QVERIFY2(w.findChild<QWidget *>(name), qPrintable(name));
    QCOMPARE(w.findChild<QRadioButton *>("rgSize1")->text(),
             QStringLiteral("Chart by Size (in MB)"));
    QVERIFY(w.findChild<QRadioButton *>("rgSize1")->isChecked());
    QCOMPARE(w.datePages->rgCombine0->text(), QStringLiteral("Listing"));
    QVERIFY(w.datePages->rbCombine1->isChecked());
    QCOMPARE(w.spacePage->rgSpace2->text(), QStringLiteral("Bar - totals"));
    QVERIFY(w.spacePage->rgSpace2->isChecked());
    QCOMPARE(w.spacePage->rgSpace1->text(), QStringLiteral("Pie - percent"));
    QCOMPARE(w.spacePage->cbTotal->text(), QStringLiteral("Show Cumulative Total"));
    QVERIFY(w.spacePage->cbTotal->isChecked());
    QVERIFY(w.OvcNotebook1->page(0)->isAncestorOf(w.pckStatDrive));
    QVERIFY(w.OvcNotebook1->page(1)->isAncestorOf(w.typesPage->rgTypes));
    QVERIFY(w.OvcNotebook1->page(7)->isAncestorOf(w.datePages->rgCombine0));
    QVERIFY(w.typesPage->SortbyExtension->isChecked());

    // Tab goes from the page's last control along the command row, left to
    // right, and back to the tabs.
    w.comparison->cbCompare->setEnabled(true);
    QCOMPARE(
        tabStops(*w.spacePage->cbTotal, 5),
        (QList<QWidget *>{w.comparison->cbCompare, w.btOK, w.btPrint, w.btCancel, w.OvcNotebook1}));
}

void tst_Statistics::overlayCoversTheNotebookBelowItsTabs()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    QCOMPARE(w.pnlNotYet->geometry(), QRect(0, 19, 625, 359));
    QCOMPARE(w.lblNotYet->text(), QStringLiteral("Statistics haven't been collected yet!"));
    QVERIFY(w.btAbort->isHidden());
    QCOMPARE(w.btAbort->geometry(), QRect(250, 269, 121, 41));
    QCOMPARE(w.btAbort->text(), QStringLiteral("Abort"));
    // Above the notebook, so a page cannot show through.
    const QObjectList &children = w.children();
    QVERIFY(children.indexOf(w.pnlNotYet) > children.indexOf(w.OvcNotebook1));
}

void tst_Statistics::driveListLeavesOutUnlabelledDiscsAndSelectsTheCurrentDrive()
{
    ViewsEnvironment env;
    Volume disc = fixedVolume('g', env.e.path(), "");
    disc.type = kDriveCdRom;
    env.volumes.add(disc, {0, 0}, 2048, false);
    Volume labelledDisc = fixedVolume('h', env.e.path(), "MUSIC");
    labelledDisc.type = kDriveCdRom;
    env.volumes.add(labelledDisc, {0, 600e6}, 2048);
    env.volumes.add(fixedVolume('a', env.e.path(), "floppy"));
    env.volumes.add(fixedVolume('f', env.e.path(), ""), {1 * kGiB, 2 * kGiB});
    env.volumes.setCurrentDrive('d');

    TfrmStatistics w(env.services);
    QCOMPARE(w.pckStatDrive->items(),
             QStringList({"c: [sys]", "d: [data]", "e: [more]", "f: (Fixed disk)", "h: [MUSIC]"}));
    QCOMPARE(w.pckStatDrive->selectedItems(), QStringList({"d: [data]"}));
}

void tst_Statistics::driveListSelectsEverythingWhenTheCurrentDriveIsUnlabelled()
{
    ViewsEnvironment env;
    env.volumes.add(fixedVolume('f', env.e.path(), ""), {1 * kGiB, 2 * kGiB});
    env.volumes.setCurrentDrive('f');
    TfrmStatistics w(env.services);
    QCOMPARE(w.pckStatDrive->count(), 4);
    QCOMPARE(w.pckStatDrive->selCount(), 4);
}

void tst_Statistics::paletteHoldsTwelveDistinctColoursOrOneColourEverywhere()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    const QList<QColor> expected = {
        QColor(255, 0, 0), QColor(128, 0, 0),   QColor(0, 0, 255),     QColor(255, 255, 0),
        QColor(0, 128, 0), QColor(0, 255, 0),   QColor(255, 0, 255),   QColor(0, 128, 128),
        QColor(0, 0, 128), QColor(0, 255, 255), QColor(255, 255, 255), QColor(128, 128, 128)};
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(w.aColor(i), expected[i - 1]);
    w.initAColors(false, QColor(0, 128, 0));
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(w.aColor(i), QColor(0, 128, 0));
    w.initAColors(true, QColor(0, 128, 0));
    QCOMPARE(w.aColor(3), QColor(0, 0, 255));
}

void tst_Statistics::everyPageButSpaceIsCoveredUntilADriveIsScanned_data()
{
    QTest::addColumn<int>("page");
    const char *const names[] = {"Space",   "Types",    "Sizes",    "Overhang",  "Access",
                                 "Created", "Modified", "Combined", "Attribute", "Time"};
    for (int i = 0; i < 10; ++i)
        QTest::newRow(names[i]) << i;
}

void tst_Statistics::everyPageButSpaceIsCoveredUntilADriveIsScanned()
{
    QFETCH(int, page);
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    QVERIFY(w.OvcNotebook1->setPageIndex(page));
    QCOMPARE(w.pnlNotYet->isVisible(), page != 0);
    if (page != 0)
        QCOMPARE(w.lblNotYet->text(), QStringLiteral("Statistics haven't been collected yet!"));

    QVERIFY(w.OvcNotebook1->setPageIndex(page == 0 ? 1 : 0));
    runAndWait(w, allFilesOf({"c: [sys]"}));
    QVERIFY(w.statisticsCollected());
    QVERIFY(w.OvcNotebook1->setPageIndex(page));
    QVERIFY(!w.pnlNotYet->isVisible());
}

void tst_Statistics::tabPassesByTheControlsTheCoverHides()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.OvcNotebook1->setPageIndex(1));
    QWidget *const types = w.OvcNotebook1->page(1);
    const auto stopsFromTheTabs = [&w](Qt::KeyboardModifiers modifiers) {
        QList<QWidget *> stops;
        w.OvcNotebook1->setFocus();
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
            stops << QApplication::focusWidget();
        }
        return stops;
    };
    for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
        const QList<QWidget *> stops = stopsFromTheTabs(modifiers);
        QVERIFY(stops.contains(w.btOK));
        QVERIFY(stops.contains(w.OvcNotebook1));
        for (const QWidget *stop : stops)
            QVERIFY2(!types->isAncestorOf(stop), qPrintable(stop->objectName()));
    }

    runAndWait(w, allFilesOf({"c: [sys]"}));
    QVERIFY(w.OvcNotebook1->setPageIndex(1));
    const QList<QWidget *> stops = stopsFromTheTabs(Qt::NoModifier);
    QVERIFY(std::any_of(stops.begin(), stops.end(),
                        [types](const QWidget *stop) { return types->isAncestorOf(stop); }));
}

void tst_Statistics::noteButtonsShowTheirNotes()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    QCOMPARE(w.datePages->SpeedButton1->geometry(), QRect(593, 337, 25, 22));
    QVERIFY(w.OvcNotebook1->page(4)->isAncestorOf(w.datePages->SpeedButton1));
    QVERIFY(w.OvcNotebook1->page(7)->isAncestorOf(w.datePages->SpeedButton4));
    w.datePages->SpeedButton1->click();
    w.datePages->SpeedButton2->click();
    w.datePages->SpeedButton3->click();
    w.datePages->SpeedButton4->click();
    const auto &shown = env.messages.shown();
    QCOMPARE(shown.size(), std::size_t(4));
    for (const auto &box : shown)
        QCOMPARE(box.kind, RecordingMessages::Shown::Info);
    QCOMPARE(QString::fromStdString(shown[0].text),
             QStringLiteral("Note: prior versions of Windows and DOS did not store the file access "
                            "date.  Files never recorded as being accessed are probably old files "
                            "that were converted to Windows 95."));
    QCOMPARE(QString::fromStdString(shown[1].text),
             QStringLiteral("Files never recorded as being created are probably old files that "
                            "were converted to Windows 95.  Note: prior versions of Windows and "
                            "DOS did not store the file creation date independent of the last "
                            "file modification or file write date."));
    QCOMPARE(QString::fromStdString(shown[2].text),
             QStringLiteral("Note: prior versions of Windows and DOS treated the file creation "
                            "date synonomously  with the last file modification date.  Therefore "
                            "all files have a file modification date."));
    QCOMPARE(QString::fromStdString(shown[3].text),
             QStringLiteral("This chart combines the Accessed, Created and Modified charts"));
}

void tst_Statistics::oneDriveRunFillsThePagesInOrderAndReportsCounts()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    QVERIFY(w.OvcNotebook1->setPageIndex(2));
    runAndWait(w, allFilesOf({"c: [sys]"}));

    QCOMPARE(w.windowTitle(), QStringLiteral("Statistics completed for drives C: "));
    QCOMPARE(status(w), QStringLiteral("Finished - 7 files processed"));
    QCOMPARE(w.StatusBar1->accessibleName(), status(w)); // what a screen reader reads
    QCOMPARE(w.typesPage->gridTypes->rowTexts(0),
             QStringList({"Extension", "Type", "Size", "# Files", "Avg File Size"}));
    QVERIFY(!w.Timer1->isActive()); // stopped before the scan, so stopped after it
    QCOMPARE(w.statistics().filesProcessed, 7);
    QCOMPARE(w.statistics().filesSelected, 7);
    QCOMPARE(w.currentDrive(), QStringLiteral("c: [sys]"));
    QCOMPARE(w.clusterSize(), 4096);
    QVERIFY(w.OvcNotebook1->pageEnabled(3));
    QVERIFY(!w.pnlNotYet->isVisible());
    QCOMPARE(
        w.lblNotYet->text(),
        QStringLiteral("Collecting statistics ... standby.  Press Esc or click Abort to stop."));
    QVERIFY(!w.btAbort->isHidden());
    for (QWidget *control : w.viewControls())
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(!QApplication::overrideCursor());

    QCOMPARE(env.messages.shown().size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(env.messages.shown()[0].text), kOneDriveNotice);

    const QStringList order = {"doOverHang",
                               "doFileTypes",
                               "doFileSizes",
                               "doFileAttrs",
                               "fillGridDates Accessed Date",
                               "fillGridDates Created Date",
                               "fillGridDates Modified Date",
                               "fillCombinedGridDates",
                               "doFileTimes",
                               "doFileAges",
                               "SortbyExtensionClick"};
    QCOMPARE(w.pageBuilderCalls(), order);

    // The types table holds one row per extension, and the date tables
    // their buckets with the newest files in the bottom row.
    QCOMPARE(w.typesPage->gridTypes->rowCount(), 4);
    QCOMPARE(w.typesPage->gridTypes->cell(0, 1), QStringLiteral(".BIN"));
    QCOMPARE(w.typesPage->gridTypes->cell(3, 1), QStringLiteral("4"));
    QCOMPARE(w.typesPage->gridTypes->cell(0, 2), QStringLiteral(".TXT"));
    QCOMPARE(w.typesPage->gridTypes->cell(2, 2), QStringLiteral("303"));
    QCOMPARE(w.datePages->gridModify->cell(0, 0), QStringLiteral("Modified Date"));
    double counted = 0;
    for (int row = 1; row <= 10; ++row)
        counted += w.datePages->gridModify->cell(2, row).toDouble();
    QCOMPARE(counted, 7.0);
    QCOMPARE(w.datePages->gridCombine->cell(0, 0), QStringLiteral("Combined dates"));
    QCOMPARE(w.datePages->gridCombine->cell(6, 0), QStringLiteral("Modify # files"));
    double combined = 0;
    for (int row = 1; row <= 10; ++row) {
        QCOMPARE(w.datePages->gridCombine->cell(0, row), w.datePages->gridModify->cell(0, row));
        QCOMPARE(w.datePages->gridCombine->cell(6, row), w.datePages->gridModify->cell(2, row));
        combined += w.datePages->gridCombine->cell(2, row).toDouble();
    }
    QCOMPARE(combined, 7.0);
}

void tst_Statistics::filteredRunReportsFilesFoundAfterFilesProcessed()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    WizardResult answer = allFilesOf({"c: [sys]"});
    answer.allFiles = false;
    answer.includeTypes = true;
    answer.types = {"*.txt\tText Document"};
    runAndWait(w, answer);
    QCOMPARE(status(w), QStringLiteral("Finished - 7 files processed 3 files found"));
    QCOMPARE(w.statistics().filesSelected, 3);

    answer.includeTypes = false;
    answer.excludeTypes = true;
    runAndWait(w, answer);
    QCOMPARE(status(w), QStringLiteral("Finished - 7 files processed 4 files found"));
}

void tst_Statistics::includeRunListsChosenTypesWithoutFilesOnTheTypesPage()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    WizardResult answer = allFilesOf({"c: [sys]"});
    answer.allFiles = false;
    answer.includeTypes = true;
    answer.types = {"*.txt\tText Document", "*.doc\tWord Document"};
    runAndWait(w, answer);
    const StringGrid &grid = *w.typesPage->gridTypes;
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.rowTexts(1), QStringList({".DOC", "DOC File", "0", "0", "0"}));
    QCOMPARE(grid.rowTexts(2), QStringList({".TXT", "TXT File", "303", "3", "101"}));
    // The run's own figures hold only what the drive had.
    QCOMPARE(w.statistics().lbTypes.size(), std::size_t(1));
}

void tst_Statistics::unreadableDirectoriesAreCountedOnTheStatusLine()
{
    ViewsEnvironment env;
    const RefusingDirectoryReader refusing(makeDirectoryReader(), "deep");
    TfrmStatistics w(env.services);
    w.directoryReader = &refusing;
    runAndWait(w, allFilesOf({"c: [sys]"}));
    // docs/deep holds the three text files.
    QCOMPARE(status(w),
             QStringLiteral("Finished - 4 files processed  (1 directory could not be read)"));
    QCOMPARE(w.statistics().filesProcessed, 4);
    for (const RecordingMessages::Shown &box : env.messages.shown())
        QVERIFY2(box.kind != RecordingMessages::Shown::Error, box.text.c_str());

    w.directoryReader = nullptr;
    runAndWait(w, allFilesOf({"c: [sys]"}));
    QCOMPARE(status(w), QStringLiteral("Finished - 7 files processed"));
}

void tst_Statistics::notReadyDriveIsSkippedButNamedInTheCaption()
{
    ViewsEnvironment env;
    env.volumes.add(fixedVolume('x', env.e.path(), "gone"), {1 * kGiB, 2 * kGiB}, 4096, false);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"x: [gone]", "c: [sys]"}));
    QCOMPARE(w.windowTitle(), QStringLiteral("Statistics completed for drives X: C: "));
    QCOMPARE(status(w), QStringLiteral("Finished - 7 files processed"));
    QCOMPARE(QString::fromStdString(env.messages.shown().at(0).text), kSeveralDrivesNotice);
    QVERIFY(!w.OvcNotebook1->pageEnabled(3));
    QVERIFY(!w.pageBuilderCalls().contains("doOverHang"));
    QCOMPARE(w.pageBuilderCalls().count("doFileTypes"), 1);

    // A later one-drive run gives the Overhang page back.
    runAndWait(w, allFilesOf({"d: [data]"}));
    QVERIFY(w.OvcNotebook1->pageEnabled(3));
}

void tst_Statistics::abortDuringTheFirstOfThreeDrivesShowsPartialCounts()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    // Abort as soon as the walk has counted its first file.
    struct AbortAtFirstFile final : WalkObserver
    {
        TfrmStatistics *window = nullptr;
        void fileCounted(std::string_view, const DirectoryEntry &) override
        {
            window->btAbortClick();
        }
    } abortAtFirst;
    abortAtFirst.window = &w;
    w.walkObserver = &abortAtFirst;
    runAndWait(w, allFilesOf({"c: [sys]", "d: [data]", "e: [more]"}));

    QCOMPARE(w.windowTitle(),
             QStringLiteral("File Statistics for drive(s) incomplete ... aborted."));
    QVERIFY(status(w).endsWith(QStringLiteral(" INCOMPLETE ... ABORTED")));
    QVERIFY(status(w).startsWith(QStringLiteral("Finished - ")));
    QVERIFY(w.statistics().filesProcessed >= 1);
    QVERIFY(w.statistics().filesProcessed < 7);
    QCOMPARE(w.currentDrive(), QStringLiteral("c: [sys]"));
    QCOMPARE(w.pageBuilderCalls().count("doFileTypes"), 1);
    QVERIFY(w.statisticsCollected());
    for (QWidget *control : w.viewControls())
        QVERIFY(control->isEnabled());
}

void tst_Statistics::cancelledWizardLeavesThePreviousResults()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"c: [sys]"}));
    const QString title = w.windowTitle();
    const QString line = status(w);
    const Statistics before = w.statistics();
    const QStringList calls = w.pageBuilderCalls();
    const QString firstType = w.typesPage->gridTypes->cell(0, 1);
    env.messages.clear();

    runAndWait(w, std::nullopt);
    runAndWait(w, WizardResult{}); // OK with no drive chosen
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(status(w), line);
    QVERIFY(w.statistics() == before);
    QCOMPARE(w.pageBuilderCalls(), calls);
    QCOMPARE(w.typesPage->gridTypes->cell(0, 1), firstType);
    QVERIFY(env.messages.shown().empty());
}

void tst_Statistics::drivesWithoutCapacityStopWithAnErrorAndKeepResults()
{
    ViewsEnvironment env;
    env.volumes.add(fixedVolume('x', env.e.path(), "gone"), {1 * kGiB, 2 * kGiB}, 4096, false);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"c: [sys]"}));
    env.messages.clear();
    const Statistics before = w.statistics();

    w.runWizard = [] { return allFilesOf({"x: [gone]"}); };
    w.btOK->click();
    QVERIFY(!w.scanRunning());
    QCOMPARE(env.messages.shown().size(), std::size_t(1));
    QCOMPARE(env.messages.shown()[0].kind, RecordingMessages::Shown::Error);
    QCOMPARE(QString::fromStdString(env.messages.shown()[0].text),
             QStringLiteral("Could not compute the total size of the disk drives selected.  "
                            "Cannot proceed with statistics."));
    QVERIFY(w.statistics() == before);
    QCOMPARE(w.currentDrive(), QStringLiteral("c: [sys]"));
}

void tst_Statistics::entryThatNamesNoDriveStopsTheRunWithAnError()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"c: [sys]"}));
    const Statistics before = w.statistics();
    env.messages.clear();

    // Caught before the notice: nothing is cleared.
    w.runWizard = [] { return allFilesOf({"?: nowhere"}); };
    w.btOK->click();
    QVERIFY(!w.scanRunning());
    QCOMPARE(env.messages.shown().size(), std::size_t(1));
    QCOMPARE(env.messages.shown()[0].kind, RecordingMessages::Shown::Error);
    QCOMPARE(QString::fromStdString(env.messages.shown()[0].text),
             QStringLiteral("Not a valid drive ID"));
    QVERIFY(w.statistics() == before);
    for (QWidget *control : w.viewControls())
        QVERIFY(control->isEnabled());
}

void tst_Statistics::driveWhoseRootCannotBeOpenedCountsNothingButRebuildsThePages()
{
    ViewsEnvironment env;
    env.volumes.add(fixedVolume('z', env.e.path() + QStringLiteral("/not there"), "lost"),
                    {1 * kGiB, 2 * kGiB}, 4096);
    TfrmStatistics w(env.services);
    runAndWait(w, allFilesOf({"z: [lost]"}));
    QCOMPARE(env.messages.shown().size(), std::size_t(2));
    QCOMPARE(env.messages.shown()[1].kind, RecordingMessages::Shown::Error);
    QCOMPARE(QString::fromStdString(env.messages.shown()[1].text),
             QStringLiteral("Can't open drive z: [lost]"));
    QVERIFY2(!env.messages.shown()[1].sound, "the box comes without the error sound");
    QCOMPARE(status(w), QStringLiteral("Finished - 0 files processed"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Statistics completed for drives Z: "));
    QVERIFY(w.statisticsCollected());
    QCOMPARE(w.pageBuilderCalls().count("doFileTypes"), 1);
}

void tst_Statistics::escapeWithoutAScanHidesTheWindow()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isHidden());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    // Hidden, not destroyed: the window comes back as it was.
    w.show();
    QVERIFY(w.isVisible());
}

void tst_Statistics::escapeDuringAScanOnlyStopsIt()
{
    ViewsEnvironment env;
    Gate gate;
    TfrmStatistics w(env.services);
    ReleaseOnExit release{gate};
    gate.window = &w;
    w.walkObserver = &gate;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.runWizard = [] { return allFilesOf({"c: [sys]", "d: [data]"}); };
    w.btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), kRunTimeout);
    QVERIFY(w.scanRunning());

    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(w.abortRequested());
    QTRY_VERIFY_WITH_TIMEOUT(!w.scanRunning(), kRunTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(
        w.windowTitle(), QStringLiteral("File Statistics for drive(s) incomplete ... aborted."),
        kRunTimeout);
    QVERIFY(status(w).endsWith(QStringLiteral(" INCOMPLETE ... ABORTED")));
    QVERIFY(w.isVisible());
    // Drive d was never reached.
    QCOMPARE(w.currentDrive(), QStringLiteral("c: [sys]"));

    // With the scan over, Escape closes the window again.
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isHidden());
}

void tst_Statistics::enterOnAFocusedCommandButtonPressesThatButtonOnly_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("wizardRuns");
    QTest::addColumn<int>("printerRequests");
    QTest::addColumn<bool>("hidden");
    for (const bool keypad : {false, true}) {
        const QByteArray key = keypad ? " keypad Enter" : " Return";
        QTest::newRow("Collect statistics" + key) << "btOK" << keypad << 1 << 0 << false;
        QTest::newRow("Print page" + key) << "btPrint" << keypad << 0 << 1 << false;
        QTest::newRow("Close" + key) << "btCancel" << keypad << 0 << 0 << true;
    }
}

void tst_Statistics::enterOnAFocusedCommandButtonPressesThatButtonOnly()
{
    QFETCH(QString, button);
    QFETCH(bool, keypad);
    QFETCH(int, wizardRuns);
    QFETCH(int, printerRequests);
    QFETCH(bool, hidden);
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    int wizards = 0;
    int printers = 0;
    w.runWizard = [&wizards] {
        ++wizards;
        return std::optional<WizardResult>();
    };
    w.choosePrinter = [&printers] {
        ++printers;
        return std::unique_ptr<QPrinter>();
    };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setResult(-1);
    const vorin::test::ButtonClicks clicks(w);

    QVERIFY(vorin::test::pressEnterOn(*w.findChild<QPushButton *>(button), keypad));

    QCOMPARE(clicks.clicked(), QStringList{button});
    QCOMPARE(wizards, wizardRuns);
    QCOMPARE(printers, printerRequests);
    QCOMPARE(w.isHidden(), hidden);
    QCOMPARE(w.result(), hidden ? int(QDialog::Rejected) : -1);
    QVERIFY(env.messages.shown().empty());
}

void tst_Statistics::enterElsewherePressesCollectStatistics_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("keypad");
    QTest::newRow("drive list") << "pckStatDrive" << false;
    QTest::newRow("drive list, keypad Enter") << "pckStatDrive" << true;
    QTest::newRow("view button") << "rgSpace1" << false;
}

void tst_Statistics::enterElsewherePressesCollectStatistics()
{
    QFETCH(QString, focus);
    QFETCH(bool, keypad);
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    int wizards = 0;
    w.runWizard = [&wizards] {
        ++wizards;
        return std::optional<WizardResult>();
    };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const vorin::test::ButtonClicks clicks(w);

    auto *target = w.findChild<QWidget *>(focus);
    QVERIFY(target);
    QVERIFY(vorin::test::pressEnterOn(*target, keypad));

    QCOMPARE(clicks.clicked(), QStringList{"btOK"});
    QCOMPARE(wizards, 1);
    QVERIFY(w.isVisible());
}

void tst_Statistics::enterOnAbortDuringAScanStopsTheScanOnly()
{
    ViewsEnvironment env;
    Gate gate;
    TfrmStatistics w(env.services);
    ReleaseOnExit release{gate};
    gate.window = &w;
    w.walkObserver = &gate;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Abort stands on the cover, which every page but Space shows during the first scan.
    w.OvcNotebook1->setPageIndex(2);
    w.runWizard = [] { return allFilesOf({"c: [sys]", "d: [data]"}); };
    w.btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), kRunTimeout);
    QVERIFY(w.btAbort->isVisible());
    const vorin::test::ButtonClicks clicks(w);

    QVERIFY(vorin::test::pressEnterOn(*w.btAbort));

    QCOMPARE(clicks.clicked(), QStringList{"btAbort"});
    QVERIFY(w.abortRequested());
    QVERIFY(w.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!w.scanRunning(), kRunTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(
        w.windowTitle(), QStringLiteral("File Statistics for drive(s) incomplete ... aborted."),
        kRunTimeout);
    QCOMPARE(w.currentDrive(), QStringLiteral("c: [sys]"));
}

void tst_Statistics::enterOnSortOpensItsMenu()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    runAndWait(w, allFilesOf({"c: [sys]"}));
    w.OvcNotebook1->setPageIndex(1);
    w.typesPage->rgTypesItems[0]->setChecked(true);
    MenuButton &sort = *w.typesPage->btSort;
    QVERIFY(sort.isVisible());
    int wizards = 0;
    w.runWizard = [&wizards] {
        ++wizards;
        return std::optional<WizardResult>();
    };
    const vorin::test::ButtonClicks clicks(w);

    QVERIFY(vorin::test::pressEnterOn(sort));

    QCOMPARE(clicks.clicked(), QStringList{"btSort"});
    QVERIFY(sort.popupMenu()->isVisible());
    QCOMPARE(wizards, 0);
    sort.popupMenu()->close();
}

void tst_Statistics::windowStaysUsableAndDisenableTouchesOnlyItsControlsDuringAScan()
{
    ViewsEnvironment env;
    Gate gate;
    TfrmStatistics w(env.services);
    ReleaseOnExit release{gate};
    gate.window = &w;
    w.walkObserver = &gate;
    w.show();
    QVERIFY(w.OvcNotebook1->setPageIndex(4));
    const std::set<QString> idle = forcedDisabled(w);
    w.Timer1->start();

    w.runWizard = [] { return allFilesOf({"c: [sys]"}); };
    w.btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), kRunTimeout);

    // Exactly the listed view controls were switched off.
    std::set<QString> expected = idle;
    for (const char *name : {"btPrint",   "btOK",         "rbCombine1", "rbCombine2", "rgSpace1",
                             "rgSpace2",  "pckStatDrive", "rgTypes",    "rgSize0",    "rgSize1",
                             "rgSize2",   "rgAccess0",    "rgAccess1",  "rgAccess2",  "rgCreate0",
                             "rgCreate1", "rgCreate2",    "rgModify0",  "rgModify1",  "rgModify2"})
        expected.insert(QString::fromLatin1(name));
    QCOMPARE(forcedDisabled(w), expected);
    QVERIFY(w.btCancel->isEnabled());
    QVERIFY(w.btAbort->isEnabled());
    QVERIFY(w.datePages->rgCombine0->isEnabled());
    QVERIFY(w.spacePage->cbTotal->isEnabled());
    QVERIFY(w.typesPage->btSort->isEnabled());
    QVERIFY(w.datePages->SpeedButton1->isEnabled());
    QVERIFY(w.OvcNotebook1->isEnabled());

    // The cover tells how to stop, the pie animation rests, the pointer is busy.
    QVERIFY(w.pnlNotYet->isVisible());
    QCOMPARE(
        w.lblNotYet->text(),
        QStringLiteral("Collecting statistics ... standby.  Press Esc or click Abort to stop."));
    QVERIFY(w.btAbort->isVisible());
    QVERIFY(w.lblNotYet->sizeHint().width() <= w.lblNotYet->width());
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(QApplication::overrideCursor());

    // Pages can be switched and a note read while the walk waits.
    QVERIFY(w.OvcNotebook1->setPageIndex(7));
    QVERIFY(w.pnlNotYet->isVisible());
    w.datePages->SpeedButton4->click();
    QCOMPARE(QString::fromStdString(env.messages.shown().back().text),
             QStringLiteral("This chart combines the Accessed, Created and Modified charts"));
    QVERIFY(w.scanRunning());

    gate.release();
    QTRY_VERIFY_WITH_TIMEOUT(!w.scanRunning(), kRunTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(),
                              QStringLiteral("Statistics completed for drives C: "), kRunTimeout);
    QCOMPARE(forcedDisabled(w), idle);
    QVERIFY(w.Timer1->isActive());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!w.pnlNotYet->isVisible());
}

void tst_Statistics::progressTextShowsTheDriveAndDirectoryDuringAScan()
{
    ViewsEnvironment env;
    Gate gate;
    TfrmStatistics w(env.services);
    ReleaseOnExit release{gate};
    gate.window = &w;
    w.walkObserver = &gate;
    w.runWizard = [] { return allFilesOf({"c: [sys]"}); };
    w.btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), kRunTimeout);
    const QString prefix = QStringLiteral("Processing drive c: [sys] ... standby : ");
    QTRY_VERIFY_WITH_TIMEOUT(status(w).startsWith(prefix), kRunTimeout);
    QVERIFY(status(w).mid(prefix.size()).startsWith(env.c.path()));
    // A screen reader hears the drive, not each folder.
    QCOMPARE(w.StatusBar1->accessibleName(), QStringLiteral("Processing drive c: [sys] ... standby"));
}

void tst_Statistics::destroyingTheWindowDuringAScanStopsTheWalk()
{
    ViewsEnvironment env;
    Gate gate;
    auto w = std::make_unique<TfrmStatistics>(env.services);
    gate.window = w.get();
    w->walkObserver = &gate;
    w->runWizard = [] { return allFilesOf({"c: [sys]", "d: [data]"}); };
    w->btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), kRunTimeout);
    QVERIFY(w->scanRunning());
    w.reset(); // must stop and join the walk, without the gate's help
    QCoreApplication::processEvents();
    gate.release();
}

void tst_Statistics::closingTheWindowDuringAScanFinishesTheDriveAsAborted()
{
    ViewsEnvironment env;
    Gate gate;
    TfrmStatistics w(env.services);
    ReleaseOnExit release{gate};
    gate.window = &w;
    w.walkObserver = &gate;
    w.show();
    w.runWizard = [] { return allFilesOf({"c: [sys]", "d: [data]"}); };
    w.btOK->click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.entered(), kRunTimeout);

    w.close();
    QVERIFY(!w.scanRunning());
    QCOMPARE(w.windowTitle(),
             QStringLiteral("File Statistics for drive(s) incomplete ... aborted."));
    QVERIFY(status(w).endsWith(QStringLiteral(" INCOMPLETE ... ABORTED")));
    QCOMPARE(w.pageBuilderCalls().count("doFileTypes"), 1);
    // The walk's late notice finds nothing left to do.
    QCoreApplication::processEvents();
    QCOMPARE(w.pageBuilderCalls().count("doFileTypes"), 1);
    QCOMPARE(w.currentDrive(), QStringLiteral("c: [sys]"));
    QVERIFY(w.btOK->isEnabled());
}

// Every colour a print could touch, control by control: of every control of
// the window, or of those in `only`.
QMap<const QWidget *, QString> controlColours(const TfrmStatistics &w,
                                              const QMap<const QWidget *, QString> &only = {})
{
    QMap<const QWidget *, QString> colours;
    QList<const QWidget *> widgets{&w};
    for (const QWidget *child : w.findChildren<QWidget *>())
        widgets << child;
    for (const QWidget *widget : widgets) {
        if (!only.isEmpty() && !only.contains(widget))
            continue;
        QString line = widget->metaObject()->className() + QLatin1Char(' ') + widget->objectName();
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
            line += QLatin1Char(' ') + widget->palette().color(role).name();
        if (const auto *c = qobject_cast<const chart::Chart *>(widget))
            line += QStringLiteral(" chart ") + c->model().settings().background.name();
        if (const auto *grid = qobject_cast<const StringGrid *>(widget))
            line += QStringLiteral(" grid ") + grid->cellColor().name() + QLatin1Char(' ') +
                    grid->fixedColor().name();
        colours.insert(widget, line);
    }
    return colours;
}

void tst_Statistics::windowImageIsDrawnOnWhiteAndColoursComeBack_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("the desktop's default colours") << false;
    QTest::newRow("a dark theme") << true;
}

void tst_Statistics::windowImageIsDrawnOnWhiteAndColoursComeBack()
{
    QFETCH(bool, dark);
    const QPalette desktop = QApplication::palette();
    if (dark) {
        QPalette night = desktop;
        night.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
        night.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
        night.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        QApplication::setPalette(night);
    }
    const auto restoreDesktop = qScopeGuard([&desktop] { QApplication::setPalette(desktop); });
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    const QMap<const QWidget *, QString> before = controlColours(w);
    const QColor driveList = w.pckStatDrive->viewport()->palette().color(QPalette::Base);
    const QImage image = w.printableWindowImage();
    QCOMPARE(image.size(), QSize(632, 431) * image.devicePixelRatio());
    // Between the command row's left edge and the window's: plain background.
    QCOMPARE(image.pixelColor(QPoint(20, 396)), QColor(Qt::white));
    QCOMPARE(controlColours(w, before), before);
    QCOMPARE(w.pckStatDrive->viewport()->palette().color(QPalette::Base), driveList);
    // Colours that were only inherited stay inherited: a later theme change
    // still reaches the window.
    QVERIFY(!w.testAttribute(Qt::WA_SetPalette));
}

void tst_Statistics::printingTheWindowImageWritesAPdf()
{
    ViewsEnvironment env;
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("space.pdf"));
    TfrmStatistics w(env.services);
    w.show();
    int asked = 0;
    w.choosePrinter = [&] {
        ++asked;
        return pdfPrinter(pdf);
    };
    const QColor normal = w.palette().color(QPalette::Window);
    w.btPrintClick();
    QCOMPARE(asked, 1);
    QVERIFY(isPdf(pdf));
    QCOMPARE(w.palette().color(QPalette::Window), normal);
}

void tst_Statistics::cancelledPrintDialogPrintsNothing()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    runAndWait(w, allFilesOf({"c: [sys]"}));
    const QColor normal = w.spacePage->chartSpaceBar->model().settings().background;
    int asked = 0;
    w.choosePrinter = [&] {
        ++asked;
        return std::unique_ptr<QPrinter>();
    };
    int previews = 0;
    w.previewChart = [&](chart::Chart &) { ++previews; };
    for (int page : {0, 3, 8})
        if (w.OvcNotebook1->setPageIndex(page))
            w.btPrintClick();
    QVERIFY(w.OvcNotebook1->setPageIndex(1));
    w.typesPage->chartPie->hide();
    w.typesPage->gridTypes->show();
    w.btPrintClick();
    QCOMPARE(asked, 4);
    QCOMPARE(previews, 0);
    QVERIFY(w.typesPage->gridTypes->printTitle().isEmpty());
    QCOMPARE(w.spacePage->chartSpaceBar->model().settings().background, normal);
}

void tst_Statistics::typesListingPrintsTheGridUnderItsTitle()
{
    ViewsEnvironment env;
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("types.pdf"));
    TfrmStatistics w(env.services);
    w.show();
    runAndWait(w, allFilesOf({"c: [sys]"}));
    QVERIFY(w.OvcNotebook1->setPageIndex(1));
    w.typesPage->chartPie->hide();
    w.typesPage->gridTypes->show();
    w.choosePrinter = [&] { return pdfPrinter(pdf); };
    w.previewChart = [](chart::Chart &) { QFAIL("the listing is not a chart"); };
    w.btPrintClick();
    QCOMPARE(w.typesPage->gridTypes->printTitle(), QStringLiteral("File types for drive c: [sys]"));
    QVERIFY(isPdf(pdf));
}

void tst_Statistics::pagesWithAVisibleChartOpenItsPreview_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("chart");
    QTest::newRow("Types") << 1 << "chartPie";
    QTest::newRow("Sizes") << 2 << "Chart1";
    QTest::newRow("Access") << 4 << "chartAccess";
    QTest::newRow("Created") << 5 << "chartCreate";
    QTest::newRow("Modified") << 6 << "chartModify";
    QTest::newRow("Combined") << 7 << "chartCombine";
    QTest::newRow("Time") << 9 << "Chart4";
}

void tst_Statistics::pagesWithAVisibleChartOpenItsPreview()
{
    QFETCH(int, page);
    QFETCH(QString, chart);
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    QVERIFY(w.OvcNotebook1->setPageIndex(page));
    QStringList previewed;
    w.previewChart = [&](chart::Chart &c) { previewed << c.objectName(); };
    w.choosePrinter = [] {
        [] { QFAIL("a visible chart goes to its preview"); }();
        return std::unique_ptr<QPrinter>();
    };
    w.btPrintClick();
    QCOMPARE(previewed, QStringList{chart});
    QVERIFY(w.OvcNotebook1->page(page)->isAncestorOf(w.findChild<QWidget *>(chart)));
}

void tst_Statistics::pagesWithAHiddenChartPrintTheWindowImage()
{
    ViewsEnvironment env;
    QTemporaryDir out;
    TfrmStatistics w(env.services);
    w.show();
    runAndWait(w, allFilesOf({"c: [sys]"}));
    int previews = 0;
    w.previewChart = [&](chart::Chart &) { ++previews; };
    const struct
    {
        int page;
        const char *chart;
    } pages[] = {{2, "Chart1"},      {4, "chartAccess"},  {5, "chartCreate"},
                 {6, "chartModify"}, {7, "chartCombine"}, {9, "Chart4"}};
    for (const auto &p : pages) {
        QVERIFY(w.OvcNotebook1->setPageIndex(p.page));
        w.findChild<QWidget *>(p.chart)->hide();
        const QString pdf = out.filePath(QStringLiteral("page%1.pdf").arg(p.page));
        w.choosePrinter = [&] { return pdfPrinter(pdf); };
        w.btPrintClick();
        QVERIFY2(isPdf(pdf), p.chart);
    }
    QCOMPARE(previews, 0);
}

void tst_Statistics::chartPageAndWindowImagePageBothReachPaper()
{
    ViewsEnvironment env;
    QTemporaryDir out;
    TfrmStatistics w(env.services);
    w.show();
    runAndWait(w, allFilesOf({"c: [sys]"}));
    const QColor normal = w.palette().color(QPalette::Window);

    // The Time page shows its chart: the preview gets it, and what the
    // preview would print is a page of PDF.
    QVERIFY(w.OvcNotebook1->setPageIndex(9));
    const QString chartPdf = out.filePath(QStringLiteral("time.pdf"));
    QString previewed;
    w.previewChart = [&](chart::Chart &c) {
        previewed = c.objectName();
        const std::unique_ptr<QPrinter> printer = pdfPrinter(chartPdf);
        QVERIFY(chart::printChart(c.model(), *printer));
    };
    w.choosePrinter = [] { return std::unique_ptr<QPrinter>(); };
    w.btPrintClick();
    QCOMPARE(previewed, QStringLiteral("Chart4"));
    QVERIFY(isPdf(chartPdf));

    // The Attribute page has no chart of its own to preview: the window goes
    // on paper on white, and its colours come back afterwards.
    QVERIFY(w.OvcNotebook1->setPageIndex(8));
    const QString imagePdf = out.filePath(QStringLiteral("attribute.pdf"));
    previewed.clear();
    w.choosePrinter = [&] { return pdfPrinter(imagePdf); };
    const QMap<const QWidget *, QString> before = controlColours(w);
    w.btPrintClick();
    QVERIFY(previewed.isEmpty());
    QVERIFY(isPdf(imagePdf));
    QCOMPARE(w.palette().color(QPalette::Window), normal);
    QCOMPARE(controlColours(w, before), before);
}

void tst_Statistics::everyChartOfThePagesSavesItsPictureAtItsSize()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    runAndWait(w, allFilesOf({"c: [sys]"}));

    // Each picture goes to a file named after its chart, without a dialog.
    QTemporaryDir folder;
    struct Chooser
    {
        explicit Chooser(SaveFileChooser c) : previous(installSaveFileChooser(std::move(c))) {}
        ~Chooser() { installSaveFileChooser(std::move(previous)); }
        SaveFileChooser previous;
    } chooser([&folder](QWidget *parent, const SaveFileKind &, const QString &) {
        return folder.filePath(parent->objectName() + QStringLiteral(".png"));
    });
    std::set<QString> names;
    for (chart::Chart *c : w.findChildren<chart::Chart *>()) {
        names.insert(c->objectName());
        QStringList captions;
        for (const QAction *action : c->pictureMenu()->actions())
            captions << action->text();
        QCOMPARE(captions, QStringList({"Copy picture", "Save as PNG…"}));
        c->savePictureAction()->trigger();
        const QImage saved(folder.filePath(c->objectName() + QStringLiteral(".png")), "PNG");
        QCOMPARE(saved.size(), c->size());
        bool hasPoints = false;
        for (int i = 0; i < c->model().seriesCount(); ++i)
            hasPoints = hasPoints || !c->model().series(i).points().empty();
        if (hasPoints) {
            std::set<QRgb> colours;
            for (int y = 0; y < saved.height(); ++y)
                for (int x = 0; x < saved.width(); ++x)
                    colours.insert(saved.pixel(x, y));
            QVERIFY2(colours.size() >= 3, qPrintable(c->objectName()));
        }
    }
    std::set<QString> expected = {"chartSpaceBar", "pieTotal",    "chartPie",    "Chart1",
                                  "chartAccess",   "chartCreate", "chartModify", "chartCombine",
                                  "chartOverhang", "Chart2",      "Chart3",      "Chart4",
                                  "chartHistory",  "chartPieThen"};
    for (int i = 1; i <= 11; ++i)
        expected.insert(QStringLiteral("pie%1").arg(i));
    QCOMPARE(names, expected);
    for (const auto &shown : env.messages.shown())
        QVERIFY2(shown.kind != RecordingMessages::Shown::Error, shown.text.c_str());
}

#ifdef VORIN_HAVE_WHICHDRIVE
void tst_Statistics::collectingAsksTheWizardForDrivesAndMode()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    QSignalSpy finished(&w, &TfrmStatistics::runFinished);
    bool answered = false;
    // Answers the wizard from inside its own loop, as a user would.
    QTimer::singleShot(0, &w, [&] {
        auto *wizard = qobject_cast<TfrmWhichDrive *>(QApplication::activeModalWidget());
        if (!wizard || wizard->parent() != &w)
            return closeModalBox();
        wizard->pckDrive->setAllSelected(false);
        wizard->pckDrive->setSelected(wizard->pckDrive->indexOf(QStringLiteral("d: [data]")), true);
        wizard->allFiles = true;
        wizard->accept();
        answered = true;
    });
    w.btOK->click();
    QVERIFY(answered);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kRunTimeout);
    QCOMPARE(w.windowTitle(), QStringLiteral("Statistics completed for drives D: "));
    QCOMPARE(w.statistics().filesProcessed, 4);
    // Made for one use: gone once the run has begun.
    QVERIFY(w.findChildren<TfrmWhichDrive *>().isEmpty());
}

void tst_Statistics::cancellingTheWizardStartsNothing()
{
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    bool answered = false;
    QTimer::singleShot(0, &w, [&] {
        auto *wizard = qobject_cast<TfrmWhichDrive *>(QApplication::activeModalWidget());
        if (!wizard)
            return closeModalBox();
        wizard->reject();
        answered = true;
    });
    w.btOK->click();
    QVERIFY(answered);
    QVERIFY(!w.scanRunning());
    QVERIFY(env.messages.shown().empty());
    QCOMPARE(w.windowTitle(), QStringLiteral("File Statistics Not Yet Collected"));
    QVERIFY(w.findChildren<TfrmWhichDrive *>().isEmpty());
}
#endif

QTEST_MAIN(tst_Statistics)
#include "tst_Statistics.moc"

void tst_Statistics::openedReportShowsThePagesOfTheScanItCameFrom()
{
    ViewsEnvironment env;
    TfrmStatistics scanned(env.services);
    scanned.show();
    runAndWait(scanned, allFilesOf({"c: [sys]"}));
    scanned.pckStatDrive->setAllSelected(false);
    scanned.pckStatDrive->setSelected(0, true);
    scanned.spacePage->pckStatDriveClick();
    QTemporaryDir place;
    const QString path = place.filePath(QStringLiteral("sys.json"));
    writeReportOf(scanned, env, {"c: [sys]"}, path);

    TfrmStatistics opened(env.services);
    opened.show();
    QVERIFY(opened.openReport(path));
    QCOMPARE(opened.windowTitle(), QStringLiteral("Statistics from sys.json"));
    QCOMPARE(status(opened), status(scanned));
    QVERIFY(!opened.pnlNotYet->isVisible());
    QVERIFY(opened.OvcNotebook1->pageEnabled(3));
    QCOMPARE(everyTable(opened), everyTable(scanned));
    QCOMPARE(opened.pckStatDrive->items(), QStringList{"c: [sys]"});
    for (const char *figure : {"lblTotal", "lblFree", "lblUsed"})
        QCOMPARE(opened.findChild<QLabel *>(figure)->text(),
                 scanned.findChild<QLabel *>(figure)->text());

    // Dropped on a window, the report opens there too.
    TfrmStatistics dropped(env.services);
    dropped.show();
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dropped, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dropped, &drop);
    QTRY_COMPARE(dropped.windowTitle(), QStringLiteral("Statistics from sys.json"));
    QCOMPARE(everyTable(dropped), everyTable(scanned));

    // Its figures were counted elsewhere: no list of files, one word why.
    const std::size_t boxes = env.messages.shown().size();
    opened.typesPage->gridTypes->setSelection(1, 1);
    emit opened.typesPage->gridTypes->cellActivated(1, 1);
    QCOMPARE(env.messages.shown().size(), boxes + 1);
    QVERIFY(env.messages.shown().back().text.find("come from a report") != std::string::npos);

    // Collecting again scans the machine's drives, listed again.
    runAndWait(opened, allFilesOf({"d: [data]"}));
    QCOMPARE(opened.pckStatDrive->count(), scanned.pckStatDrive->count());
    QCOMPARE(opened.windowTitle(), QStringLiteral("Statistics completed for drives D: "));
}

void tst_Statistics::fileThatIsNoReportChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    QTest::newRow("no JSON") << QByteArray("Drives:  c:\n") << "no JSON";
    QTest::newRow("cut short") << QByteArray(R"({"format":2,"drives":[{"drive":"c:)")
                               << "ends early";
    QTest::newRow("newer format") << QByteArray(R"({"format":9,"types":[],"sizeBandCount":[]})")
                                  << "newer format (9)";
    QTest::newRow("no file") << QByteArray() << "cannot be read";
}

void tst_Statistics::fileThatIsNoReportChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    ViewsEnvironment env;
    TfrmStatistics w(env.services);
    w.show();
    runAndWait(w, allFilesOf({"c: [sys]"}));
    const QStringList tables = everyTable(w);
    const QString title = w.windowTitle();
    QTemporaryDir place;
    const QString path = place.filePath(QStringLiteral("bad.json"));
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const std::size_t boxes = env.messages.shown().size();

    QVERIFY(!w.openReport(path));
    QCOMPARE(env.messages.shown().size(), boxes + 1);
    QCOMPARE(env.messages.shown().back().kind, RecordingMessages::Shown::Error);
    QVERIFY2(QString::fromStdString(env.messages.shown().back().text).contains(says),
             env.messages.shown().back().text.c_str());
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(everyTable(w), tables);
    QCOMPARE(w.statistics().filesProcessed, 7);
}
