// Renders every kind of chart the program shows into PNG files, so a developer
// can look at them after a change: chart-gallery <output directory>.

#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"

#include <array>
#include <cmath>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTextStream>

using namespace vorin::chart;

namespace {

const std::array<QColor, 12> kPalette{QColor(Qt::red),     QColor(128, 0, 0),   QColor(Qt::blue),
                                      QColor(Qt::yellow),  QColor(0, 128, 0),   QColor(Qt::green),
                                      QColor(Qt::magenta), QColor(0, 128, 128), QColor(0, 0, 128),
                                      QColor(Qt::cyan),    QColor(Qt::white),   QColor(Qt::gray)};
const QColor kFree(255, 0, 255);
const QColor kUsed(0, 0, 255);

bool save(const ChartModel &model, const QSize &size, const QString &path)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    ChartPainter(model).paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image.save(path);
}

void barsWithMarks(ChartModel &model)
{
    model.setTitle(QStringLiteral("Space per drive"));
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.depthPercent = 25;
        s.leftAxis.format = QStringLiteral("#,##0 MB");
    });
    ChartSeries &series = model.addSeries(SeriesKind::Bar, QStringLiteral("Used"));
    series.setGradient(true);
    series.setMarkStyle(MarkStyle::Value);
    series.setValueFormat(QStringLiteral("#,##0 MB"));
    const std::array<double, 5> values{15360.0, 40210.5, 3120.0, 98304.0, 512.0};
    for (std::size_t i = 0; i < values.size(); ++i) {
        series.addPoint(values[i], QString(QChar('c' + static_cast<int>(i))), kPalette[i]);
    }
}

void stackedWithTotal(ChartModel &model)
{
    model.edit([](ChartSettings &s) {
        s.stacked = true;
        s.legend.visible = false;
        s.view.depthPercent = 61;
        s.leftAxis.format = QStringLiteral("#,##0 MB");
    });
    ChartSeries &used = model.addSeries(SeriesKind::Bar, QStringLiteral("Used"));
    ChartSeries &free = model.addSeries(SeriesKind::Bar, QStringLiteral("Free"));
    for (ChartSeries *series : {&used, &free}) {
        series->setMarkStyle(MarkStyle::Value);
        series->setValueFormat(QStringLiteral("#,##0 MB"));
        series->setMarkTextColor(Qt::white);
        series->setMarkBackground(QColor());
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(11);
        series->setMarkFont(font);
    }
    used.setMarkPosition(MarkPosition::Inside);
    const std::array<std::pair<double, double>, 3> drives{
        {{15360, 5120}, {30000, 21000}, {8000, 2200}}};
    double freeSum = 0;
    double usedSum = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const QString letter(QChar('c' + static_cast<int>(i)));
        used.addPoint(drives[i].first, letter, kUsed);
        free.addPoint(drives[i].second, letter, kFree);
        usedSum += drives[i].first;
        freeSum += drives[i].second;
    }
    used.addPoint(usedSum, QStringLiteral("Total"), kUsed);
    free.addPoint(freeSum, QStringLiteral("Total"), kFree);
}

void sizeBands(ChartModel &model)
{
    model.setTitle(QStringLiteral("File Sizes in MB"));
    model.edit([](ChartSettings &s) {
        s.legend.content = LegendContent::Values;
        s.legend.reversed = true;
        s.legend.swatchWidthPixels = 15;
        s.view.depthPercent = 15;
        s.bottomAxis.format = QStringLiteral("#,##0");
    });
    ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar, QStringLiteral("Sizes"));
    series.setGradient(true);
    series.setMarkStyle(MarkStyle::Percent);
    series.setPercentFormat(QStringLiteral("##0.# %"));
    series.setValueFormat(QStringLiteral("#,##0.##"));
    const std::array<const char *, 12> labels{
        "0 - 16K",    "16K - 32K", "32K - 64K", "64K - 128K", "128K - 256K", "256K - 512K",
        "512K - 1MB", "1MB - 2MB", "2MB - 4MB", "4MB - 8MB",  "8MB - 16MB",  "Over 16MB"};
    const std::array<double, 12> values{120.5, 88.2,  140.75, 210.0, 260.3, 305.9,
                                        280.1, 190.0, 150.4,  95.0,  60.2,  410.6};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        series.addPoint(values[i], QString::fromLatin1(labels[i]), kPalette[i]);
    }
}

