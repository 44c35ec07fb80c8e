#include "chart/ChartModel.h"
#include "chart/ChartPrinting.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace vorin::chart;

class ChartPrintingTest : public QObject
{
    Q_OBJECT

private slots:
    void printsAChartIntoAPdfFile();
    void previewDialogKeepsItsChart();
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
}

QTEST_MAIN(ChartPrintingTest)
#include "tst_ChartPrinting.moc"
