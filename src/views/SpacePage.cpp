#include "views/SpacePage.h"

#include "chart/Chart.h"
#include "chart/FormatMask.h"
#include "engine/Drives.h"
#include "support/Utility.h"
#include "views/PageParts.h"
#include "widgets/Notebook.h"
#include "widgets/PickList.h"
#include "widgets/WindowSupport.h"

#include <cmath>
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <vector>

namespace vorin {

namespace {

const QColor kFree(255, 0, 255);
const QColor kUsed(0, 0, 255);
const QColor kWarning(255, 0, 0);

// Figures switch from KB to MB when the KB value reaches this.
constexpr double kKbLimit = 10000.0;
constexpr double kKb = 1024.0;
constexpr double kMb = 1024.0 * 1024.0;

const QString kWholeKb = QStringLiteral("#,##0 KB");
const QString kWholeMb = QStringLiteral("#,##0 MB");
const QString kTwoDecimals = QStringLiteral("#,##0.00");

// A used amount of this much or less (in the unit shown) warns in red: the
// drives are as good as empty, or as good as missing.
constexpr std::int64_t kRedUsedLimit = 5;

constexpr int kStartAngle = 60;
constexpr int kSmallPieStep = 4;
constexpr int kTotalPieStep = 2;
// With this many drives in the list, turning every small pie costs too much
// and only the total pie turns.
constexpr int kTurnSmallPiesBelow = 6;

const QString kPieHint = QStringLiteral("Click on pie to toggle animation");

// Rounding of the figures: to the nearest whole number, halves to even.
std::int64_t roundEven(double x)
{
    return static_cast<std::int64_t>(std::nearbyint(x));
}

QString twoDecimals(double x, const LocaleSeparators &locale)
{
    return toQt(chart::formatMask(x, kTwoDecimals.toStdString(), locale));
}

QFrame *colourKey(QWidget *parent, const QString &name, const QColor &color, const QRect &geometry)
{
    auto *key = new QFrame(parent);
    key->setObjectName(name);
    key->setFrameShape(QFrame::Box);
    key->setAutoFillBackground(true);
    QPalette palette = key->palette();
    palette.setColor(QPalette::Window, color);
    key->setPalette(palette);
    key->setGeometry(geometry);
    return key;
}

struct Step
{
    int step;
    int target;
};

// The fewer the bars, the deeper they may grow; the depth steps so that
// every chart reaches its depth in about ten ticks.
Step depthStepFor(int measuredDrives)
{
    if (measuredDrives <= 2)
        return {6, 60};
    if (measuredDrives <= 4)
        return {3, 30};
    if (measuredDrives <= 6)
        return {2, 20};
    return {2, 10};
}

void setUpPie(chart::Chart &pie)
{
    pie.setHint(kPieHint);
    QFont title(QStringLiteral("Arial"));
    title.setPointSize(8);
    title.setBold(true);
    pie.model().edit([&title](chart::ChartSettings &s) {
        s.titleFont = title;
        s.legend.visible = false;
        s.frameVisible = false;
        s.userZoomAllowed = false;
        s.leftAxis.visible = false;
        s.bottomAxis.visible = false;
        s.view.depthPercent = 65;
        s.view.elevation = 315;
        s.margins = chart::Margins{1, 1, 1, 1};
    });
    chart::ChartSeries &slices = pie.model().addSeries(chart::SeriesKind::Pie);
    slices.setMarkStyle(chart::MarkStyle::None);
    // A drive pie has just its used and its free slice; each keeps its own
    // colour however thin it is, and neither is pulled out.
    slices.setOtherThresholdPercent(0);
    slices.setExplodePercent(0);
    slices.setRotation(kStartAngle);
    slices.setUnit(QStringLiteral("bytes"));
    pie.hide();
}

// Used space in blue, then free space in fuchsia. A drive of no bytes gets
// no slices: its pie is drawn empty.
void fillPie(chart::Chart &pie, const QString &title, double freeBytes, double totalBytes)
{
    chart::ChartSeries &slices = pie.model().series(0);
    slices.clear();
    pie.model().setTitle(title);
    if (totalBytes > 0) {
        slices.addPoint(totalBytes - freeBytes, QStringLiteral(" "), kUsed);
        slices.addPoint(freeBytes, QStringLiteral(" "), kFree);
    }
}

} // namespace

QString freePercentText(double freeBytes, double totalBytes, const LocaleSeparators &locale)
{
    const double percent = totalBytes > 0 ? freeBytes * 100.0 / totalBytes : 0.0;
    QString text = twoDecimals(percent, locale);
    text.chop(1);
    return text;
}

SpacePage::SpacePage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{
    Panel4 = new QFrame(page);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::Panel);
    Panel4->setFrameShadow(QFrame::Sunken);
    Panel4->setGeometry(5, 5, 183, 353);
    pckStatDrive = new PickList(Panel4);
    pckStatDrive->setObjectName(QStringLiteral("pckStatDrive"));
    pckStatDrive->setGeometry(2, 2, 179, 349);
    QFont listFont(QStringLiteral("Arial"));
    listFont.setPixelSize(13);
    pckStatDrive->setFont(listFont);
    pckStatDrive->setRowHeight(16);
    pckStatDrive->setAccessibleName(QStringLiteral("Drives"));
    connect(pckStatDrive, &PickList::clicked, this, [this](int) { pckStatDriveClick(); });

