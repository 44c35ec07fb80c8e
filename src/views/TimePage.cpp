#include "views/TimePage.h"

#include "chart/Chart.h"
#include "engine/Statistics.h"
#include "platform/Messages.h"
#include "views/FigureLinks.h"
#include "views/PageParts.h"
#include "widgets/WindowSupport.h"

#include <QScrollBar>
#include <QToolButton>

namespace vorin {

namespace {

const char *const kTimeNote =
    "Note: Sometimes software vendors use the file modified time to indicate the version number "
    "of a product. For example, a file with the time of 02:10 am would represent version 2.1 of "
    "a certain product.";

constexpr int kStartDepth = 20;

// Fills one curve with a point per half hour, labelled with the slot's start
// in the user's clock; answers the sum of the counts.
double fillSlots(chart::ChartSeries &series, const std::array<double, kTimeSlots> &counts,
                 const TimeOfDayFormat &clock)
{
    series.clear();
    double sum = 0;
    for (int k = 0; k < kTimeSlots; ++k) {
        const double count = counts.at(static_cast<std::size_t>(k));
        sum += count;
        series.addXY(k, count, toQt(formatTimeOfDay(clock, k / 2, k % 2 == 1 ? 30 : 0)),
                     series.color());
    }
    return sum;
}

} // namespace

TimePage::TimePage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    Chart4 =
        makeChart(page, QStringLiteral("Chart4"), QRect(0, 0, 627, 361), context.services.locale);
    chart::ChartModel &model = Chart4->model();
    model.edit([](chart::ChartSettings &s) {
        s.view.depthPercent = kStartDepth;
        s.backWallColor = QColor(); // transparent
        s.leftWallColor = QColor(128, 255, 255);
        s.titleVisible = false;
        s.legend.visible = true;
        s.legend.content = chart::LegendContent::SeriesTitles;
        s.legend.position = chart::LegendPosition::Top;
        s.legend.swatchWidthPercent = 25;
        s.legend.topPixels = 12;
        s.bottomAxis.automatic = false;
        s.bottomAxis.minimum = 0.0;
        s.bottomAxis.maximum = 47.9583333333333;
        s.bottomAxis.title = QStringLiteral("Time of day file was modified/created/accessed");
        s.bottomAxis.labelAngle = 90;
        s.bottomAxis.labelSeparationPercent = 3;
        s.leftAxis.title = QStringLiteral("Numer of files");
        s.pointsPerPage = 47;
        s.userZoomAllowed = true;
    });
    const struct
    {
        chart::ChartSeries **series;
        const char *title;
        QColor colour;
    } curves[] = {{&Series10, "Modified time", QColor(255, 0, 0)},
                  {&Series11, "Created time", QColor(0, 255, 0)},
                  {&Series12, "Access Time", QColor(0, 0, 255)}};
    for (const auto &curve : curves) {
        *curve.series = &model.addSeries(chart::SeriesKind::Line, QString::fromLatin1(curve.title));
        (*curve.series)->setColor(curve.colour);
        (*curve.series)->setUnit(QStringLiteral("files"));
        (*curve.series)->setPointersVisible(false);
    }

    sbTime = new QScrollBar(Qt::Horizontal, page);
    sbTime->setObjectName(QStringLiteral("sbTime"));
    sbTime->setGeometry(6, 339, 106, 16);
    sbTime->setRange(1, 50);
    sbTime->setValue(8);
    sbTime->setPageStep(5);
    reachScrollBarByKeyboard(*sbTime, QStringLiteral("Depth"));
    // Connected after the start position is set: the depth stays at its
    // start until the user moves the bar.
    connect(sbTime, &QScrollBar::valueChanged, this, &TimePage::sbTimeChange);

    // The curves are the modified, created and access times, their points
    // the half hours.
    linkChartToFiles(
        *Chart4,
        [](int series, int point) {
            const FigureKind kinds[] = {FigureKind::ModifiedTime, FigureKind::CreatedTime,
                                        FigureKind::AccessTime};
            if (series < 0 || series > 2 || point < 1 || point >= kTimeSlots)
                return FigureChoices{};
            return FigureChoices{{QString(), {kinds[series], point, {}}}};
        },
        context.showFiles);

    SpeedButton5 = makeNoteButton(page, QStringLiteral("SpeedButton5"),
                                  QStringLiteral("About file times as version numbers"));
    connect(SpeedButton5, &QToolButton::clicked, this, &TimePage::SpeedButton5Click);
}

void TimePage::doFileTimes()
{
    const Statistics &s = m_context.statistics();
    const TimeOfDayFormat &clock = m_context.services.timeFormat;
    fillSlots(*Series10, s.modifiedTimeSlots, clock);
    fillSlots(*Series11, s.createdTimeSlots, clock);
    // A file system that keeps only the date of the last access puts every
    // access at midnight, which is never counted: no curve rather than a
    // flat line that claims nothing was ever read.
    const double accessed = fillSlots(*Series12, s.accessTimeSlots, clock);
    Series12->setActive(accessed > 0);

    // Compared with an earlier scan: its curves beside these, paler.
    const Statistics *earlier = m_context.earlierStatistics();
    chart::ChartSeries *const now[] = {Series10, Series11, Series12};
    const std::array<double, kTimeSlots> *then[] = {
        earlier ? &earlier->modifiedTimeSlots : nullptr,
        earlier ? &earlier->createdTimeSlots : nullptr,
        earlier ? &earlier->accessTimeSlots : nullptr};
    chart::ChartModel &model = Chart4->model();
    for (std::size_t i = 0; i < std::size(now); ++i) {
        const QString title = now[i]->title() + QStringLiteral(" then");
        chart::ChartSeries *earlierCurve =
            earlierSeries(model, title, earlier != nullptr, [&]() -> chart::ChartSeries & {
                chart::ChartSeries &curve = model.addSeries(chart::SeriesKind::Line, title);
                curve.setPointersVisible(false);
                curve.setUnit(QStringLiteral("files"));
                return curve;
            });
        if (!earlierCurve)
            continue;
        earlierCurve->setColor(paler(now[i]->color()));
        const double sum = fillSlots(*earlierCurve, *then[i], clock);
        earlierCurve->setActive(now[i]->isActive() || sum > 0);
    }
}

void TimePage::sbTimeChange(int position)
{
    Chart4->model().setDepthPercent(position);
}

void TimePage::SpeedButton5Click()
{
    showInfo(kTimeNote);
}

} // namespace vorin