void combinedAges(ChartModel &model)
{
    model.setTitle(QStringLiteral("Combination Access/Created/Modified Chart"));
    model.edit([](ChartSettings &s) {
        s.view.depthPercent = 20;
        s.bottomAxis.format = QStringLiteral("#,##0");
    });
    const std::array<const char *, 10> labels{
        "Not recorded", "Today",         "1 - 7 days",  "1 - 4 weeks", "1 - 3 months",
        "3 - 6 months", "6 - 12 months", "1 - 2 years", "2 - 4 years", "Over 4 years"};
    const std::array<std::tuple<const char *, QColor, int>, 3> series{
        {{"Accessed", QColor(Qt::red), 25},
         {"Created", QColor(0, 128, 0), 0},
         {"Modified", QColor(Qt::yellow), -25}}};
    int seed = 3;
    for (const auto &[title, colour, offset] : series) {
        ChartSeries &s = model.addSeries(SeriesKind::HorizontalBar, QString::fromLatin1(title));
        s.setColor(colour);
        s.setBarWidthPercent(40);
        s.setBarOffsetPercent(offset);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            seed = (seed * 37 + 11) % 101;
            s.addPoint(10.0 + seed * 3.0, QString::fromLatin1(labels[i]), colour);
        }
    }
}

void typesPie(ChartModel &model, int rotation)
{
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.view.depthPercent = 25;
        s.view.elevation = 315;
    });
    ChartSeries &pie = model.addSeries(SeriesKind::Pie, QStringLiteral("Types"));
    pie.setMarkStyle(MarkStyle::LabelAndPercent);
    pie.setPercentFormat(QStringLiteral("##0.# %"));
    const std::array<std::pair<const char *, double>, 12> types{{{"Application", 4200},
                                                                 {"Dynamic library", 3100},
                                                                 {"Bitmap", 1500},
                                                                 {"Text document", 900},
                                                                 {"Help file", 700},
                                                                 {"Font", 300},
                                                                 {"Icon", 120},
                                                                 {"Cursor", 80},
                                                                 {"Batch file", 60},
                                                                 {"Settings", 40},
                                                                 {"Driver", 30},
                                                                 {"Log", 20}}};
    for (std::size_t i = 0; i < types.size(); ++i) {
        pie.addPoint(types[i].second, QString::fromLatin1(types[i].first), kPalette[i]);
    }
    pie.setRotation(rotation);
}

void timeLines(ChartModel &model)
{
    model.edit([](ChartSettings &s) {
        s.view.depthPercent = 20;
        s.backWallColor = QColor();
        s.leftWallColor = QColor(128, 255, 255);
        s.legend.position = LegendPosition::Top;
        s.legend.swatchWidthPercent = 25;
        s.legend.topPixels = 12;
        s.bottomAxis.automatic = false;
        s.bottomAxis.minimum = 0.0;
        s.bottomAxis.maximum = 47.9583333333333;
        s.bottomAxis.title = QStringLiteral("Time of day file was modified/created/accessed");
        s.bottomAxis.labelAngle = 90;
        s.bottomAxis.labelSeparationPercent = 3;
        s.leftAxis.title = QStringLiteral("Numer of files");
        s.leftAxis.format = QStringLiteral("#,##0");
        s.pointsPerPage = 47;
    });
    const std::array<std::tuple<const char *, QColor, double>, 3> series{
        {{"Modified time", QColor(Qt::red), 9.0},
         {"Created time", QColor(Qt::green), 14.0},
         {"Access Time", QColor(Qt::blue), 0.0}}};
    for (const auto &[title, colour, peak] : series) {
        ChartSeries &s = model.addSeries(SeriesKind::Line, QString::fromLatin1(title));
        s.setColor(colour);
        double sum = 0;
        for (int k = 0; k < 48; ++k) {
            const double hour = k / 2.0;
            const double value =
                peak > 0 ? std::round(40.0 + 300.0 * std::exp(-std::pow((hour - peak) / 3.0, 2)) +
                                      (k * 7 % 13) * 4)
                         : 0.0;
            sum += value;
            s.addXY(k, value,
                    QStringLiteral("%1:%2")
                        .arg(k / 2, 2, 10, QChar('0'))
                        .arg(k % 2 ? 30 : 0, 2, 10, QChar('0')),
                    colour);
        }
        s.setActive(sum > 0);
    }
}

