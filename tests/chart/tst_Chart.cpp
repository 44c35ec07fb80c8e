#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "platform/fake/RecordingMessages.h"
#include "SaveChooserStub.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <set>

using namespace vorin::chart;
using vorin::RecordingMessages;

class ChartTest : public QObject
{
    Q_OBJECT

private slots:
    void draggingARectangleZoomsIntoIt();
    void draggingBackwardsUndoesTheZoom();
    void zoomCanBeSwitchedOff();
    void aClickIsNotAZoom();
    void doubleClickIsReported();
    void hintIsTheTooltip();
    void rightClickOpensThePictureMenuAndIsNoClick();
    void savedPngHasTheChartsSizeAndShowsWhatTheWidgetShows_data();
    void savedPngHasTheChartsSizeAndShowsWhatTheWidgetShows();
    void saveOffersTheTitleOrTheNameAsFileName_data();
    void saveOffersTheTitleOrTheNameAsFileName();
    void cancellingTheSaveWritesNothing();
    void unwritableTargetShowsAnErrorAndLeavesNoFile();
    void savingOverAFileReplacesItWhole();
    void copyPicturePutsTheChartOnTheClipboard();
    void pictureLeavesOutTheZoomRectangleOfADrag();
    void doubleClickOnAPointActivatesIt_data();
    void doubleClickOnAPointActivatesIt();
    void enterActivatesThePointTheKeysMovedTo_data();
    void enterActivatesThePointTheKeysMovedTo();
    void contextMenuStartsWithTheOwnersItemsForThePoint();
    void focusMarkOutlinesTheCurrentPointOnScreenOnly();
};

namespace {

void fillBars(Chart &chart)
{
    chart.model().edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.enabled = false;
    });
    ChartSeries &series = chart.model().addSeries(SeriesKind::Bar);
    for (double v : {100.0, 200.0, 300.0, 400.0}) {
        series.addPoint(v);
    }
    chart.resize(400, 300);
    chart.show();
}

void fillPie(Chart &chart)
{
    chart.model().edit([](ChartSettings &s) { s.legend.visible = false; });
    ChartSeries &series = chart.model().addSeries(SeriesKind::Pie);
    series.addPoint(30, QStringLiteral("Used"), Qt::red);
    series.addPoint(70, QStringLiteral("Free"), Qt::blue);
}

void fillHorizontalBars(Chart &chart)
{
    chart.model().setTitle(QStringLiteral("File Sizes in MB"));
    ChartSeries &series = chart.model().addSeries(SeriesKind::HorizontalBar);
    series.setMarkStyle(MarkStyle::Percent);
    for (double v : {1.0, 5.0, 2.0})
        series.addPoint(v);
}

// The chart of a kind the activation tests use, shown at 400 x 300.
void fillChart(Chart &chart, const QString &kind)
{
    if (kind == QLatin1String("bars")) {
        fillBars(chart);
        return;
    }
    (kind == QLatin1String("pie") ? fillPie : fillHorizontalBars)(chart);
    chart.resize(400, 300);
    chart.show();
}

// Where a point of the chart shows: the middle of what its focus mark
// outlines; for no point, a corner with nothing drawn.
QPoint pointOnScreen(const Chart &chart, int point)
{
    const ChartLayout layout(chart.model(), QRectF(chart.rect()));
    const QRectF box = layout.outline(ChartHit{0, point}).boundingRect();
    return box.isEmpty() ? QPoint(2, 2) : box.center().toPoint();
}

// Series and point of the one activation, or -1 and the number of them.
QPoint activation(const QSignalSpy &spy)
{
    if (spy.count() != 1) {
        return QPoint(-1, spy.count());
    }
    return QPoint(spy.at(0).at(0).toInt(), spy.at(0).at(1).toInt());
}

using ChooserStub = vorin::testing::SaveChooserStub;

int distinctColours(const QImage &image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

} // namespace

