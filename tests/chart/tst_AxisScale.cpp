#include "chart/AxisScale.h"

#include <cmath>
#include <limits>
#include <QList>
#include <QTest>

using vorin::chart::automaticRange;
using vorin::chart::AxisRange;
using vorin::chart::niceStep;
using vorin::chart::ticksFor;

class AxisScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void stepsAreOneTwoOrFiveTimesAPowerOfTen_data();
    void stepsAreOneTwoOrFiveTimesAPowerOfTen();
    void automaticRangeWidensToWholeStepsThroughZero_data();
    void automaticRangeWidensToWholeStepsThroughZero();
    void ticksAreTheStepsWithinTheRange_data();
    void ticksAreTheStepsWithinTheRange();
};

void AxisScaleTest::stepsAreOneTwoOrFiveTimesAPowerOfTen_data()
{
    QTest::addColumn<double>("raw");
    QTest::addColumn<double>("expected");

    QTest::newRow("exactly one") << 1.0 << 1.0;
    QTest::newRow("just above one") << 1.01 << 2.0;
    QTest::newRow("exactly two") << 2.0 << 2.0;
    QTest::newRow("just above two") << 2.1 << 5.0;
    QTest::newRow("exactly five") << 5.0 << 5.0;
    QTest::newRow("above five") << 7.0 << 10.0;
    QTest::newRow("tens") << 19.0 << 20.0;
    QTest::newRow("thousands") << 3500.0 << 5000.0;
    QTest::newRow("tenths") << 0.15 << 0.2;
    QTest::newRow("hundredths") << 0.03 << 0.05;
    QTest::newRow("zero falls back to one") << 0.0 << 1.0;
    QTest::newRow("negative falls back to one") << -4.0 << 1.0;
    QTest::newRow("infinity falls back to one") << std::numeric_limits<double>::infinity() << 1.0;
    QTest::newRow("not a number falls back to one") << std::nan("") << 1.0;
}

void AxisScaleTest::stepsAreOneTwoOrFiveTimesAPowerOfTen()
{
    QFETCH(double, raw);
    QFETCH(double, expected);
    QCOMPARE(niceStep(raw), expected);
}

void AxisScaleTest::automaticRangeWidensToWholeStepsThroughZero_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("wantedTicks");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");

    QTest::newRow("positive data starts at zero") << 0.0 << 95.0 << 5 << 20.0 << 0.0 << 100.0;
    QTest::newRow("range above zero reaches down to it")
        << 40.0 << 60.0 << 3 << 20.0 << 0.0 << 60.0;
    QTest::newRow("negative and positive") << -12.0 << 40.0 << 4 << 20.0 << -20.0 << 40.0;
    QTest::newRow("negative data ends at zero") << -75.0 << -10.0 << 4 << 20.0 << -80.0 << 0.0;
    QTest::newRow("a whole step is not widened") << 0.0 << 100.0 << 5 << 20.0 << 0.0 << 100.0;
    QTest::newRow("all zero still spans one") << 0.0 << 0.0 << 5 << 0.2 << 0.0 << 1.0;
    QTest::newRow("no wanted ticks counts as one") << 0.0 << 7.0 << 0 << 10.0 << 0.0 << 10.0;
    QTest::newRow("drive sizes in megabytes")
        << 0.0 << 476'940.0 << 10 << 50'000.0 << 0.0 << 500'000.0;
}

void AxisScaleTest::automaticRangeWidensToWholeStepsThroughZero()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, wantedTicks);
    QFETCH(double, step);
    QFETCH(double, minimum);
    QFETCH(double, maximum);

    double actualStep = 0.0;
    const AxisRange range = automaticRange(low, high, wantedTicks, actualStep);
    QCOMPARE(actualStep, step);
    QCOMPARE(range.minimum, minimum);
    QCOMPARE(range.maximum, maximum);
}

void AxisScaleTest::ticksAreTheStepsWithinTheRange_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("step");
    QTest::addColumn<QList<double>>("expected");

    QTest::newRow("whole range") << -20.0 << 40.0 << 20.0 << QList<double>{-20.0, 0.0, 20.0, 40.0};
    QTest::newRow("range between steps")
        << 5.0 << 47.0 << 10.0 << QList<double>{10.0, 20.0, 30.0, 40.0};
    QTest::newRow("tenths") << 0.0 << 0.5 << 0.1 << QList<double>{0.0, 0.1, 0.2, 0.3, 0.4, 0.5};
    QTest::newRow("empty range") << 10.0 << 10.0 << 1.0 << QList<double>{};
    QTest::newRow("no step") << 0.0 << 10.0 << 0.0 << QList<double>{};
}

void AxisScaleTest::ticksAreTheStepsWithinTheRange()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, step);
    QFETCH(QList<double>, expected);

    const std::vector<double> ticks = ticksFor(AxisRange{minimum, maximum}, step);
    QCOMPARE(ticks.size(), static_cast<std::size_t>(expected.size()));
    // Ticks are added up step by step, so compare each within a double's precision.
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(ticks[static_cast<std::size_t>(i)], expected[i]);
    }
}

QTEST_APPLESS_MAIN(AxisScaleTest)
#include "tst_AxisScale.moc"