void mainWindowChart(ChartModel &model, const View3D &view)
{
    model.edit([&view](ChartSettings &s) {
        s.stacked = true;
        s.titleVisible = false;
        s.legend.visible = false;
        s.gradientVisible = true;
        s.gradientStart = Qt::black;
        s.gradientEnd = Qt::blue;
        s.backWallColor = QColor();
        s.bottomWallColor = QColor(128, 128, 255);
        s.leftWallColor = QColor(128, 128, 192);
        s.margins = Margins{2, 11, 2, 9};
        s.view = view;
        s.userZoomAllowed = false;
        QFont arial(QStringLiteral("Arial"));
        arial.setPixelSize(16);
        s.bottomAxis.labelFont = arial;
        s.bottomAxis.labelColor = Qt::white;
        s.bottomAxis.lineColor = Qt::white;
        s.bottomAxis.tickColor = Qt::white;
        QFont times(QStringLiteral("Times New Roman"));
        times.setPixelSize(12);
        s.leftAxis.labelFont = times;
        s.leftAxis.lineVisible = false;
        s.leftAxis.tickColor = Qt::white;
        s.leftAxis.labelColor = Qt::white;
        s.leftAxis.format = QStringLiteral("#,##0 MB");
        s.leftAxis.gridColor = QColor(160, 160, 255);
        times.setPixelSize(13);
        s.rightAxis.visible = true;
        s.rightAxis.labelFont = times;
        s.rightAxis.labelColor = Qt::white;
        s.rightAxis.tickColor = Qt::white;
        s.rightAxis.lineColor = Qt::white;
        s.rightAxis.format = QStringLiteral("#,##0 MB");
    });
    ChartSeries &used = model.addSeries(SeriesKind::Bar, QStringLiteral("Used"));
    ChartSeries &free = model.addSeries(SeriesKind::Bar, QStringLiteral("Free"));
    QFont markFont(QStringLiteral("Arial"));
    markFont.setPixelSize(11);
    for (ChartSeries *series : {&used, &free}) {
        series->setBarWidthPercent(65);
        series->setMarkStyle(MarkStyle::Value);
        series->setValueFormat(QStringLiteral("#,##0 MB"));
        series->setMarkTextColor(Qt::white);
        series->setMarkBackground(QColor());
        series->setMarkFont(markFont);
    }
    used.setGradient(true);
    used.setMarkPosition(MarkPosition::Inside);
    free.setMarkPosition(MarkPosition::Above);
    const std::array<std::pair<double, double>, 3> drives{
        {{6144, 4096}, {20480, 9216}, {3800, 12000}}};
    double freeSum = 0;
    double usedSum = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const QString letter(QChar('c' + static_cast<int>(i)));
        used.addPoint(drives[i].first, letter, kUsed);
        free.addPoint(drives[i].second, letter, kFree);
        usedSum += drives[i].first;
        freeSum += drives[i].second;
    }
    used.addPoint(usedSum, QStringLiteral("Total"), kUsed);
    free.addPoint(freeSum, QStringLiteral("Total"), kFree);
}