void ChartTest::draggingARectangleZoomsIntoIt()
{
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const ChartLayout before(chart.model(), QRectF(chart.rect()));
    const QRectF plot = before.geometry().plot;
    const QPoint from = plot.topLeft().toPoint() + QPoint(int(plot.width() / 4), 10);
    const QPoint to = plot.bottomRight().toPoint() - QPoint(int(plot.width() / 4), 10);
    const auto dataFrom = before.dataAt(QPointF(from));
    const auto dataTo = before.dataAt(QPointF(to));
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&chart, (from + to) / 2);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(chart.model().isZoomed());
    const UserZoom zoom = *chart.model().userZoom();
    QVERIFY(qAbs(zoom.horizontal.minimum - dataFrom->x()) < 1e-6);
    QVERIFY(qAbs(zoom.horizontal.maximum - dataTo->x()) < 1e-6);
    QVERIFY(qAbs(zoom.vertical.minimum - dataTo->y()) < 1e-6);
    QVERIFY(qAbs(zoom.vertical.maximum - dataFrom->y()) < 1e-6);
    QVERIFY(zoom.horizontal.minimum > 0.9 && zoom.horizontal.maximum < 3.1);
}

void ChartTest::draggingBackwardsUndoesTheZoom()
{
    Chart chart;
    fillBars(chart);
    chart.model().zoomTo(UserZoom{AxisRange{1, 2}, AxisRange{0, 100}});
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    QTest::mouseMove(&chart, QPoint(200, 100));
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
    QVERIFY(!chart.model().isZoomed());
}

void ChartTest::zoomCanBeSwitchedOff()
{
    Chart chart;
    fillBars(chart);
    chart.model().edit([](ChartSettings &s) { s.userZoomAllowed = false; });
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
    QTest::mouseMove(&chart, QPoint(300, 250));
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(300, 250));
    QVERIFY(!chart.model().isZoomed());
}

void ChartTest::aClickIsNotAZoom()
{
    Chart chart;
    fillBars(chart);
    QSignalSpy clicks(&chart, &Chart::clicked);
    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!chart.model().isZoomed());
}

void ChartTest::doubleClickIsReported()
{
    Chart chart;
    fillBars(chart);
    QSignalSpy doubles(&chart, &Chart::doubleClicked);
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QCOMPARE(doubles.count(), 1);
}

void ChartTest::hintIsTheTooltip()
{
    Chart chart;
    chart.setHint(QStringLiteral("Click on pie to toggle animation"));
    QCOMPARE(chart.toolTip(), QStringLiteral("Click on pie to toggle animation"));
    chart.setHint(QString());
    QVERIFY(chart.hint().isEmpty());
}

void ChartTest::rightClickOpensThePictureMenuAndIsNoClick()
{
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QSignalSpy clicks(&chart, &Chart::clicked);
    QMenu *menu = chart.pictureMenu();
    QVERIFY(menu);
    QVERIFY(!menu->isVisible());
    // Through the window, as the platform delivers a real click.
    QTest::mouseClick(chart.windowHandle(), Qt::RightButton, Qt::NoModifier, QPoint(200, 150));
    QTRY_VERIFY(menu->isVisible());
    QStringList captions;
    for (const QAction *action : menu->actions())
        captions << action->text();
    QCOMPARE(captions, QStringList({"Copy picture", "Save as PNG…"}));
    QCOMPARE(menu->actions().value(0), chart.copyPictureAction());
    QCOMPARE(menu->actions().value(1), chart.savePictureAction());
    menu->hide();
    QCOMPARE(clicks.count(), 0);
    QVERIFY(!chart.model().isZoomed());

    // A left click still means what it meant.
    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!menu->isVisible());
}

void ChartTest::savedPngHasTheChartsSizeAndShowsWhatTheWidgetShows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("size");
    QTest::newRow("bars 400 x 300") << 0 << QSize(400, 300);
    QTest::newRow("pie 235 x 183") << 1 << QSize(235, 183);
    QTest::newRow("share bars 158 x 110") << 2 << QSize(158, 110);
    QTest::newRow("page chart 616 x 300") << 2 << QSize(616, 300);
}

void ChartTest::savedPngHasTheChartsSizeAndShowsWhatTheWidgetShows()
{
    QFETCH(int, kind);
    QFETCH(QSize, size);
    Chart chart;
    chart.setObjectName(QStringLiteral("Chart1"));
    if (kind == 0)
        fillBars(chart);
    else if (kind == 1)
        fillPie(chart);
    else
        fillHorizontalBars(chart);
    chart.resize(size);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chart.png"));
    RecordingMessages messages;
    ChooserStub chooser(path);
    chart.savePictureAction()->trigger();
    QCOMPARE(chooser.asked, 1);
    QCOMPARE(chooser.askedParent, &chart);
    QVERIFY(messages.shown().empty());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(8), QByteArray("\x89PNG\r\n\x1a\n"));
    file.close();
    const QImage saved(path, "PNG");
    QCOMPARE(saved.size(), size);
    // Not blank: background, walls, bars or slices, text.
    QVERIFY2(distinctColours(saved) >= 4, qPrintable(QString::number(distinctColours(saved))));
    // Pixel for pixel what the widget draws.
    const QImage shown = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), shown);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"chart.png"}));
}