    popSel = new QMenu(page);
    popSel->setObjectName(QStringLiteral("popSel"));
    SelectAll1 = popSel->addAction(QStringLiteral("Select All"));
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));
    DeselectAll1 = popSel->addAction(QStringLiteral("Deselect All"));
    DeselectAll1->setObjectName(QStringLiteral("DeselectAll1"));
    connect(SelectAll1, &QAction::triggered, this, &SpacePage::SelectAll1Click);
    connect(DeselectAll1, &QAction::triggered, this, &SpacePage::DeselectAll1Click);
    pckStatDrive->setContextMenu(popSel);

    buildFigures(page);
    buildBarChart(page);

    rgSpace2 =
        makeRadio(page, QStringLiteral("rgSpace2"), QStringLiteral("Bar - totals"), 200, 342, 110);
    rgSpace1 =
        makeRadio(page, QStringLiteral("rgSpace1"), QStringLiteral("Pie - percent"), 320, 342, 110);
    rgSpace2->setChecked(true);
    for (QRadioButton *button : {rgSpace1, rgSpace2})
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                rgSpaceClick();
        });
    cbTotal = new QCheckBox(QStringLiteral("Show Cumulative Total"), page);
    cbTotal->setObjectName(QStringLiteral("cbTotal"));
    cbTotal->setGeometry(440, 342, 180, 17);
    cbTotal->setChecked(true);
    connect(cbTotal, &QCheckBox::toggled, this, &SpacePage::cbTotalClick);

    // Until the first recomputation the (still empty) pie panel lies in
    // front of the drive list and the bars.
    buildPiePanel(page);

    // The pies stand where the bars do, above the view buttons; the panel is
    // made last only so that it lies in front.
    chainTabOrder({chartSpaceBar, m_pies[0], m_pies[1], m_pies[2], m_pies[3], m_pies[4], m_pies[5],
                   m_pies[6], m_pies[7], m_pies[8], m_pies[9], m_pies[10], pieTotal, ScrollBar3,
                   rgSpace2, rgSpace1, cbTotal});
}

