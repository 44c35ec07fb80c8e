#include "chart/Chart.h"
#include "chart/ChartLayout.h"
#include "platform/fake/RecordingMessages.h"
#include "SaveChooserStub.h"

#include <cmath>
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
    void contextMenuStartsWithTheOwnersItemsForThePoint_data();
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
    if (kind == QLatin1String("pie")) {
        fillPie(chart);
        chart.resize(400, 300);
        chart.show();
    } else if (kind == QLatin1String("horizontal")) {
        fillHorizontalBars(chart);
        chart.resize(400, 300);
        chart.show();
    } else {
        fillBars(chart);
    }
}

// Where a point of the chart shows: the middle of a bar's front, half way out
// along the middle of a slice.
QPoint pointOnScreen(const Chart &chart, int point)
{
    const ChartLayout layout(chart.model(), QRectF(chart.rect()));
    const ChartGeometry &g = layout.geometry();
    if (g.pie) {
        for (const PieSlice &slice : g.pie->slices) {
            if (slice.point == point) {
                const double a =
                    (slice.startDegrees + slice.spanDegrees / 2.0) * std::numbers::pi / 180.0;
                return (g.pie->ellipse.center() + slice.offset +
                        QPointF(g.pie->ellipse.width() / 4.0 * std::cos(a),
                                -g.pie->ellipse.height() / 4.0 * std::sin(a)))
                    .toPoint();
            }
        }
    }
    for (const BarItem &bar : g.bars) {
        if (bar.point == point) {
            return bar.front.center().toPoint();
        }
    }
    return QPoint(2, 2); // a corner with nothing drawn
}

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
    QTest::newRow("first bar") << "bars" << 0;
    QTest::newRow("last bar") << "bars" << 3;
    QTest::newRow("bar on its side") << "horizontal" << 1;
    QTest::newRow("slice") << "pie" << 1;
    QTest::newRow("pulled-out slice") << "pie" << 0;
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
    const QPoint at = pointOnScreen(chart, point);
    QTest::mouseDClick(&chart, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(doubles.count(), 1);
    if (point < 0) {
        QCOMPARE(activated.count(), 0);
        QVERIFY(!chart.currentPoint());
        return;
    }
    QCOMPARE(activation(activated), QPoint(0, point));
    QCOMPARE(chart.currentPoint().value_or(ChartHit{-1, -1}), (ChartHit{0, point}));
}

void ChartTest::enterActivatesThePointTheKeysMovedTo_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("clicked"); // the point clicked first; -1: none
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("point"); // -1: Enter activates nothing

    using Keys = QList<int>;
    QTest::newRow("right starts at the first")
        << "bars" << -1 << Keys{Qt::Key_Right, Qt::Key_Return} << 0;
    QTest::newRow("left starts at the last")
        << "bars" << -1 << Keys{Qt::Key_Left, Qt::Key_Return} << 3;
    QTest::newRow("right, right, right")
        << "bars" << -1 << Keys{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Enter} << 2;
    QTest::newRow("stops at the last")
        << "bars" << -1 << Keys{Qt::Key_End, Qt::Key_Right, Qt::Key_Right, Qt::Key_Return} << 3;
    QTest::newRow("back from the end")
        << "bars" << -1 << Keys{Qt::Key_End, Qt::Key_Left, Qt::Key_Return} << 2;
    QTest::newRow("home") << "bars" << 2 << Keys{Qt::Key_Home, Qt::Key_Return} << 0;
    QTest::newRow("on from the clicked bar")
        << "bars" << 2 << Keys{Qt::Key_Right, Qt::Key_Return} << 3;
    QTest::newRow("upright bars ignore up")
        << "bars" << -1 << Keys{Qt::Key_Up, Qt::Key_Return} << -1;
    QTest::newRow("up climbs bars on their side")
        << "horizontal" << -1 << Keys{Qt::Key_Up, Qt::Key_Up, Qt::Key_Return} << 1;
    QTest::newRow("down descends bars on their side")
        << "horizontal" << -1 << Keys{Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return} << 0;
    QTest::newRow("next slice") << "pie" << -1 << Keys{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}
                                << 1;
    QTest::newRow("no point yet") << "bars" << -1 << Keys{Qt::Key_Return} << -1;
}

