#include "support/Utility.h"
#include "views/Sortgrid.h"
#include "widgets/StringGrid.h"

#include <algorithm>
#include <QSignalSpy>
#include <QTest>
#include <random>
#include <vector>

using namespace vorin;

namespace {

constexpr int kKeyColumn = 1;
constexpr int kColumns = 4;

enum class Compare { Text, Numeric };

// The order the file-type table asks for, computed here without the module:
// text by code points after a-z to A-Z, numbers after the separators are gone.
QList<uint> textKey(const QString &text)
{
    QList<uint> codes = text.toUcs4();
    for (uint &c : codes)
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
    return codes;
}

double numericKey(QString text, const LocaleSeparators &locale)
{
    text.remove(QString::fromStdString(locale.thousands));
    text.replace(QString::fromStdString(locale.decimal), QStringLiteral("."));
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

bool comesBefore(const QString &a, const QString &b, Compare compare, bool descending,
                 const LocaleSeparators &locale)
{
    if (descending)
        return comesBefore(b, a, compare, false, locale);
    if (compare == Compare::Text)
        return textKey(a) < textKey(b);
    return numericKey(a, locale) < numericKey(b, locale);
}

void sortGrid(StringGrid &grid, int first, int last, bool descending, Compare compare,
              const LocaleSeparators &locale, int column = kKeyColumn)
{
    if (compare == Compare::Text)
        sortGridText(grid, first, last, descending, column);
    else
        sortGridNumeric(grid, first, last, descending, column, locale);
}

// A grid of `rows` rows whose key column holds `keys` from row `first` on;
// every row carries its own number in column 0 and texts derived from it in
// columns 2 and 3, so that a row torn apart shows.
void fillGrid(StringGrid &grid, int rows, int first, const QStringList &keys)
{
    grid.setColCount(kColumns);
    grid.setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const int k = row - first;
        const QString key =
            k >= 0 && k < keys.size() ? keys[k] : QStringLiteral("outside %1").arg(row);
        grid.setRowTexts(row, {QString::number(row), key, QStringLiteral("size of %1").arg(row),
                               QStringLiteral("files of %1").arg(row)});
    }
}

QString randomText(std::mt19937 &random)
{
    static const QStringList pieces = {QString(),
                                       QStringLiteral("."),
                                       QStringLiteral("a"),
                                       QStringLiteral("A"),
                                       QStringLiteral("b"),
                                       QStringLiteral("Z"),
                                       QStringLiteral("z"),
                                       QStringLiteral("_"),
                                       QStringLiteral("~"),
                                       QStringLiteral("0"),
                                       QStringLiteral(" "),
                                       QStringLiteral("é"),
                                       QStringLiteral("É"),
                                       QStringLiteral("ß"),
                                       QStringLiteral("Ж"),
                                       QStringLiteral("ж"),
                                       QStringLiteral("€"),
                                       QStringLiteral("\U0001F4BE"),
                                       QStringLiteral(".DOC"),
                                       QStringLiteral(".doc"),
                                       QStringLiteral(".B"),
                                       QStringLiteral(".BAT")};
    std::uniform_int_distribution<int> length(0, 3);
    std::uniform_int_distribution<int> piece(0, static_cast<int>(pieces.size()) - 1);
    QString text;
    for (int n = length(random); n > 0; --n)
        text += pieces[piece(random)];
    return text;
}

QString randomNumber(std::mt19937 &random, const LocaleSeparators &locale)
{
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::int64_t> whole(0, 5'000'000'000LL);
    std::uniform_int_distribution<int> small(-50, 50);
    switch (kind(random)) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("n/a");
    case 2:
        return QString::number(small(random));
    case 3:
        return QString::number(small(random)) + QString::fromStdString(locale.decimal) +
               QString::number(std::abs(small(random)));
    default:
        return QString::fromStdString(formatInt(whole(random) / (1 + kind(random) * 1000), locale));
    }
}

} // namespace

class tst_Sortgrid : public QObject
{
    Q_OBJECT

private slots:
    void keysEndInTheOrderOfStdSortAndRowsMoveWhole_data();
    void keysEndInTheOrderOfStdSortAndRowsMoveWhole();
    void numbersSortByValueNotByText();
    void emptyKeyComesFirstAndAPrefixBeforeTheLongerKey_data();
    void emptyKeyComesFirstAndAPrefixBeforeTheLongerKey();
    void onlyLettersAToZIgnoreTheirCase();
    void textThatIsNoNumberSortsAsZero();
    void numbersFollowTheLocaleSeparators_data();
    void numbersFollowTheLocaleSeparators();
    void aRangeReachingPastTheLastRowStopsThere();
    void anEmptyOrOneRowRangeChangesNothing();
    void stripCommasRemovesOnlyThousandsSeparators();
};

void tst_Sortgrid::keysEndInTheOrderOfStdSortAndRowsMoveWhole_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<int>("seed");
    for (int rows : {0, 1, 2, 3, 4, 5, 6, 7, 11, 12, 13, 40, 257, 2000})
        for (bool numeric : {false, true})
            for (bool descending : {false, true})
                for (int seed : {1, 2, 3})
                    QTest::addRow("%d rows, %s, %s, seed %d", rows, numeric ? "numeric" : "text",
                                  descending ? "descending" : "ascending", seed)
                        << rows << numeric << descending << seed;
}