void SpacePage::buildFigures(QWidget *page)
{
    QFont figureFont(QStringLiteral("Times New Roman"));
    figureFont.setPixelSize(21);
    const struct
    {
        QLabel **label;
        const char *name;
        const char *caption;
        int y;
    } captions[] = {{&lblTotalC, "lblTotalC", "Total Capacity:", 5},
                    {&lblFreeC, "lblFreeC", "Free Space:", 34},
                    {&label26, "label26", "Used Space:", 64}};
    for (const auto &c : captions) {
        *c.label = makeLabel(page, QString::fromLatin1(c.name), QString::fromLatin1(c.caption),
                             QRect(218, c.y, 150, 26));
        (*c.label)->setFont(figureFont);
    }
    // The figures stand right-aligned against their units.
    const struct
    {
        QLabel **label;
        const char *name;
        int x, y, width;
        Qt::Alignment alignment;
    } figures[] = {
        {&lblTotal, "lblTotal", 368, 5, 150, Qt::AlignRight},
        {&lblTot, "lblTot", 522, 5, 50, Qt::AlignLeft},
        {&lblFree, "lblFree", 368, 34, 150, Qt::AlignRight},
        {&lblPct, "lblPct", 522, 34, 50, Qt::AlignLeft},
        {&lblUsed, "lblUsed", 368, 64, 150, Qt::AlignRight},
        {&lblPct2, "lblPct2", 522, 64, 50, Qt::AlignLeft},
    };
    for (const auto &f : figures) {
        *f.label = makeLabel(page, QString::fromLatin1(f.name), QString(),
                             QRect(f.x, f.y, f.width, 26), f.alignment);
        (*f.label)->setFont(figureFont);
    }
    // Each caption names the figure beside it for a screen reader.
    lblTotalC->setBuddy(lblTotal);
    lblFreeC->setBuddy(lblFree);
    label26->setBuddy(lblUsed);
    Panel1 = colourKey(page, QStringLiteral("Panel1"), kFree, QRect(196, 39, 17, 17));
    Panel2 = colourKey(page, QStringLiteral("Panel2"), kUsed, QRect(196, 69, 17, 17));
}

void SpacePage::buildBarChart(QWidget *page)
{
    chartSpaceBar = makeChart(page, QStringLiteral("chartSpaceBar"), QRect(190, 87, 436, 255),
                              m_context.services.locale);
    chart::ChartModel &model = chartSpaceBar->model();
    model.edit([](chart::ChartSettings &s) {
        s.stacked = true;
        s.titleVisible = false;
        s.legend.visible = false;
        s.userZoomAllowed = false;
        s.view.enabled = true;
        s.leftAxis.format = kWholeMb;
    });
    // Used space is listed first and so stands at the bottom of each stack.
    chart::ChartSeries &used = model.addSeries(chart::SeriesKind::Bar, QStringLiteral("Used"));
    chart::ChartSeries &free = model.addSeries(chart::SeriesKind::Bar, QStringLiteral("Free"));
    QFont markFont(QStringLiteral("Arial"));
    markFont.setPointSize(8);
    for (chart::ChartSeries *series : {&used, &free}) {
        series->setMarkStyle(chart::MarkStyle::Value);
        series->setValueFormat(kWholeMb);
        series->setMarkFont(markFont);
        series->setMarkTextColor(Qt::white);
        series->setMarkBackground(QColor()); // the bar's own colour
    }
    used.setColor(kUsed);
    used.setMarkPosition(chart::MarkPosition::Inside);
    free.setColor(kFree);
    free.setMarkPosition(chart::MarkPosition::Above);
}