void attributeShares(ChartModel &model)
{
    model.edit([](ChartSettings &s) {
        s.legend.visible = false;
        s.leftAxis.visible = false;
        s.bottomAxis.visible = false;
        s.view.depthPercent = 25;
        s.margins = Margins{1, 2, 1, 2};
        s.pointsPerPage = 4;
        s.userZoomAllowed = false;
    });
    ChartSeries &series = model.addSeries(SeriesKind::HorizontalBar);
    series.setMarkStyle(MarkStyle::Value);
    series.setValueFormat(QStringLiteral("#,##0.## %"));
    for (double v : {62.5, 0.75, 12.25, 24.5}) {
        series.addPoint(v, QString(), Qt::red);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: chart-gallery <output directory>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.absolutePath())) {
        err << "cannot create " << out.absolutePath() << '\n';
        return 1;
    }
    const QSize page(632, 431);
    bool ok = true;
    const auto render = [&](const QString &name, const QSize &size, auto &&fill) {
        ChartModel model;
        fill(model);
        ok = save(model, size, out.filePath(name)) && ok;
    };

    render(QStringLiteral("bars-marks-gradient.png"), QSize(436, 255), barsWithMarks);
    render(QStringLiteral("stacked-total.png"), QSize(436, 255), stackedWithTotal);
    render(QStringLiteral("hbars-reversed-value-legend.png"), page, sizeBands);
    render(QStringLiteral("hbars-three-series.png"), page, combinedAges);
    render(QStringLiteral("hbars-attributes.png"), QSize(158, 105), attributeShares);
    for (int rotation : {0, 60, 150, 270}) {
        render(QStringLiteral("pie-other-exploded-rot%1.png").arg(rotation, 3, 10, QChar('0')),
               page, [rotation](ChartModel &model) { typesPie(model, rotation); });
    }
    render(QStringLiteral("pie-empty.png"), QSize(235, 183), [](ChartModel &model) {
        model.setTitle(QStringLiteral("TOTAL 0% free"));
        model.edit([](ChartSettings &s) {
            s.legend.visible = false;
            s.view.depthPercent = 65;
            s.view.elevation = 315;
        });
        model.addSeries(SeriesKind::Pie);
    });
    render(QStringLiteral("lines-48-points.png"), QSize(627, 361), timeLines);

    // The main window's opening: zoom and turn in steps of 4, then the depth grows.
    int frame = 0;
    for (int step = 0; step <= 20; step += 5) {
        View3D view{true, 10, 20 + 4 * step, 280 + 4 * step, 280 + 4 * step, false};
        if (step == 20) {
            view = View3D{true, 10, 100, 360, 360, true};
        }
        render(QStringLiteral("main-%1-zoom%2.png")
                   .arg(frame++, 2, 10, QChar('0'))
                   .arg(view.zoomPercent),
               QSize(800, 560), [&view](ChartModel &model) { mainWindowChart(model, view); });
    }
    for (int depth : {36, 62}) {
        const View3D view{true, depth, 100, 360, 360, true};
        render(QStringLiteral("main-%1-depth%2.png").arg(frame++, 2, 10, QChar('0')).arg(depth),
               QSize(800, 560), [&view](ChartModel &model) { mainWindowChart(model, view); });
    }
    // The space page's pie panel: eleven drive pies and the total, turned by the
    // same angle as the rotation timer would leave them.
    {
        const std::array<QPointF, 11> positions{
            QPointF(6, 7),   QPointF(132, 7),   QPointF(258, 7),   QPointF(384, 7),
            QPointF(510, 7), QPointF(6, 109),   QPointF(132, 109), QPointF(258, 109),
            QPointF(6, 211), QPointF(132, 211), QPointF(258, 211)};
        QImage image(QSize(616, 336), QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(240, 240, 240));
        QPainter painter(&image);
        const auto drivePie = [&painter](const QRectF &rect, const QString &title, double used,
                                         double freeSpace, int angle) {
            ChartModel model;
            QFont bold;
            bold.setPixelSize(11);
            bold.setBold(true);
            model.edit([&](ChartSettings &s) {
                s.titleLines = QStringList{title};
                s.titleFont = bold;
                s.legend.visible = false;
                s.view.depthPercent = 65;
                s.view.elevation = 315;
                s.margins = Margins{1, 1, 1, 1};
            });
            ChartSeries &pie = model.addSeries(SeriesKind::Pie);
            pie.addPoint(used, QStringLiteral("Used"), kUsed);
            pie.addPoint(freeSpace, QStringLiteral("Free"), kFree);
            pie.setRotation(angle);
            ChartPainter(model).paint(painter, rect);
        };
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const double used = 1000.0 + 350.0 * static_cast<double>(i);
            const double freeSpace = 2500.0 - 200.0 * static_cast<double>(i);
            drivePie(QRectF(positions[i], QSizeF(103, 99)),
                     QStringLiteral("%1:\\  %2% free")
                         .arg(QChar('C' + static_cast<int>(i)))
                         .arg(100.0 * freeSpace / (used + freeSpace), 0, 'f', 1),
                     used, freeSpace, 60 + 4 * static_cast<int>(i));
        }
        drivePie(QRectF(374, 119, 235, 183), QStringLiteral("TOTAL 38.5% free"), 40000, 25000, 60);
        painter.end();
        ok = image.save(out.filePath(QStringLiteral("pie-panel-twelve.png"))) && ok;
    }

    // As a printer sees it: a 300 dpi device, where lengths are scaled up.
    {
        ChartModel model;
        sizeBands(model);
        QImage image(QSize(632, 431) * 300 / 96, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(11811);
        image.fill(Qt::white);
        QPainter painter(&image);
        ChartPainter(model).paint(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
        painter.end();
        ok = image.save(out.filePath(QStringLiteral("printed-300dpi.png"))) && ok;
    }
    if (!ok) {
        err << "some images could not be written\n";
        return 1;
    }
    return 0;
}
