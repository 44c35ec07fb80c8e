#include "shell/Main.h"

#include "chart/Chart.h"
#include "engine/Drives.h"
#include "shell/About.h"
#include "widgets/FontSubstitutes.h"
#include "widgets/HeadingLabel.h"
#include "widgets/PickList.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <cmath>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolTip>
#include <vector>

namespace vorin {

const QString TfrmMain::kReplayHint = QStringLiteral("Double click chart to view animation");

namespace {

const QColor kFree(255, 0, 255);
const QColor kUsed(0, 0, 255);

// Where the opening animation starts and ends.
constexpr int kStartZoom = 20;
constexpr int kStartTurn = 280;
constexpr int kStartDepth = 10;
constexpr int kZoomStep = 4;
constexpr int kFullZoom = 100;
constexpr int kFrontView = 360;

constexpr int kButtonGap = 6;
constexpr int kButtonBottomGap = 5;
constexpr int kButtonHeight = 28;

constexpr int kTitleHeight = 57;
constexpr int kBottomHeight = 41;
constexpr int kBottomInset = 8;

// A drive's capacity below this many KB is counted in KB, not MB.
constexpr double kKbLimit = 10000.0;

const QString kWholeMb = QStringLiteral("#,##0 MB");
const QString kFineMb = QStringLiteral("#,##0.## MB");

// Tooltips come up after a second, not at once: the buttons and the chart sit
// where the pointer rests a lot.
class ToolTipDelayStyle final : public QProxyStyle
{
public:
    explicit ToolTipDelayStyle(const QString &baseKey) : QProxyStyle(baseKey) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 1000;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QFont pixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

DepthAnimation depthAnimationFor(int driveCount)
{
    if (driveCount <= 3)
        return {4, 60};
    if (driveCount <= 8)
        return {2, 36};
    if (driveCount <= 12)
        return {1, 20};
    return {1, 10};
}

TfrmMain::TfrmMain(const Volumes &volumes, QWidget *parent) : QWidget(parent), m_volumes(volumes)
{
    setObjectName(QStringLiteral("frmMain"));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);
    setAutoFillBackground(true);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    resize(kClientWidth, kClientHeight);

    chartSpaceBar = new chart::Chart(this);
    chartSpaceBar->setObjectName(QStringLiteral("chartSpaceBar"));
    // The buttons come first for the keyboard; Tab reaches the bars after
    // them, for their figures and their menu (copy, save as PNG).
    chartSpaceBar->setFocusPolicy(Qt::TabFocus);
    setUpChart();
    connect(chartSpaceBar, &chart::Chart::doubleClicked, this, &TfrmMain::chartSpaceBarDblClick);
    chartSpaceBar->installEventFilter(this);

    lblTitle = new HeadingLabel(QStringLiteral("Vorin 99 - Disk Statistics"), chartSpaceBar);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setHeading(true);
    lblTitle->setFont(headingFont(29));
    lblTitle->setTextColor(QColor(128, 128, 0));
    lblTitle->setHighlightColor(QColor(255, 255, 0));
    lblTitle->setShadowColor(QColor(0, 0, 0));
    lblTitle->setShadowDepth(2);
    lblTitle->setAlignment(Qt::AlignCenter);