void SpacePage::buildPiePanel(QWidget *page)
{
    pnlPie = new QFrame(page);
    pnlPie->setObjectName(QStringLiteral("pnlPie"));
    pnlPie->setGeometry(4, 4, 616, 336);
    // The panel lies over the figures of the bar view; they must not show
    // through between the pies.
    pnlPie->setAutoFillBackground(true);
    const std::array<QPoint, kSmallPies> places{QPoint(6, 7),     QPoint(132, 7),   QPoint(258, 7),
                                                QPoint(384, 7),   QPoint(510, 7),   QPoint(6, 109),
                                                QPoint(132, 109), QPoint(258, 109), QPoint(6, 211),
                                                QPoint(132, 211), QPoint(258, 211)};
    for (std::size_t i = 0; i < places.size(); ++i) {
        m_pies[i] = makeChart(pnlPie, QStringLiteral("pie%1").arg(i + 1),
                              QRect(places[i], QSize(103, 99)), m_context.services.locale);
        setUpPie(*m_pies[i]);
        connect(m_pies[i], &chart::Chart::clicked, this, &SpacePage::pieTotalClick);
        pressWithSpace(*m_pies[i], [this] { pieTotalClick(); });
    }
    pieTotal = makeChart(pnlPie, QStringLiteral("pieTotal"), QRect(374, 119, 235, 183),
                         m_context.services.locale);
    setUpPie(*pieTotal);
    connect(pieTotal, &chart::Chart::clicked, this, &SpacePage::pieTotalClick);
    pressWithSpace(*pieTotal, [this] { pieTotalClick(); });

    colourKey(pnlPie, QStringLiteral("pieKeyFree"), kFree, QRect(470, 314, 12, 12));
    makeLabel(pnlPie, QString(), QStringLiteral("Free"), QRect(486, 311, 40, 18));
    colourKey(pnlPie, QStringLiteral("pieKeyUsed"), kUsed, QRect(530, 314, 12, 12));
    makeLabel(pnlPie, QString(), QStringLiteral("Used"), QRect(546, 311, 40, 18));

    ScrollBar3 = new QScrollBar(Qt::Horizontal, pnlPie);
    ScrollBar3->setObjectName(QStringLiteral("ScrollBar3"));
    ScrollBar3->setGeometry(3, 313, 134, 18);
    ScrollBar3->setRange(0, 360);
    ScrollBar3->setPageStep(5);
    // The bar starts at the pies' own angle: the first rotation tick, which
    // moves it to pie1's angle, then leaves a total pie that turns alone where
    // it is.
    ScrollBar3->setValue(kStartAngle);
    ScrollBar3->hide();
    reachScrollBarByKeyboard(*ScrollBar3, QStringLiteral("Turn the pies"));
    connect(ScrollBar3, &QScrollBar::valueChanged, this, &SpacePage::ScrollBar1Change);

    pnlPie->raise();
}

chart::ChartSeries &SpacePage::Series4() const
{
    return chartSpaceBar->model().series(1);
}

chart::ChartSeries &SpacePage::Series5() const
{
    return chartSpaceBar->model().series(0);
}

chart::Chart *SpacePage::pie(int number) const
{
    return m_pies.at(static_cast<std::size_t>(number - 1));
}

void SpacePage::addTo(SpaceTotal &sums, const Measured &drive)
{
    if (drive.reported)
        sums.addMeasuredElsewhere(drive.space);
    else
        sums.add(drive.letter, drive.space);
}

std::optional<SpacePage::Measured> SpacePage::measure(int row)
{
    const QString entry = pckStatDrive->item(row);
    if (entry.isEmpty())
        return std::nullopt;
    const char letter = entry.at(0).toLatin1();
    // A report's drives were measured where it was made.
    if (!m_reportSpace.empty())
        return row < static_cast<int>(m_reportSpace.size())
                   ? std::optional(Measured{asciiLower(letter),
                                            m_reportSpace[static_cast<std::size_t>(row)], true})
                   : std::nullopt;
    if (m_answers)
        if (const auto known = m_answers->find(letter); known != m_answers->end())
            return known->second;
    std::optional<Measured> measured;
    try {
        const Volumes &volumes = m_context.services.volumes;
        if (driveReady(volumes, letter)) {
            const char drive = driveLetterOf(std::string(1, letter));
            measured = Measured{drive, getDiskSpace(volumes, drive)};
        }
    } catch (const InvalidDriveError &) {
        // An entry that names no drive has nothing to show.
    }
    if (m_answers)
        m_answers->emplace(letter, measured);
    return measured;
}

void SpacePage::showFigures(bool shown)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Panel1, Panel2, chartSpaceBar, lblTotalC,
                                                       lblFreeC, label26})
        w->setVisible(shown);
}