void ChartTest::saveOffersTheTitleOrTheNameAsFileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("offered");
    QTest::newRow("title") << "File Sizes in MB"
                           << "Chart1"
                           << "File Sizes in MB.png";
    QTest::newRow("slashes") << "Combination Access/Created/Modified Chart"
                             << "chartCombine"
                             << "Combination Access-Created-Modified Chart.png";
    QTest::newRow("no title") << ""
                              << "pieTotal"
                              << "pieTotal.png";
    QTest::newRow("nothing") << ""
                             << ""
                             << "chart.png";
}

void ChartTest::saveOffersTheTitleOrTheNameAsFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QFETCH(QString, offered);
    Chart chart;
    chart.setObjectName(name);
    if (!title.isEmpty())
        chart.model().setTitle(title);
    chart.resize(100, 80);
    ChooserStub chooser{QString()};
    QVERIFY(!chart.savePicture());
    QCOMPARE(chooser.suggestedName, offered);
    QCOMPARE(chart.suggestedPictureName(), offered);
}

void ChartTest::cancellingTheSaveWritesNothing()
{
    Chart chart;
    fillBars(chart);
    QTemporaryDir folder;
    RecordingMessages messages;
    ChooserStub chooser{QString()};
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const bool written = chart.savePicture();
    QDir::setCurrent(before);
    QVERIFY(!written);
    QCOMPARE(chooser.asked, 1);
    QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(messages.shown().empty());
}

void ChartTest::unwritableTargetShowsAnErrorAndLeavesNoFile()
{
    Chart chart;
    fillBars(chart);
    QTemporaryDir folder;
    // A file stands where the folder would be: no one, root included, can
    // write below it.
    const QString blocker = folder.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const QString path = blocker + QStringLiteral("/chart.png");
    RecordingMessages messages;
    ChooserStub chooser(path);
    QVERIFY(!chart.savePicture());
    QCOMPARE(messages.shown().size(), std::size_t(1));
    QCOMPARE(messages.shown()[0].kind, RecordingMessages::Shown::Error);
    const QString text = QString::fromStdString(messages.shown()[0].text);
    const QString opening = QStringLiteral("The picture could not be saved as ") + path + ":\n";
    QVERIFY2(text.startsWith(opening), qPrintable(text));
    QVERIFY2(!text.mid(opening.size()).trimmed().isEmpty(), qPrintable(text)); // and why
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"notes.txt"}));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void ChartTest::savingOverAFileReplacesItWhole()
{
    Chart chart;
    fillBars(chart);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("old.png"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200000, 'x'));
    }
    RecordingMessages messages;
    ChooserStub chooser(path);
    QVERIFY(chart.savePicture());
    QVERIFY(messages.shown().empty());
    const QImage saved(path, "PNG");
    QCOMPARE(saved.size(), QSize(400, 300));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"old.png"}));
}

void ChartTest::copyPicturePutsTheChartOnTheClipboard()
{
    Chart chart;
    fillPie(chart);
    chart.resize(235, 183);
    QApplication::clipboard()->clear();
    chart.copyPictureAction()->trigger();
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(235, 183));
    QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), chart.picture());
    QVERIFY(distinctColours(copied) >= 4);
}

void ChartTest::pictureLeavesOutTheZoomRectangleOfADrag()
{
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage before = chart.picture();
    QTest::mousePress(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(100, 80));
    QTest::mouseMove(&chart, QPoint(250, 200));
    QCOMPARE(chart.picture(), before);
    QTest::mouseRelease(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
}

void ChartTest::doubleClickOnAPointActivatesIt_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("point"); // -1: beside every point
    QTest::newRow("bar") << "bars" << 3;
    QTest::newRow("bar on its side") << "horizontal" << 1;
    QTest::newRow("slice") << "pie" << 0;
    QTest::newRow("beside the bars") << "bars" << -1;
}