    lblBottom = new HeadingLabel(QString::fromLatin1(kHomePage), chartSpaceBar);
    lblBottom->setObjectName(QStringLiteral("lblBottom"));
    lblBottom->setFont(headingFont(27));
    lblBottom->setTextColor(QColor(255, 0, 255));
    lblBottom->setShadowColor(QColor(0, 0, 128));
    lblBottom->setShadowDepth(7);
    lblBottom->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    const auto makeButton = [this](const char *name, const QString &caption, int width) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->resize(width, kButtonHeight);
        return button;
    };
    btStatistic = makeButton("btStatistic", QStringLiteral("&Collect disk statistics"), 176);
    btStatistic->setDefault(true);
    btReach = makeButton("btReach", QStringLiteral("&About"), 76);
    btClose = makeButton("btClose", QStringLiteral("E&xit"), 76);
    btClose->setToolTip(QStringLiteral("Quit and close "));
    QWidget::setTabOrder(btClose, chartSpaceBar);
    connect(btStatistic, &QPushButton::clicked, this, &TfrmMain::btStatisticClick);
    connect(btReach, &QPushButton::clicked, this, &TfrmMain::btReachClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmMain::btCloseClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(60);
    connect(Timer2, &QTimer::timeout, this, &TfrmMain::Timer2Timer);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // The program can also end without this window being closed (the session
    // ends, the application is told to quit): a scan must still stop before
    // its window goes.
    stopScan();
}

void TfrmMain::setStatistics(StatisticsLink link)
{
    m_statistics = std::move(link);
}

chart::ChartSeries &TfrmMain::Series5()
{
    return chartSpaceBar->model().series(0);
}

chart::ChartSeries &TfrmMain::Series4()
{
    return chartSpaceBar->model().series(1);
}

void TfrmMain::setUpChart()
{
    chart::ChartModel &model = chartSpaceBar->model();
    model.edit([](chart::ChartSettings &s) {
        s.stacked = true;
        s.titleVisible = false;
        s.legend.visible = false;
        s.userZoomAllowed = false;
        s.gradientVisible = true;
        s.gradientStart = Qt::black; // at the bottom
        s.gradientEnd = Qt::blue;
        s.backWallColor = QColor(); // transparent
        s.bottomWallColor = QColor(128, 128, 255);
        s.leftWallColor = QColor(128, 128, 192);
        s.margins = chart::Margins{2, 11, 2, 9};

        s.bottomAxis.labelFont = pixelFont(QStringLiteral("Arial"), 16);
        s.bottomAxis.labelColor = Qt::white;
        s.bottomAxis.lineColor = Qt::white;
        s.bottomAxis.tickColor = Qt::white;
        s.bottomAxis.grid = false;

        s.leftAxis.lineVisible = false;
        s.leftAxis.tickColor = Qt::white;
        s.leftAxis.labelColor = Qt::white;
        s.leftAxis.labelFont = pixelFont(QStringLiteral("Times New Roman"), 12);
        s.leftAxis.format = kWholeMb;
        s.leftAxis.gridColor = QColor(160, 160, 255);

        s.rightAxis.visible = true;
        s.rightAxis.labelColor = Qt::white;
        s.rightAxis.tickColor = Qt::white;
        s.rightAxis.lineColor = Qt::white;
        s.rightAxis.labelFont = pixelFont(QStringLiteral("Times New Roman"), 13);
        s.rightAxis.format = kWholeMb;
        s.rightAxis.grid = false;

        s.view = chart::View3D{true, kStartDepth, kStartZoom, kStartTurn, kStartTurn, false};
    });

    // Used space is listed first and so stands at the bottom of each stack.
    chart::ChartSeries &used = model.addSeries(chart::SeriesKind::Bar, QStringLiteral("Used"));
    chart::ChartSeries &free = model.addSeries(chart::SeriesKind::Bar, QStringLiteral("Free"));
    QFont markFont(QStringLiteral("Arial"));
    markFont.setPointSize(8);
    for (chart::ChartSeries *series : {&used, &free}) {
        series->setUnit(QStringLiteral("MB"));
        series->setBarWidthPercent(65);
        series->setMarkStyle(chart::MarkStyle::Value);
        series->setValueFormat(kWholeMb);
        series->setMarkFont(markFont);
        series->setMarkTextColor(Qt::white);
        series->setMarkBackground(QColor()); // the bar's own colour
    }
    used.setColor(kUsed);
    used.setGradient(true);
    used.setMarkPosition(chart::MarkPosition::Inside);
    free.setColor(kFree);
    free.setMarkPosition(chart::MarkPosition::Above);
}

void TfrmMain::applyToolTipLook()
{
    if (dynamic_cast<ToolTipDelayStyle *>(QApplication::style()) == nullptr)
        QApplication::setStyle(new ToolTipDelayStyle(QApplication::style()->name()));
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(0, 255, 255));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
}

void TfrmMain::FormCreate()
{
    chartSpaceBar->model().setZoomPercent(kStartZoom);
    lblTitle->hide();
    lblBottom->hide();
    setWindowTitle(QStringLiteral("Vorin 99"));
    applyToolTipLook();
    centreOnScreen(*this);
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Coming back from the task bar is no new start: the chart stays as it is.
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::FormShow()
{
    applyToolTipLook();
    FormResize();
    doDiskSize();
    chartSpaceBar->model().setView(
        chart::View3D{true, kStartDepth, kStartZoom, kStartTurn, kStartTurn, false});
    Timer2->start();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize()
{
    const int w = width();
    const int h = height();
    chartSpaceBar->setGeometry(rect());
    btClose->move(w - btClose->width() - kButtonGap, h - btClose->height() - kButtonBottomGap);
    btReach->move(btClose->x() - btReach->width() - kButtonGap, btClose->y());
    btStatistic->move(btReach->x() - btStatistic->width() - kButtonGap, btClose->y());
    placeBanners();
}

void TfrmMain::placeBanners()
{
    const int w = chartSpaceBar->width();
    const int h = chartSpaceBar->height();
    lblTitle->setGeometry(0, 0, w, kTitleHeight);
    // The address sits at the left so that the buttons, at the right of the
    // same strip, never cover it on a wide screen.
    lblBottom->setGeometry(kBottomInset, h - kBottomHeight, std::max(0, w - 2 * kBottomInset),
                           kBottomHeight);
}

void TfrmMain::doDiskSize()
{
    chart::ChartSeries &used = Series5();
    chart::ChartSeries &free = Series4();
    used.clear();
    free.clear();

    // Every bar is given in MB. A drive under 10,000 KB (a floppy, a small
    // card, a RAM disk) counted in KB would stand on the same MB axis as the
    // hard disks and read 1,423 "MB" for a 1.44 MB floppy. Such a drive keeps
    // its fraction of an MB instead, and while one is on the chart the marks
    // show two decimals so that it does not read "1 MB" or "0 MB"; the bigger
    // drives then count in whole MB, so that their marks stay as they were.
    struct Pair
    {
        QString label;
        double freeBytes;
        double totalBytes;
    };
    std::vector<Pair> pairs;
    SpaceTotal total(m_volumes);
    if (m_statistics.driveList != nullptr) {
        const PickList &list = *m_statistics.driveList;
        for (int i = 0; i < list.count(); ++i) {
            const QString entry = list.item(i);
            if (entry.isEmpty())
                continue;
            const char letter = static_cast<char>(entry.at(0).toLatin1());
            try {
                if (!driveReady(m_volumes, letter))
                    continue;
            } catch (const InvalidDriveError &) {
                continue;
            }
            const DiskSpace space = getDiskSpace(m_volumes, letter);
            if (space.totalBytes < 0)
                continue;
            total.add(letter, space);
            pairs.push_back(
                {QString(QChar::fromLatin1(letter)), space.freeBytes, space.totalBytes});
        }
    }
    // The total pair belongs to every chart of two or more drives, also when
    // all the free space happens to lie on the last drive.
    if (pairs.size() >= 2)
        pairs.push_back({QStringLiteral("Total"), total.sum().freeBytes, total.sum().totalBytes});

    const auto small = [](double totalBytes) {
        return totalBytes > 0 && totalBytes / 1024.0 < kKbLimit;
    };
    const bool fine = std::any_of(pairs.begin(), pairs.end(),
                                  [&small](const Pair &pair) { return small(pair.totalBytes); });
    for (const Pair &pair : pairs) {
        double freeMb = pair.freeBytes / 1024.0 / 1024.0;
        double usedMb = (pair.totalBytes - pair.freeBytes) / 1024.0 / 1024.0;
        if (fine && !small(pair.totalBytes)) {
            freeMb = std::round(freeMb);
            usedMb = std::round(usedMb);
        }
        free.addPoint(freeMb, pair.label, kFree);
        used.addPoint(usedMb, pair.label, kUsed);
    }
    const QString markFormat = fine ? kFineMb : kWholeMb;
    used.setValueFormat(markFormat);
    free.setValueFormat(markFormat);
    // The axis steps of a chart that holds nothing bigger than 10,000 KB are
    // fractions of an MB.
    const QString axisFormat = small(total.sum().totalBytes) ? kFineMb : kWholeMb;
    chartSpaceBar->model().edit([&axisFormat](chart::ChartSettings &s) {
        s.leftAxis.format = axisFormat;
        s.rightAxis.format = axisFormat;
    });
}

void TfrmMain::Timer2Timer()
{
    chart::ChartModel &model = chartSpaceBar->model();
    chart::View3D view = model.view();
    if (view.zoomPercent < kFullZoom) {
        view.zoomPercent += kZoomStep;
        view.rotation += kZoomStep;
        view.elevation += kZoomStep;
    }
    if (view.zoomPercent >= kFullZoom) {
        view.zoomPercent = kFullZoom;
        view.orthogonal = true;
        view.rotation = kFrontView;
        view.elevation = kFrontView;
        Timer2->stop();
        Timer1->start();
    }
    model.setView(view);
}

void TfrmMain::Timer1Timer()
{
    const int count = m_statistics.driveList != nullptr ? m_statistics.driveList->count() : 0;
    const DepthAnimation animation = depthAnimationFor(count);
    m_depthStep = animation.step;
    m_depthTarget = animation.target;

    chart::ChartModel &model = chartSpaceBar->model();
    int depth = model.view().depthPercent;
    if (depth < m_depthTarget) {
        depth += m_depthStep;
        model.setDepthPercent(depth);
    }
    if (depth >= m_depthTarget) {
        lblTitle->show();
        lblBottom->show();
        chartSpaceBar->setHint(kReplayHint);
        Timer1->stop();
    }
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The keyboard's double click, taken before the chart would offer the
    // key to its current bar: on this window a bar leads nowhere else.
    if (watched == chartSpaceBar && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chartSpaceBarDblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::chartSpaceBarDblClick()
{
    lblTitle->hide();
    lblBottom->hide();
    chartSpaceBar->setHint(QString());
    chartSpaceBar->model().setView(
        chart::View3D{true, kStartDepth, kStartZoom, kStartTurn, kStartTurn, false});
    Timer2->start();
}

void TfrmMain::btStatisticClick()
{
    if (QWidget *window = m_statistics.window) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

void TfrmMain::btReachClick()
{
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::btCloseClick()
{
    close();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    stopScan();
    if (QWidget *window = m_statistics.window)
        window->hide();
    event->accept();
}

void TfrmMain::stopScan()
{
    if (m_scanStopped || !m_statistics.stopScan)
        return;
    m_scanStopped = true;
    m_statistics.stopScan();
}

} // namespace vorin