void SpacePage::doDiskSize()
{
    m_answers.emplace();
    const auto forget = qScopeGuard([this] { m_answers.reset(); });
    for (QLabel *label : {lblTotal, lblFree, lblUsed, lblTot, lblPct, lblPct2}) {
        label->clear();
        label->setAccessibleName(QString());
    }
    Series4().clear();
    Series5().clear();
    m_measuredDrives = 0;

    struct Bar
    {
        QString label;
        double freeBytes;
        double totalBytes;
    };
    std::vector<Bar> bars;
    SpaceTotal sums(m_context.services.volumes);
    for (int i = 0; i < pckStatDrive->count(); ++i) {
        if (!pckStatDrive->selected(i))
            continue;
        const std::optional<Measured> drive = measure(i);
        if (!drive)
            continue;
        ++m_measuredDrives;
        const DiskSpace &space = drive->space;
        addTo(sums, *drive);
        bars.push_back(
            {QString(QChar::fromLatin1(drive->letter)), space.freeBytes, space.totalBytes});
    }
    // The total pair belongs to every chart of two or more drives, also when
    // all the free space happens to lie on the last drive.
    const double freeSum = sums.sum().freeBytes;
    const double capacitySum = sums.sum().totalBytes;
    if (cbTotal->isChecked() && bars.size() >= 2)
        bars.push_back({QStringLiteral("Total"), freeSum, capacitySum});

    // Every bar is given in the unit of the sums, which the marks and the
    // axis name. Converting each drive by its own capacity would stand a
    // 5,000 KB drive on an MB axis as 5,000 "MB", taller than a 4 GB disk.
    const bool inMb = capacitySum / kKb >= kKbLimit;
    const double unit = inMb ? kMb : kKb;
    for (const Bar &bar : bars) {
        Series4().addPoint(bar.freeBytes / unit, bar.label, kFree);
        Series5().addPoint((bar.totalBytes - bar.freeBytes) / unit, bar.label, kUsed);
    }

    const double capacity = capacitySum / unit;
    const double freeAmount = freeSum / unit;
    if (capacity > 0) {
        showFigures(true);
        const QString format = inMb ? kWholeMb : kWholeKb;
        chartSpaceBar->model().edit(
            [&format](chart::ChartSettings &s) { s.leftAxis.format = format; });
        Series4().setValueFormat(format);
        Series5().setValueFormat(format);

        const LocaleSeparators &locale = m_context.services.locale;
        const QString unitText = inMb ? QStringLiteral("MB") : QStringLiteral("KB");
        Series4().setUnit(unitText);
        Series5().setUnit(unitText);
        lblTot->setText(unitText);
        // The capacity is written with two decimals and cut before the
        // decimal separator.
        QString total = twoDecimals(capacity, locale);
        const qsizetype separator = total.indexOf(toQt(locale.decimal));
        if (separator >= 0)
            total.truncate(separator);
        lblTotal->setText(total);

        const std::int64_t used = roundEven(capacity - freeAmount);
        lblFree->setText(toQt(formatInt(roundEven(freeAmount), locale)));
        lblPct->setText(unitText + QLatin1Char(' '));
        // Nearly nothing used: the drives are empty or report no contents,
        // worth a second look.
        const QColor freeColor = used <= kRedUsedLimit ? kWarning : QColor(Qt::black);
        setTextColor(*lblFree, freeColor);
        setTextColor(*lblPct, freeColor);
        lblUsed->setText(toQt(formatInt(used, locale)));
        lblPct2->setText(unitText + QLatin1Char(' '));
        // A screen reader says each figure with its unit, which stands in a
        // label of its own.
        for (QLabel *figure : {lblTotal, lblFree, lblUsed})
            figure->setAccessibleName(figure->text() + QLatin1Char(' ') + unitText);
    } else {
        showFigures(false);
    }
    rgSpaceClick();
}

void SpacePage::rgSpaceClick()
{
    if (rgSpace1->isChecked()) {
        Panel4->hide();
        doPieCharts();
        cbTotal->hide();
        chartSpaceBar->hide();
        m_context.Timer1.start();
        pnlPie->show();
        pnlPie->raise();
        return;
    }
    // The drive list always comes back with the bar view: were it left behind
    // the pie panel while no drive is chosen, the user could never choose one
    // again. The bars themselves only show when a drive was measured.
    Panel4->show();
    pnlPie->hide();
    cbTotal->show();
    if (m_measuredDrives > 0) {
        chartSpaceBar->show();
        chartSpaceBar->model().setDepthPercent(1);
        m_context.Timer2.start();
    }
}

