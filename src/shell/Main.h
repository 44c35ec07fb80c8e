#pragma once

#include <functional>
#include <QPointer>
#include <QString>
#include <QWidget>

class QPushButton;
class QTimer;

namespace vorin {

class HeadingLabel;
class PickList;
class Volumes;

namespace chart {
class Chart;
class ChartSeries;
} // namespace chart

// What the main window needs of the statistics window: the window to bring
// up, its drive list (read item by item for the chart), and a way to stop a
// scan before the program ends. Tests hand in a plain pick list and nothing
// else. Nothing here is owned.
struct StatisticsLink
{
    QWidget *window = nullptr;
    PickList *driveList = nullptr;
    std::function<void()> stopScan;
};

// The main window: fills the screen with an animated 3-D bar chart of free and
// used space of every ready drive, two banners once the animation has run, and
// the buttons that open the statistics window, the about box or end the
// program. Closing it ends the program. Lives on the GUI thread; the chart asks
// the drives for their space only when the window is shown.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 642;
    static constexpr int kClientHeight = 482;

    explicit TfrmMain(const Volumes &volumes, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The statistics window is built after this one; it is linked in before
    // this window is first shown.
    void setStatistics(StatisticsLink link);
    [[nodiscard]] const StatisticsLink &statistics() const { return m_statistics; }

    // Window events, callable by tests without showing the window.
    void FormShow();
    void FormResize();

    void doDiskSize();
    void Timer2Timer();
    void Timer1Timer();
    void chartSpaceBarDblClick();

    void btStatisticClick();
    void btReachClick();
    void btCloseClick();

    // Used space (blue, bottom of the stack) and free space (fuchsia, on top).
    [[nodiscard]] chart::ChartSeries &Series5();
    [[nodiscard]] chart::ChartSeries &Series4();

    chart::Chart *chartSpaceBar = nullptr;
    HeadingLabel *lblTitle = nullptr;
    HeadingLabel *lblBottom = nullptr;
    QPushButton *btStatistic = nullptr;
    QPushButton *btReach = nullptr;
    QPushButton *btClose = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;

    // The hint the chart shows once the animation has run.
    static const QString kReplayHint;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Enter on the chart replays the opening, as a double click does.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void setUpChart();
    void applyToolTipLook();
    void placeBanners();
    void stopScan();

    const Volumes &m_volumes;
    StatisticsLink m_statistics;
    bool m_scanStopped = false;
    // The depth animation's step and target, in percent.
    int m_depthStep = 4;
    int m_depthTarget = 60;
};

// The depth animation's step and target for a drive list of n entries: the
// more bars, the shallower they are drawn.
struct DepthAnimation
{
    int step;
    int target;
};
[[nodiscard]] DepthAnimation depthAnimationFor(int driveCount);

} // namespace vorin