void tst_Sortgrid::keysEndInTheOrderOfStdSortAndRowsMoveWhole()
{
    QFETCH(int, rows);
    QFETCH(bool, numeric);
    QFETCH(bool, descending);
    QFETCH(int, seed);
    const Compare compare = numeric ? Compare::Numeric : Compare::Text;
    const LocaleSeparators locale;
    std::mt19937 random(static_cast<unsigned>(seed * 7919 + rows));
    QStringList keys;
    for (int k = 0; k < rows; ++k)
        keys << (numeric ? randomNumber(random, locale) : randomText(random));

    // Two rows above the range and two below stay where they are.
    constexpr int first = 2;
    const int last = first + rows - 1;
    const int total = rows + 4;
    StringGrid grid;
    fillGrid(grid, total, first, keys);
    std::vector<QStringList> before;
    for (int row = 0; row < total; ++row)
        before.push_back(grid.rowTexts(row));

    sortGrid(grid, first, last, descending, compare, locale);

    QStringList expected = keys;
    std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        return comesBefore(a, b, compare, descending, locale);
    });
    QStringList got;
    for (int row = first; row <= last; ++row)
        got << grid.cell(kKeyColumn, row);
    // Equal keys may come in any order, so compare the keys as the sort sees
    // them: every neighbour pair in order, and the same keys as before.
    for (int k = 0; k + 1 < got.size(); ++k)
        QVERIFY2(!comesBefore(got[k + 1], got[k], compare, descending, locale),
                 qPrintable(QStringLiteral("%1 before %2").arg(got[k], got[k + 1])));
    QStringList gotSorted = got;
    std::sort(gotSorted.begin(), gotSorted.end());
    QStringList keysSorted = keys;
    std::sort(keysSorted.begin(), keysSorted.end());
    QCOMPARE(gotSorted, keysSorted);
    for (int k = 0; k < got.size(); ++k)
        QVERIFY(!comesBefore(got[k], expected[k], compare, false, locale) &&
                !comesBefore(expected[k], got[k], compare, false, locale));

    // Every row of the range is one of the range's rows, whole, each once.
    std::vector<bool> seen(static_cast<std::size_t>(total), false);
    for (int row = first; row <= last; ++row) {
        const QStringList texts = grid.rowTexts(row);
        const int from = texts[0].toInt();
        QVERIFY(from >= first && from <= last);
        QVERIFY(!seen[static_cast<std::size_t>(from)]);
        seen[static_cast<std::size_t>(from)] = true;
        QCOMPARE(texts, before[static_cast<std::size_t>(from)]);
    }
    for (int row = 0; row < total; ++row)
        if (row < first || row > last)
            QCOMPARE(grid.rowTexts(row), before[static_cast<std::size_t>(row)]);
}

void tst_Sortgrid::numbersSortByValueNotByText()
{
    const LocaleSeparators locale;
    StringGrid grid;
    fillGrid(grid, 5, 1, {"1,000", "20", "300"});
    sortGridNumeric(grid, 1, 3, true, kKeyColumn, locale);
    QCOMPARE(grid.columnTexts(kKeyColumn),
             QStringList({"outside 0", "1,000", "300", "20", "outside 4"}));
    sortGridNumeric(grid, 1, 3, false, kKeyColumn, locale);
    QCOMPARE(grid.columnTexts(kKeyColumn),
             QStringList({"outside 0", "20", "300", "1,000", "outside 4"}));
    sortGridText(grid, 1, 3, false, kKeyColumn);
    QCOMPARE(grid.columnTexts(kKeyColumn),
             QStringList({"outside 0", "1,000", "20", "300", "outside 4"}));
}

void tst_Sortgrid::emptyKeyComesFirstAndAPrefixBeforeTheLongerKey_data()
{
    QTest::addColumn<int>("copies");
    // A few rows go by exchange passes, many through the partitions.
    QTest::newRow("4 rows") << 1;
    QTest::newRow("40 rows") << 10;
}

void tst_Sortgrid::emptyKeyComesFirstAndAPrefixBeforeTheLongerKey()
{
    QFETCH(int, copies);
    QStringList keys;
    for (int c = 0; c < copies; ++c)
        keys << QStringLiteral(".BAT") << QStringLiteral(".b") << QString()
             << QStringLiteral(".BA");
    StringGrid grid;
    fillGrid(grid, keys.size() + 2, 1, keys);
    sortGridText(grid, 1, static_cast<int>(keys.size()), false, kKeyColumn);
    QStringList expected;
    for (const char *key : {"", ".b", ".BA", ".BAT"})
        for (int c = 0; c < copies; ++c)
            expected << QString::fromLatin1(key);
    QCOMPARE(grid.columnTexts(kKeyColumn).mid(1, keys.size()), expected);

    sortGridText(grid, 1, static_cast<int>(keys.size()), true, kKeyColumn);
    std::reverse(expected.begin(), expected.end());
    QCOMPARE(grid.columnTexts(kKeyColumn).mid(1, keys.size()), expected);
}