void SpacePage::doPieCharts()
{
    const LocaleSeparators &locale = m_context.services.locale;
    int counter = 1;
    SpaceTotal sums(m_context.services.volumes);
    for (int i = 0; i < pckStatDrive->count() && counter <= kSmallPies; ++i) {
        const std::optional<Measured> drive = measure(i);
        if (!drive)
            continue;
        const DiskSpace &space = drive->space;
        addTo(sums, *drive);
        chart::Chart &drivePie = *pie(counter);
        drivePie.show();
        const QString root =
            QString(QChar::fromLatin1(drive->letter)).toUpper() + QStringLiteral(":\\");
        fillPie(drivePie,
                root + QStringLiteral("  ") +
                    freePercentText(space.freeBytes, space.totalBytes, locale) +
                    QStringLiteral("% free"),
                space.freeBytes, space.totalBytes);
        ++counter;
    }
    // A drive that was ready before and is no longer keeps no pie: its old
    // figures would stand there as if they were current.
    for (; counter <= kSmallPies; ++counter)
        pie(counter)->hide();

    pieTotal->show();
    const DiskSpace &sum = sums.sum();
    fillPie(*pieTotal,
            QStringLiteral("TOTAL ") + freePercentText(sum.freeBytes, sum.totalBytes, locale) +
                QStringLiteral("% free"),
            sum.freeBytes, sum.totalBytes);
}

void SpacePage::pckStatDriveClick()
{
    if (driveClickBusy)
        return;
    driveClickBusy = true;
    doDiskSize();
    driveClickBusy = false;
}

void SpacePage::showReportDrives(const std::vector<ReportDrive> &drives)
{
    m_reportSpace.clear();
    if (drives.empty())
        return;
    QStringList entries;
    for (const ReportDrive &drive : drives) {
        entries << toQt(drive.entry);
        m_reportSpace.push_back(DiskSpace{drive.freeSpace, drive.capacity});
    }
    pckStatDrive->setItems(entries);
    pckStatDrive->setAllSelected(true);
    pckStatDriveClick();
}

void SpacePage::SelectAll1Click()
{
    pckStatDrive->setAllSelected(true);
    pckStatDriveClick();
}

void SpacePage::DeselectAll1Click()
{
    pckStatDrive->setAllSelected(false);
    pckStatDriveClick();
}

void SpacePage::cbTotalClick()
{
    pckStatDriveClick();
}

void SpacePage::pieTotalClick()
{
    QTimer &timer = m_context.Timer1;
    if (timer.isActive())
        timer.stop();
    else
        timer.start();
    ScrollBar3->setVisible(!timer.isActive());
}

void SpacePage::ScrollBar1Change()
{
    const int angle = ScrollBar3->value();
    for (chart::Chart *drivePie : m_pies)
        if (!drivePie->isHidden())
            drivePie->model().series(0).setRotation(angle);
    if (!pieTotal->isHidden())
        pieTotal->model().series(0).setRotation(angle);
}

void SpacePage::turnPies()
{
    if (!rgSpace1->isChecked())
        return;
    if (pckStatDrive->count() < kTurnSmallPiesBelow)
        for (chart::Chart *drivePie : m_pies)
            if (!drivePie->isHidden())
                drivePie->model().series(0).rotate(kSmallPieStep);
    if (!pieTotal->isHidden())
        pieTotal->model().series(0).rotate(kTotalPieStep);
    // Setting the position turns every pie shown to pie1's angle (the change
    // handler runs), so with few drives all pies turn together.
    ScrollBar3->hide();
    ScrollBar3->setValue(pie(1)->model().series(0).rotation());
}

bool SpacePage::growBarDepth()
{
    const Step s = depthStepFor(m_measuredDrives);
    chart::ChartModel &model = chartSpaceBar->model();
    const int depth = model.view().depthPercent;
    if (depth >= s.target)
        return false;
    model.setDepthPercent(depth + s.step);
    return true;
}

} // namespace vorin