void ChartTest::enterActivatesThePointTheKeysMovedTo()
{
    QFETCH(QString, kind);
    QFETCH(int, clicked);
    QFETCH(QList<int>, keys);
    QFETCH(int, point);
    Chart chart;
    fillChart(chart, kind);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCOMPARE(chart.focusPolicy(), Qt::StrongFocus);
    if (clicked >= 0) {
        QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, pointOnScreen(chart, clicked));
    }
    QSignalSpy activated(&chart, &Chart::pointActivated);
    for (int key : keys) {
        QTest::keyClick(&chart, static_cast<Qt::Key>(key));
    }
    QCOMPARE(activation(activated), point < 0 ? QPoint(-1, 0) : QPoint(0, point));
}

void ChartTest::contextMenuStartsWithTheOwnersItemsForThePoint_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("point"); // -1: opened for no point
    QTest::addColumn<QStringList>("captions");

    const QStringList withOwners{"Show files", "", "Copy picture", "Save as PNG…"};
    const QStringList pictureOnly{"Copy picture", "Save as PNG…"};
    QTest::newRow("right click on a bar") << "click 2" << 2 << withOwners;
    QTest::newRow("right click beside the bars") << "click beside" << -1 << pictureOnly;
    QTest::newRow("Shift+F10 on the current bar") << "shift f10" << 1 << withOwners;
    QTest::newRow("menu key on the current bar") << "menu key" << 1 << withOwners;
    QTest::newRow("Shift+F10 before any bar is current") << "shift f10 alone" << -1 << pictureOnly;
}

void ChartTest::contextMenuStartsWithTheOwnersItemsForThePoint()
{
    QFETCH(QString, how);
    QFETCH(int, point);
    QFETCH(QStringList, captions);
    Chart chart;
    fillBars(chart);
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    std::vector<std::optional<ChartHit>> asked;
    std::optional<ChartHit> shown;
    chart.setPointMenu([&](QMenu &menu, std::optional<ChartHit> hit) {
        asked.push_back(hit);
        if (hit) {
            QAction *action = menu.addAction(QStringLiteral("Show files"));
            QObject::connect(action, &QAction::triggered, &chart, [&shown, hit] { shown = hit; });
        }
    });
    QMenu *menu = chart.pictureMenu();
    // Twice, so that a second opening neither repeats nor loses an item.
    for (int opening = 0; opening < 2; ++opening) {
        if (how.startsWith(QLatin1String("click"))) {
            const QPoint at = how == QLatin1String("click 2") ? pointOnScreen(chart, 2)
                                                              : pointOnScreen(chart, -1);
            QTest::mouseClick(chart.windowHandle(), Qt::RightButton, Qt::NoModifier, at);
        } else {
            if (how != QLatin1String("shift f10 alone") && opening == 0) {
                QTest::keyClick(&chart, Qt::Key_Right);
                QTest::keyClick(&chart, Qt::Key_Right);
            }
            if (how == QLatin1String("menu key")) {
                QTest::keyClick(&chart, Qt::Key_Menu);
            } else {
                QTest::keyClick(&chart, Qt::Key_F10, Qt::ShiftModifier);
            }
        }
        QTRY_VERIFY(menu->isVisible());
        QStringList got;
        for (const QAction *action : menu->actions()) {
            got << action->text();
        }
        QCOMPARE(got, captions);
        QCOMPARE(menu->actions().value(captions.size() - 2), chart.copyPictureAction());
        QCOMPARE(menu->actions().value(captions.size() - 1), chart.savePictureAction());
        QCOMPARE(asked.size(), std::size_t(opening + 1));
        QCOMPARE(asked.back().value_or(ChartHit{-1, -1}), (ChartHit{point < 0 ? -1 : 0, point}));
        menu->hide();
    }
    if (point >= 0) {
        menu->actions().constFirst()->trigger();
        QCOMPARE(shown.value_or(ChartHit{-1, -1}), (ChartHit{0, point}));
    }
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

    // Coming in by Tab puts the first bar under the mark.
    chart.setFocus(Qt::TabFocusReason);
    QVERIFY(chart.hasFocus());
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
                QVERIFY2(bar.adjusted(-4, -4, 4, 4).contains(x, y),
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
                QVERIFY2(!bar.adjusted(1, 1, -1, -1).contains(x, y),
                         qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            }
        }
    }
    // Dotted round the whole bar: about half of its perimeter's pixels.
    QVERIFY2(changed > bar.width() + bar.height(), qPrintable(QString::number(changed)));

    chart.clearFocus();
    QCOMPARE(chart.grab().toImage().convertToFormat(QImage::Format_RGB32), plain);
}

QTEST_MAIN(ChartTest)
#include "tst_Chart.moc"