void ChartTest::doubleClickOnAPointActivatesIt()
{
    QFETCH(QString, kind);
    QFETCH(int, point);
    Chart chart;
    fillChart(chart, kind);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QSignalSpy doubles(&chart, &Chart::doubleClicked);
    QSignalSpy activated(&chart, &Chart::pointActivated);
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, pointOnScreen(chart, point));
    QCOMPARE(doubles.count(), 1);
    QCOMPARE(activation(activated), point < 0 ? QPoint(-1, 0) : QPoint(0, point));
    QCOMPARE(chart.currentPoint().value_or(ChartHit{-1, -1}),
             (ChartHit{point < 0 ? -1 : 0, point}));
}

void ChartTest::enterActivatesThePointTheKeysMovedTo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<int>>("keys"); // Enter follows
    QTest::addColumn<int>("point");       // -1: Enter activates nothing

    using Keys = QList<int>;
    QTest::newRow("right starts at the first and steps on")
        << "bars" << Keys{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << 2;
    QTest::newRow("left starts at the last") << "bars" << Keys{Qt::Key_Left} << 3;
    QTest::newRow("right stops at the last") << "bars" << Keys{Qt::Key_End, Qt::Key_Right} << 3;
    QTest::newRow("up climbs bars on their side")
        << "horizontal" << Keys{Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down} << 1;
    QTest::newRow("upright bars ignore up") << "bars" << Keys{Qt::Key_Up} << -1;
}

void ChartTest::enterActivatesThePointTheKeysMovedTo()
{
    QFETCH(QString, kind);
    QFETCH(QList<int>, keys);
    QFETCH(int, point);
    Chart chart;
    fillChart(chart, kind);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QSignalSpy activated(&chart, &Chart::pointActivated);
    for (int key : keys) {
        QTest::keyClick(&chart, static_cast<Qt::Key>(key));
    }
    QCOMPARE(activated.count(), 0);
    QTest::keyClick(&chart, Qt::Key_Return);
    QCOMPARE(activation(activated), point < 0 ? QPoint(-1, 0) : QPoint(0, point));
}

void ChartTest::contextMenuStartsWithTheOwnersItemsForThePoint()
{
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    std::vector<ChartHit> asked;
    chart.setPointMenu([&](QMenu &menu, std::optional<ChartHit> hit) {
        asked.push_back(hit.value_or(ChartHit{-1, -1}));
        if (hit) {
            menu.addAction(QStringLiteral("Show files"));
        }
    });
    QMenu *menu = chart.pictureMenu();
    // By a right click on bar 2, which makes it current, then by Shift+F10
    // for the current bar: the second opening repeats no item.
    for (int opening = 0; opening < 2; ++opening) {
        if (opening == 0) {
            QTest::mouseClick(chart.windowHandle(), Qt::RightButton, Qt::NoModifier,
                              pointOnScreen(chart, 2));
        } else {
            QTest::keyClick(&chart, Qt::Key_F10, Qt::ShiftModifier);
        }
        QTRY_VERIFY(menu->isVisible());
        QStringList captions;
        for (const QAction *action : menu->actions()) {
            captions << action->text();
        }
        QCOMPARE(captions, (QStringList{"Show files", "", "Copy picture", "Save as PNG…"}));
        menu->hide();
    }
    QCOMPARE(asked, (std::vector<ChartHit>{{0, 2}, {0, 2}}));
}

void ChartTest::focusMarkOutlinesTheCurrentPointOnScreenOnly()
{
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    chart.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&chart));
    chart.clearFocus();
    const QImage plain = chart.picture();
    QCOMPARE(chart.grab().toImage().convertToFormat(QImage::Format_RGB32), plain);

    // Coming in by Tab puts the first bar under a dotted ring round it.
    chart.setFocus(Qt::TabFocusReason);
    QCOMPARE(chart.currentPoint().value_or(ChartHit{-1, -1}), (ChartHit{0, 0}));
    const QImage marked = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(chart.picture(), plain);
    const QRect bar = ChartLayout(chart.model(), QRectF(chart.rect()))
                          .geometry()
                          .bars.front()
                          .front.toAlignedRect();
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (marked.pixel(x, y) != plain.pixel(x, y)) {
                ++changed;
                QVERIFY2(bar.adjusted(-4, -4, 4, 4).contains(x, y) &&
                             !bar.adjusted(1, 1, -1, -1).contains(x, y),
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
        }
    }
    // About half of the ring's pixels are dots.
    QVERIFY2(changed > bar.width() + bar.height(), qPrintable(QString::number(changed)));
}

QTEST_MAIN(ChartTest)
#include "tst_Chart.moc"
