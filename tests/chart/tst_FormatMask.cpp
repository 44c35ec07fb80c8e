#include "chart/FormatMask.h"

#include <cmath>
#include <limits>
#include <QTest>
#include <string>

using vorin::LocaleSeparators;
using vorin::chart::formatMask;

class FormatMaskTest : public QObject
{
    Q_OBJECT

private slots:
    void writesNumbersThroughMasks_data();
    void writesNumbersThroughMasks();
    void usesTheLocaleSeparators_data();
    void usesTheLocaleSeparators();
    void notANumberIsNamed();
};

void FormatMaskTest::writesNumbersThroughMasks_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    // The space figures.
    QTest::newRow("MB grouping") << "#,##0 MB" << 1234567.4 << "1,234,567 MB";
    QTest::newRow("MB rounds half up") << "#,##0 MB" << 1234567.5 << "1,234,568 MB";
    QTest::newRow("MB below a thousand") << "#,##0 MB" << 999.0 << "999 MB";
    QTest::newRow("MB exactly a thousand") << "#,##0 MB" << 1000.0 << "1,000 MB";
    QTest::newRow("KB zero") << "#,##0 KB" << 0.0 << "0 KB";
    QTest::newRow("KB fraction below half") << "#,##0 KB" << 0.49 << "0 KB";
    QTest::newRow("MB negative rounds away from zero") << "#,##0 MB" << -1234.5 << "-1,235 MB";
    QTest::newRow("MB tiny negative is zero") << "#,##0 MB" << -0.4 << "0 MB";

    // A decimal point with no decimals: no separator is written.
    QTest::newRow("wasted percent rounds") << "#,##0. %" << 12.5 << "13 %";
    QTest::newRow("wasted percent down") << "#,##0. %" << 12.49 << "12 %";
    QTest::newRow("wasted percent zero") << "#,##0. %" << 0.0 << "0 %";
    QTest::newRow("wasted percent grouped") << "#,##0. %" << 1234.4 << "1,234 %";

    // Optional decimals drop trailing zeros, and the separator with them.
    QTest::newRow("attribute share one decimal") << "#,##0.## %" << 12.5 << "12.5 %";
    QTest::newRow("attribute share two decimals") << "#,##0.## %" << 12.345 << "12.35 %";
    QTest::newRow("attribute share whole") << "#,##0.## %" << 50.0 << "50 %";
    QTest::newRow("attribute share rounds to zero") << "#,##0.## %" << 0.004 << "0 %";
    QTest::newRow("attribute share grouped") << "#,##0.## %" << 1234.567 << "1,234.57 %";

    QTest::newRow("share one decimal") << "##0.# %" << 45.38 << "45.4 %";
    QTest::newRow("share hundred") << "##0.# %" << 100.0 << "100 %";
    QTest::newRow("share small") << "##0.# %" << 0.05 << "0.1 %";
    QTest::newRow("share rounds to zero") << "##0.# %" << 0.04 << "0 %";
    QTest::newRow("share has no grouping") << "##0.# %" << 1234.56 << "1234.6 %";
    QTest::newRow("share negative") << "##0.# %" << -3.25 << "-3.3 %";

    // Rounding is on the decimal text, not the binary value.
    QTest::newRow("1.005 to two places") << "0.00" << 1.005 << "1.01";
    QTest::newRow("2.675 to two places") << "0.00" << 2.675 << "2.68";
    QTest::newRow("half to whole") << "0" << 0.5 << "1";
    QTest::newRow("negative half to whole") << "0" << -0.5 << "-1";
    QTest::newRow("carry through nines") << "#,##0.00" << 999.995 << "1,000.00";
    QTest::newRow("required decimals kept") << "#,##0.00" << 1234.5 << "1,234.50";
    QTest::newRow("required integer digits") << "000" << 5.0 << "005";
    QTest::newRow("optional decimals tiny") << "#,##0.###" << 0.0005 << "0.001";
    QTest::newRow("optional decimals whole") << "#,##0.###" << 2.0 << "2";

    // Big numbers: drive totals in bytes.
    QTest::newRow("hundred billion") << "#,##0" << 123456789012.0 << "123,456,789,012";
    QTest::newRow("a quadrillion") << "#,##0" << 1e15 << "1,000,000,000,000,000";
    QTest::newRow("beyond fifteen digits") << "#,##0" << 1e20 << "100,000,000,000,000,000,000";

    // Literals: quoted text, text before the number.
    QTest::newRow("prefix literal") << "Total: #,##0" << 2048.0 << "Total: 2,048";
    QTest::newRow("quoted literal") << "#,##0 'files'" << 3.0 << "3 files";
    QTest::newRow("second section ignored") << "#,##0;(#,##0)" << -5.0 << "-5";
}

void FormatMaskTest::writesNumbersThroughMasks()
{
    QFETCH(QString, mask);
    QFETCH(double, value);
    QFETCH(QString, expected);
    const LocaleSeparators english;
    QCOMPARE(QString::fromStdString(formatMask(value, mask.toStdString(), english)), expected);
}

void FormatMaskTest::usesTheLocaleSeparators_data()
{
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("german share") << "."
                                  << ","
                                  << "#,##0.## %" << 1234.5 << "1.234,5 %";
    QTest::newRow("german MB") << "."
                               << ","
                               << "#,##0 MB" << 9876543.0 << "9.876.543 MB";
    QTest::newRow("german optional decimal") << "."
                                             << ","
                                             << "##0.# %" << 45.38 << "45,4 %";
    QTest::newRow("german no decimals written") << "."
                                                << ","
                                                << "#,##0. %" << 1234.4 << "1.234 %";
    QTest::newRow("french narrow space")
        << QString(QChar(0x202F)) << ","
        << "#,##0.00" << 12345.678 << QString("12") + QChar(0x202F) + "345,68";
    QTest::newRow("swiss apostrophe") << "'"
                                      << "."
                                      << "#,##0" << 1000000.0 << "1'000'000";
}

void FormatMaskTest::usesTheLocaleSeparators()
{
    QFETCH(QString, thousands);
    QFETCH(QString, decimal);
    QFETCH(QString, mask);
    QFETCH(double, value);
    QFETCH(QString, expected);
    const LocaleSeparators separators{thousands.toStdString(), decimal.toStdString()};
    QCOMPARE(QString::fromStdString(formatMask(value, mask.toStdString(), separators)), expected);
}

void FormatMaskTest::notANumberIsNamed()
{
    const LocaleSeparators english;
    QCOMPARE(QString::fromStdString(formatMask(std::nan(""), "#,##0", english)),
             QStringLiteral("NAN"));
    QCOMPARE(QString::fromStdString(
                 formatMask(std::numeric_limits<double>::infinity(), "#,##0", english)),
             QStringLiteral("INF"));
}

QTEST_APPLESS_MAIN(FormatMaskTest)
#include "tst_FormatMask.moc"
