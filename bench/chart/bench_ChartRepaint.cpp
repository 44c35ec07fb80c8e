// How long one repaint of the busiest charts takes, so the timer-driven
// animations (pie rotation and depth growth at 50 ms ticks) stay smooth: each
// must stay well under 5 ms at the page size of 632 x 431.
//
// The raster engine hands large fills to Qt's GUI thread pool, so the CPU
// column counts the whole process; the time column is the wall clock per
// repaint, which is what the animation feels, but only on an idle machine.

#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <vector>

using namespace vorin::chart;

namespace {

const QSize kPage(632, 431);

void fillTimeLines(ChartModel &model)
{
    model.edit([](ChartSettings &s) {
        s.view.depthPercent = 20;
        s.leftWallColor = QColor(128, 255, 255);
        s.legend.position = LegendPosition::Top;
        s.legend.swatchWidthPercent = 25;
        s.bottomAxis.automatic = false;
        s.bottomAxis.maximum = 47.9583333333333;
        s.bottomAxis.labelAngle = 90;
        s.bottomAxis.labelSeparationPercent = 3;
        s.bottomAxis.title = QStringLiteral("Time of day file was modified/created/accessed");
        s.leftAxis.title = QStringLiteral("Numer of files");
        s.pointsPerPage = 47;
    });
    const std::array<QColor, 3> colours{QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)};
    for (int series = 0; series < 3; ++series) {
        ChartSeries &line =
            model.addSeries(SeriesKind::Line, QStringLiteral("Series %1").arg(series));
        line.setColor(colours[static_cast<std::size_t>(series)]);
        for (int k = 0; k < 48; ++k) {
            line.addXY(k, 50.0 + 40.0 * std::sin(k * 0.4 + series) + (k * 7 % 11) * 3.0,
                       QStringLiteral("%1:%2")
                           .arg(k / 2, 2, 10, QChar('0'))
                           .arg(k % 2 ? 30 : 0, 2, 10, QChar('0')));
        }
    }
}

void fillDrivePie(ChartModel &model, int drive)
{
    model.setTitle(QStringLiteral("C:\\  45.3% free"));
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.depthPercent = 65;
        s.view.elevation = 315;
    });
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    pie.addPoint(1000.0 + drive * 300.0, QStringLiteral("Used"), QColor(0, 0, 255));
    pie.addPoint(800.0 + drive * 50.0, QStringLiteral("Free"), QColor(255, 0, 255));
    pie.setRotation(60);
}

void paintOnce(benchmark::State &state,
               const std::vector<std::pair<const ChartModel *, QRectF>> &charts)
{
    QImage image(kPage, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        for (const auto &[model, rect] : charts) {
            ChartPainter(*model).paint(painter, rect);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void ThreeLinesOf48Points(benchmark::State &state)
{
    ChartModel model;
    fillTimeLines(model);
    paintOnce(state, {{&model, QRectF(QPointF(0, 0), QSizeF(kPage))}});
}

void TwelvePiesOnOnePanel(benchmark::State &state)
{
    // The drive pies as the space page places them: eleven small, one large.
    const std::array<QPointF, 11> positions{QPointF(6, 7),     QPointF(132, 7),   QPointF(258, 7),
                                            QPointF(384, 7),   QPointF(510, 7),   QPointF(6, 109),
                                            QPointF(132, 109), QPointF(258, 109), QPointF(6, 211),
                                            QPointF(132, 211), QPointF(258, 211)};
    std::vector<std::unique_ptr<ChartModel>> models;
    std::vector<std::pair<const ChartModel *, QRectF>> charts;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        models.push_back(std::make_unique<ChartModel>());
        fillDrivePie(*models.back(), static_cast<int>(i));
        charts.emplace_back(models.back().get(), QRectF(positions[i], QSizeF(103, 99)));
    }
    models.push_back(std::make_unique<ChartModel>());
    fillDrivePie(*models.back(), 11);
    charts.emplace_back(models.back().get(), QRectF(374, 119, 235, 183));
    int angle = 60;
    QImage image(kPage, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        // Each tick turns every pie, as the rotation timer does.
        angle = (angle + 4) % 360;
        for (const auto &model : models) {
            model->series(0).setRotation(angle);
        }
        image.fill(Qt::white);
        QPainter painter(&image);
        for (const auto &[model, rect] : charts) {
            ChartPainter(*model).paint(painter, rect);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void TypesPieWithMarks(benchmark::State &state)
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.depthPercent = 25;
        s.view.elevation = 315;
    });
    ChartSeries &pie = model.addSeries(SeriesKind::Pie);
    pie.setMarkStyle(MarkStyle::LabelAndPercent);
    for (int i = 0; i < 12; ++i) {
        pie.addPoint(1000.0 / (i + 1), QStringLiteral("Type %1").arg(i),
                     QColor::fromHsv(i * 30, 255, 230));
    }
    paintOnce(state, {{&model, QRectF(QPointF(0, 0), QSizeF(kPage))}});
}

void CombinedHorizontalBars(benchmark::State &state)
{
    ChartModel model;
    model.setTitle(QStringLiteral("Combination Access/Created/Modified Chart"));
    model.setDepthPercent(20);
    const std::array<int, 3> offsets{25, 0, -25};
    for (int offset : offsets) {
        ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar, QStringLiteral("Series"));
        series.setBarWidthPercent(40);
        series.setBarOffsetPercent(offset);
        series.setGradient(true);
        for (int bucket = 0; bucket < 10; ++bucket) {
            series.addPoint(10.0 + bucket * 7 % 13, QStringLiteral("Bucket %1").arg(bucket));
        }
    }
    paintOnce(state, {{&model, QRectF(QPointF(0, 0), QSizeF(kPage))}});
}

void MainWindowBarsTurning(benchmark::State &state)
{
    ChartModel model;
    model.edit([](ChartSettings &s) {
        s.stacked = true;
        s.legend.visible = false;
        s.gradientVisible = true;
        s.gradientStart = Qt::black;
        s.gradientEnd = Qt::blue;
        s.rightAxis.visible = true;
        s.leftAxis.format = QStringLiteral("#,##0 MB");
        s.rightAxis.format = QStringLiteral("#,##0 MB");
        s.view = View3D{true, 10, 60, 320, 320, false};
    });
    ChartSeries &used = model.addSeries(SeriesKind::Bar);
    ChartSeries &free = model.addSeries(SeriesKind::Bar);
    for (ChartSeries *series : {&used, &free}) {
        series->setMarkStyle(MarkStyle::Value);
        series->setValueFormat(QStringLiteral("#,##0 MB"));
        series->setBarWidthPercent(65);
    }
    used.setGradient(true);
    for (int drive = 0; drive < 6; ++drive) {
        used.addPoint(10000.0 + drive * 3000.0, QString(QChar('c' + drive)), QColor(0, 0, 255));
        free.addPoint(4000.0 + drive * 1000.0, QString(QChar('c' + drive)), QColor(255, 0, 255));
    }
    paintOnce(state, {{&model, QRectF(QPointF(0, 0), QSizeF(kPage))}});
}

} // namespace

BENCHMARK(ThreeLinesOf48Points)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(TwelvePiesOnOnePanel)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(TypesPieWithMarks)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(CombinedHorizontalBars)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(MainWindowBarsTurning)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
