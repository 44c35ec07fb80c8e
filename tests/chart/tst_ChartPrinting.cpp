#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"
#include "chart/ChartPrinting.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vorin::chart;

class ChartPrintingTest : public QObject
{
    Q_OBJECT

private slots:
    void printsAChartIntoAPdfFile();
    void previewDialogKeepsItsChart();
    void highResolutionDeviceKeepsTheProportions_data();
    void highResolutionDeviceKeepsTheProportions();
};

namespace {

void fillTypesPie(ChartModel &model)
{
    model.setTitle(QStringLiteral("File types"));
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    pie.setMarkStyle(MarkStyle::LabelAndPercent);
    pie.addPoint(60, QStringLiteral("Application"), Qt::red);
    pie.addPoint(30, QStringLiteral("Bitmap"), Qt::blue);
    pie.addPoint(3, QStringLiteral("Icon"), Qt::yellow);
    pie.addPoint(7, QStringLiteral("Font"), Qt::green);
}

qint64 printedSize(const ChartModel &model, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!printChart(model, printer)) {
        return -1;
    }
    return QFileInfo(path).size();
}

} // namespace

void ChartPrintingTest::printsAChartIntoAPdfFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ChartModel pie;
    fillTypesPie(pie);
    const QString path = dir.filePath(QStringLiteral("types pie.pdf"));
    const qint64 size = printedSize(pie, path);
    QVERIFY(size > 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(5), QByteArray("%PDF-"));

    // The drawing is in the file: an empty chart prints much less.
    ChartModel blank;
    blank.edit([](ChartSettings &s) { s.legend.visible = false; });
    const qint64 blankSize = printedSize(blank, dir.filePath(QStringLiteral("blank.pdf")));
    QVERIFY(blankSize > 0);
    QVERIFY2(size > blankSize + 1500,
             qPrintable(QStringLiteral("%1 vs %2").arg(size).arg(blankSize)));
}

void ChartPrintingTest::previewDialogKeepsItsChart()
{
    ChartModel pie;
    fillTypesPie(pie);
    ChartPreviewDialog dialog;
    QVERIFY(dialog.chart() == nullptr);
    dialog.setChart(&pie);
    QVERIFY(dialog.chart() == &pie);
    QCOMPARE(dialog.printer()->pageLayout().orientation(), QPageLayout::Landscape);

    // Shown without blocking, the preview draws the chart on exactly one page.
    QSignalSpy requests(&dialog, &QPrintPreviewDialog::paintRequested);
    dialog.show();
    auto *preview = dialog.findChild<QPrintPreviewWidget *>();
    QVERIFY(preview != nullptr);
    QTRY_VERIFY(requests.count() >= 1);
    QCOMPARE(preview->pageCount(), 1);
    dialog.close();
}

namespace {

// Height of the band of rows, from the top, that differ from the background.
int inkHeight(const QImage &image, const QColor &background)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != background) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

QImage renderAt(const ChartModel &model, int dotsPerInch)
{
    const double scale = dotsPerInch / 96.0;
    QImage image(QSize(int(400 * scale), int(120 * scale)), QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    ChartPainter(model).paint(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    painter.end();
    return image;
}

} // namespace

void ChartPrintingTest::highResolutionDeviceKeepsTheProportions_data()
{
    QTest::addColumn<bool>("pointSized");
    QTest::newRow("font in points") << true;
    QTest::newRow("font in pixels") << false;
}

void ChartPrintingTest::highResolutionDeviceKeepsTheProportions()
{
    QFETCH(bool, pointSized);
    ChartModel model;
    QFont font;
    font.setBold(true);
    if (pointSized) {
        font.setPointSize(12);
    } else {
        font.setPixelSize(16);
    }
    model.edit([&font](ChartSettings &s) {
        s.titleLines = QStringList{QStringLiteral("File Sizes in MB")};
        s.titleFont = font;
        s.titleColor = Qt::black;
        s.background = Qt::white;
        s.legend.visible = false;
        s.view.enabled = false;
        s.leftAxis.visible = false;
        s.bottomAxis.visible = false;
    });
    // Only the title is drawn: its ink must grow with the resolution, no more.
    const int screen = inkHeight(renderAt(model, 96), Qt::white);
    const int printer = inkHeight(renderAt(model, 600), Qt::white);
    QVERIFY(screen > 5);
    const double ratio = double(printer) / screen;
    QVERIFY2(ratio > 6.25 * 0.85 && ratio < 6.25 * 1.15, qPrintable(QString::number(ratio)));
}

QTEST_MAIN(ChartPrintingTest)
#include "tst_ChartPrinting.moc"