void tst_Sortgrid::onlyLettersAToZIgnoreTheirCase()
{
    // After a-z to A-Z: A (41) Z (5A) _ (5F) É (C9) é (E9) Ж (416) ж (436).
    StringGrid grid;
    fillGrid(grid, 9, 1, {"é", "ж", "_x", "Z", "É", "a", "Ж"});
    sortGridText(grid, 1, 7, false, kKeyColumn);
    QCOMPARE(grid.columnTexts(kKeyColumn).mid(1, 7),
             QStringList({"a", "Z", "_x", "É", "é", "Ж", "ж"}));

    // Keys that differ only in the case of a-z are equal: both orders are right.
    fillGrid(grid, 4, 1, {"doc", "DOC"});
    sortGridText(grid, 1, 2, false, kKeyColumn);
    QCOMPARE(grid.cell(0, 1) + grid.cell(0, 2), QStringLiteral("12"));
}

void tst_Sortgrid::textThatIsNoNumberSortsAsZero()
{
    const LocaleSeparators locale;
    StringGrid grid;
    fillGrid(grid, 6, 1, {"3", "abc", "-5", "0.5", ""});
    sortGridNumeric(grid, 1, 5, false, kKeyColumn, locale);
    const QStringList keys = grid.columnTexts(kKeyColumn).mid(1, 5);
    QCOMPARE(keys.first(), QStringLiteral("-5"));
    QCOMPARE(QSet<QString>(keys.begin() + 1, keys.begin() + 3),
             QSet<QString>({QStringLiteral("abc"), QString()}));
    QCOMPARE(keys.mid(3), QStringList({"0.5", "3"}));
}

void tst_Sortgrid::numbersFollowTheLocaleSeparators_data()
{
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("descending");
    QTest::newRow("German") << "."
                            << "," << QStringList({"999,5", "1.000", "20", "1.000.000"})
                            << QStringList({"1.000.000", "1.000", "999,5", "20"});
    QTest::newRow("French") << QStringLiteral("\u202f") << ","
                            << QStringList({QStringLiteral("999,5"), QStringLiteral("1\u202f000"),
                                            QStringLiteral("20"),
                                            QStringLiteral("2\u202f000\u202f000")})
                            << QStringList({QStringLiteral("2\u202f000\u202f000"),
                                            QStringLiteral("1\u202f000"), QStringLiteral("999,5"),
                                            QStringLiteral("20")});
    QTest::newRow("Swiss") << "'"
                           << "." << QStringList({"1'000", "999.5", "20", "12'000"})
                           << QStringList({"12'000", "1'000", "999.5", "20"});
}

void tst_Sortgrid::numbersFollowTheLocaleSeparators()
{
    QFETCH(QString, thousands);
    QFETCH(QString, decimal);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, descending);
    const LocaleSeparators locale{thousands.toStdString(), decimal.toStdString()};
    StringGrid grid;
    fillGrid(grid, 6, 1, keys);
    sortGridNumeric(grid, 1, 4, true, kKeyColumn, locale);
    QCOMPARE(grid.columnTexts(kKeyColumn).mid(1, 4), descending);
}

void tst_Sortgrid::aRangeReachingPastTheLastRowStopsThere()
{
    StringGrid grid;
    fillGrid(grid, 4, 1, {"c", "b", "a"});
    sortGridText(grid, 1, 100, false, kKeyColumn);
    QCOMPARE(grid.rowCount(), 4);
    QCOMPARE(grid.columnTexts(kKeyColumn), QStringList({"outside 0", "a", "b", "c"}));
    QCOMPARE(grid.columnTexts(0), QStringList({"0", "3", "2", "1"}));
}

void tst_Sortgrid::anEmptyOrOneRowRangeChangesNothing()
{
    StringGrid grid;
    fillGrid(grid, 4, 1, {"c", "b", "a"});
    const QStringList keys = grid.columnTexts(kKeyColumn);
    sortGridText(grid, 2, 2, false, kKeyColumn);
    sortGridText(grid, 3, 1, false, kKeyColumn);
    sortGridNumeric(grid, 2, 2, false, kKeyColumn, LocaleSeparators{});
    QCOMPARE(grid.columnTexts(kKeyColumn), keys);
}

void tst_Sortgrid::stripCommasRemovesOnlyThousandsSeparators()
{
    QCOMPARE(stripCommas("1,234,567.5", LocaleSeparators{}), std::string("1234567.5"));
    QCOMPARE(stripCommas("1.234.567,5", LocaleSeparators{".", ","}), std::string("1234567,5"));
    QCOMPARE(stripCommas("1\u202f234 5", LocaleSeparators{"\u202f", ","}), std::string("1234 5"));
    QCOMPARE(stripCommas("1,234", LocaleSeparators{"", "."}), std::string("1,234"));
}

QTEST_MAIN(tst_Sortgrid)
#include "tst_Sortgrid.moc"
