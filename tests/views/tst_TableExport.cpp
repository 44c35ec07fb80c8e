#include "ExportFixture.h"
#include "platform/fake/RecordingMessages.h"
#include "views/TableExport.h"
#include "widgets/StringGrid.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

using namespace vorin;
using namespace vorin::testing;

Q_DECLARE_METATYPE(QList<QStringList>)

namespace {

const QString kNarrowNbsp = QStringLiteral("\u202F");

const LocaleSeparators kEnglish{",", "."};
const LocaleSeparators kFrench{"\u202F", ","};
const LocaleSeparators kGerman{".", ","};

// Three figures of two types, for the tests of the exporter around them.
TextTable typesTable()
{
    TextTable table;
    table.headings = {"Extension", "Type", "Size", "# Files"};
    table.rows = {{".txt", "Text, plain", "1,234,567", "12"},
                  {".mp3", "Musique \"été\"", "9,876", "1,001"}};
    table.numberColumns = {2, 3};
    return table;
}

const QString kTypesTsv = QStringLiteral("Extension\tType\tSize\t# Files\n"
                                         ".txt\tText, plain\t1,234,567\t12\n"
                                         ".mp3\t\"Musique \"\"été\"\"\"\t9,876\t1,001\n");
const QByteArray kTypesCsv = QStringLiteral("Extension,Type,Size,# Files\r\n"
                                            ".txt,\"Text, plain\",1234567,12\r\n"
                                            ".mp3,\"Musique \"\"été\"\"\",9876,1001\r\n")
                                 .toUtf8();

struct Exporter
{
    Exporter() { owner.resize(300, 200); }
    QWidget owner;
    TextTable shown = typesTable();
    TableExport exporter{&owner, QStringLiteral("File types"), [this] { return shown; }, kEnglish};
};

} // namespace

class tst_TableExport : public QObject
{
    Q_OBJECT

private slots:
    void plainNumberDropsOnlyTheThousandsSeparatorsOfANumber_data();
    void plainNumberDropsOnlyTheThousandsSeparatorsOfANumber();
    void tabSeparatedKeepsEveryCellAsShown_data();
    void tabSeparatedKeepsEveryCellAsShown();
    void commaSeparatedQuotesAsRfc4180AndWritesPlainNumbers_data();
    void commaSeparatedQuotesAsRfc4180AndWritesPlainNumbers();
    void gridTableTakesTheFirstRowAsHeadingsAndLeavesOutEmptyRows();
    void menuOffersCopyWithCtrlCAndSaveAsCsv();
    void copyPutsWhatTheTableShowsNowOnTheClipboard();
    void ctrlCOnTheOwnerCopiesAndOtherKeysDoNot_data();
    void ctrlCOnTheOwnerCopiesAndOtherKeysDoNot();
    void saveWritesTheCsvWhereTheUserChose();
    void cancellingTheSaveWritesNothing();
    void unwritableTargetShowsAnErrorAndLeavesNoFile();
    void savingOverAFileReplacesItWhole();
    void onAPageARightClickWhereNoChildTakesItOpensTheMenu();
};

void tst_TableExport::plainNumberDropsOnlyTheThousandsSeparatorsOfANumber_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("plain");
    QTest::newRow("grouped") << "1,234,567"
                             << ","
                             << "."
                             << "1234567";
    QTest::newRow("zero") << "0"
                          << ","
                          << "."
                          << "0";
    QTest::newRow("three digits") << "999"
                                  << ","
                                  << "."
                                  << "999";
    QTest::newRow("ungrouped") << "1234"
                               << ","
                               << "."
                               << "1234";
    QTest::newRow("negative") << "-12,345"
                              << ","
                              << "."
                              << "-12345";
    QTest::newRow("decimals") << "1,234.56"
                              << ","
                              << "."
                              << "1234.56";
    QTest::newRow("French narrow no-break space")
        << QStringLiteral("1\u202F234\u202F567") << kNarrowNbsp << ","
        << "1234567";
    QTest::newRow("French decimals") << QStringLiteral("12\u202F345,5") << kNarrowNbsp << ","
                                     << "12345,5";
    QTest::newRow("French, plain blank is not its separator") << "1 234" << kNarrowNbsp << ","
                                                              << "1 234";
    QTest::newRow("German dots") << "1.234.567"
                                 << "."
                                 << ","
                                 << "1234567";
    QTest::newRow("German, a dot among two digits is no group") << "1.5"
                                                                << "."
                                                                << ","
                                                                << "1.5";
    QTest::newRow("no separator in the locale") << "1234567"
                                                << ""
                                                << "."
                                                << "1234567";
    QTest::newRow("group of two") << "12,34"
                                  << ","
                                  << "."
                                  << "12,34";
    QTest::newRow("group of four") << "1,2345"
                                   << ","
                                   << "."
                                   << "1,2345";
    QTest::newRow("first group of four") << "1234,567"
                                         << ","
                                         << "."
                                         << "1234,567";
    QTest::newRow("leading separator") << ",123"
                                       << ","
                                       << "."
                                       << ",123";
    QTest::newRow("point without decimals") << "1,234."
                                            << ","
                                            << "."
                                            << "1,234.";
    QTest::newRow("empty") << ""
                           << ","
                           << "."
                           << "";
    QTest::newRow("minus alone") << "-"
                                 << ","
                                 << "."
                                 << "-";
    QTest::newRow("text") << "Totals"
                          << ","
                          << "."
                          << "Totals";
    QTest::newRow("band label") << "Over 16MB"
                                << ","
                                << "."
                                << "Over 16MB";
    QTest::newRow("percent") << "1,234 %"
                             << ","
                             << "."
                             << "1,234 %";
    QTest::newRow("other digits") << QStringLiteral("١٢٣") << ","
                                  << "." << QStringLiteral("١٢٣");
}

void tst_TableExport::plainNumberDropsOnlyTheThousandsSeparatorsOfANumber()
{
    QFETCH(QString, cell);
    QFETCH(QString, thousands);
    QFETCH(QString, decimal);
    QFETCH(QString, plain);
    QCOMPARE(plainNumber(cell, LocaleSeparators{thousands.toStdString(), decimal.toStdString()}),
             plain);
}

void tst_TableExport::tabSeparatedKeepsEveryCellAsShown_data()
{
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("numbers keep their separators")
        << QStringList{"File size", "Total file size", "Number of files"}
        << QList<QStringList>{{"Over 16MB", "18,874,375", "12,012"}, {"0 - 16K", "0", "0"}}
        << "File size\tTotal file size\tNumber of files\n"
           "Over 16MB\t18,874,375\t12,012\n"
           "0 - 16K\t0\t0\n";
    QTest::newRow("French separators kept")
        << QStringList{"Size"} << QList<QStringList>{{QStringLiteral("1\u202F234")}}
        << QStringLiteral("Size\n1\u202F234\n");
    QTest::newRow("commas need no quotes")
        << QStringList{"Type"} << QList<QStringList>{{"Text, plain"}} << "Type\nText, plain\n";
    QTest::newRow("quote") << QStringList{"Type"} << QList<QStringList>{{"5\" floppy"}}
                           << "Type\n\"5\"\" floppy\"\n";
    QTest::newRow("tab") << QStringList{"A", "B"} << QList<QStringList>{{"a\tb", "c"}}
                         << "A\tB\n\"a\tb\"\tc\n";
    QTest::newRow("line feed") << QStringList{"A", "B"} << QList<QStringList>{{"one\ntwo", "c"}}
                               << "A\tB\n\"one\ntwo\"\tc\n";
    QTest::newRow("carriage return")
        << QStringList{"A"} << QList<QStringList>{{"one\rtwo"}} << "A\n\"one\rtwo\"\n";
    QTest::newRow("non-ASCII") << QStringList{QStringLiteral("Typ")}
                               << QList<QStringList>{{QStringLiteral("Musique été 音楽 🎵")}}
                               << QStringLiteral("Typ\nMusique été 音楽 🎵\n");
    QTest::newRow("empty cells") << QStringList{"", "Size", ""}
                                 << QList<QStringList>{{"", "Totals", ""}, {"", "", ""}}
                                 << "\tSize\t\n\tTotals\t\n\t\t\n";
    QTest::newRow("short rows padded")
        << QStringList{"A", "B", "C"} << QList<QStringList>{{"1"}, {"1", "2", "3"}}
        << "A\tB\tC\n1\t\t\n1\t2\t3\n";
    QTest::newRow("headings only") << QStringList{"A", "B"} << QList<QStringList>{} << "A\tB\n";
}

void tst_TableExport::tabSeparatedKeepsEveryCellAsShown()
{
    QFETCH(QStringList, headings);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, text);
    TextTable table{headings, rows, {0, 1, 2}};
    QCOMPARE(tabSeparated(table), text);
}

void tst_TableExport::commaSeparatedQuotesAsRfc4180AndWritesPlainNumbers_data()
{
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QList<int>>("numberColumns");
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("numbers without separators")
        << QStringList{"File size", "Total file size", "Number of files"}
        << QList<QStringList>{{"Over 16MB", "18,874,375", "12,012"}} << QList<int>{1, 2} << ","
        << QByteArray("File size,Total file size,Number of files\r\nOver 16MB,18874375,12012\r\n");
    QTest::newRow("French narrow no-break spaces")
        << QStringList{"Taille", "Fichiers"}
        << QList<QStringList>{{QStringLiteral("1\u202F234\u202F567"),
                               QStringLiteral("12\u202F012")}}
        << QList<int>{0, 1} << kNarrowNbsp << QByteArray("Taille,Fichiers\r\n1234567,12012\r\n");
    QTest::newRow("German dots") << QStringList{"Size"} << QList<QStringList>{{"1.234.567"}}
                                 << QList<int>{0} << "." << QByteArray("Size\r\n1234567\r\n");
    QTest::newRow("text column keeps its separators, quoted")
        << QStringList{"Extension", "Size"} << QList<QStringList>{{"1,000", "1,000"}}
        << QList<int>{1} << "," << QByteArray("Extension,Size\r\n\"1,000\",1000\r\n");
    QTest::newRow("text in a number column stays")
        << QStringList{"", "Size"} << QList<QStringList>{{"", "Totals"}} << QList<int>{0, 1} << ","
        << QByteArray(",Size\r\n,Totals\r\n");
    QTest::newRow("comma") << QStringList{"Type"} << QList<QStringList>{{"Text, plain"}}
                           << QList<int>{} << "," << QByteArray("Type\r\n\"Text, plain\"\r\n");
    QTest::newRow("quote doubled")
        << QStringList{"Type"} << QList<QStringList>{{"5\" floppy"}} << QList<int>{} << ","
        << QByteArray("Type\r\n\"5\"\" floppy\"\r\n");
    QTest::newRow("quote only") << QStringList{"Q"} << QList<QStringList>{{"\""}} << QList<int>{}
                                << "," << QByteArray("Q\r\n\"\"\"\"\r\n");
    QTest::newRow("line feed") << QStringList{"A"} << QList<QStringList>{{"one\ntwo"}}
                               << QList<int>{} << "," << QByteArray("A\r\n\"one\ntwo\"\r\n");
    QTest::newRow("carriage return") << QStringList{"A"} << QList<QStringList>{{"one\rtwo"}}
                                     << QList<int>{} << "," << QByteArray("A\r\n\"one\rtwo\"\r\n");
    QTest::newRow("tab needs no quotes") << QStringList{"A"} << QList<QStringList>{{"a\tb"}}
                                         << QList<int>{} << "," << QByteArray("A\r\na\tb\r\n");
    QTest::newRow("heading with comma")
        << QStringList{"Size, bytes"} << QList<QStringList>{{"1,024"}} << QList<int>{0} << ","
        << QByteArray("\"Size, bytes\"\r\n1024\r\n");
    QTest::newRow("UTF-8") << QStringList{QStringLiteral("Typ")}
                           << QList<QStringList>{{QStringLiteral("été 音楽")}} << QList<int>{}
                           << ","
                           << QByteArray("Typ\r\n\xC3\xA9t\xC3\xA9 \xE9\x9F\xB3\xE6\xA5\xBD\r\n");
    QTest::newRow("empty cells") << QStringList{"A", "B", "C"} << QList<QStringList>{{"", "", ""}}
                                 << QList<int>{1} << "," << QByteArray("A,B,C\r\n,,\r\n");
    QTest::newRow("short rows padded") << QStringList{"A", "B"} << QList<QStringList>{{"x"}}
                                       << QList<int>{} << "," << QByteArray("A,B\r\nx,\r\n");
}

void tst_TableExport::commaSeparatedQuotesAsRfc4180AndWritesPlainNumbers()
{
    QFETCH(QStringList, headings);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QList<int>, numberColumns);
    QFETCH(QString, thousands);
    QFETCH(QByteArray, csv);
    const TextTable table{headings, rows, numberColumns};
    const QByteArray written = commaSeparated(
        table, LocaleSeparators{thousands.toStdString(), thousands == "," ? "." : ","});
    QCOMPARE(written, csv);
    QVERIFY(!written.startsWith("\xEF\xBB\xBF")); // no byte-order mark for scripts to trip on
}

void tst_TableExport::gridTableTakesTheFirstRowAsHeadingsAndLeavesOutEmptyRows()
{
    StringGrid grid;
    grid.setColCount(3);
    grid.setRowCount(5);
    grid.setRowTexts(0, {"Extension", "Type", "Size"});
    grid.setRowTexts(1, {".a", "A file", "1,000"});
    grid.setRowTexts(2, {".b", "", "0"});
    grid.setRowTexts(3, {"", "", ""}); // an empty footer
    grid.setRowTexts(4, {"", "Totals", "1,000"});
    const TextTable table = gridTable(grid, {2});
    QCOMPARE(table.headings, QStringList({"Extension", "Type", "Size"}));
    QCOMPARE(
        table.rows,
        QList<QStringList>({{".a", "A file", "1,000"}, {".b", "", "0"}, {"", "Totals", "1,000"}}));
    QCOMPARE(table.numberColumns, QList<int>{2});
}

void tst_TableExport::menuOffersCopyWithCtrlCAndSaveAsCsv()
{
    Exporter e;
    QCOMPARE(captions(*e.exporter.menu()), QStringList({"Copy", "Save as CSV…"}));
    QCOMPARE(e.exporter.menu()->actions().value(0), e.exporter.copyAction());
    QCOMPARE(e.exporter.menu()->actions().value(1), e.exporter.saveAction());
    QCOMPARE(e.exporter.copyAction()->shortcut(), QKeySequence(QKeySequence::Copy));
}

void tst_TableExport::copyPutsWhatTheTableShowsNowOnTheClipboard()
{
    Exporter e;
    markClipboard();
    e.exporter.copyAction()->trigger();
    QCOMPARE(clipboardText(), kTypesTsv);
    // Read again at every copy: a sort or a new run since shows.
    e.shown.rows.removeFirst();
    e.exporter.copyTable();
    QCOMPARE(clipboardText(), QStringLiteral("Extension\tType\tSize\t# Files\n"
                                             ".mp3\t\"Musique \"\"été\"\"\"\t9,876\t1,001\n"));
}

void tst_TableExport::ctrlCOnTheOwnerCopiesAndOtherKeysDoNot_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("copied");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << true;
    QTest::newRow("C") << int(Qt::Key_C) << int(Qt::NoModifier) << false;
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier) << false;
    QTest::newRow("Ctrl+Shift+C") << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                  << false;
}

void tst_TableExport::ctrlCOnTheOwnerCopiesAndOtherKeysDoNot()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, copied);
    Exporter e;
    markClipboard();
    QTest::keyClick(&e.owner, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clipboardText(), copied ? kTypesTsv : QStringLiteral("(nothing copied)"));
}

void tst_TableExport::saveWritesTheCsvWhereTheUserChose()
{
    Exporter e;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("types, été.csv"));
    RecordingMessages messages;
    CsvChooserStub chooser(path);
    e.exporter.saveAction()->trigger();
    QCOMPARE(chooser.asked, 1);
    QCOMPARE(chooser.askedParent, &e.owner);
    QCOMPARE(chooser.suggestedName, QStringLiteral("File types.csv"));
    QVERIFY(messages.shown().empty());
    QCOMPARE(fileBytes(path), kTypesCsv);
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"types, été.csv"}));
}

void tst_TableExport::cancellingTheSaveWritesNothing()
{
    Exporter e;
    QTemporaryDir folder;
    RecordingMessages messages;
    CsvChooserStub chooser{QString()};
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const bool written = e.exporter.saveTable();
    QDir::setCurrent(before);
    QVERIFY(!written);
    QCOMPARE(chooser.asked, 1);
    QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(messages.shown().empty());
}

void tst_TableExport::unwritableTargetShowsAnErrorAndLeavesNoFile()
{
    Exporter e;
    QTemporaryDir folder;
    // A file stands where the folder would be: no one, root included, can
    // write below it.
    const QString blocker = folder.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const QString path = blocker + QStringLiteral("/types.csv");
    RecordingMessages messages;
    CsvChooserStub chooser(path);
    QVERIFY(!e.exporter.saveTable());
    QCOMPARE(messages.shown().size(), std::size_t(1));
    QCOMPARE(messages.shown()[0].kind, RecordingMessages::Shown::Error);
    const QString text = QString::fromStdString(messages.shown()[0].text);
    const QString opening = QStringLiteral("The table could not be saved as ") + path + ":\n";
    QVERIFY2(text.startsWith(opening), qPrintable(text));
    QVERIFY2(!text.mid(opening.size()).trimmed().isEmpty(), qPrintable(text)); // and why
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"notes.txt"}));
    QCOMPARE(fileBytes(blocker), QByteArray("keep me"));
}

void tst_TableExport::savingOverAFileReplacesItWhole()
{
    Exporter e;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("types.csv"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100000, 'x'));
    }
    RecordingMessages messages;
    CsvChooserStub chooser(path);
    QVERIFY(e.exporter.saveTable());
    QVERIFY(messages.shown().empty());
    QCOMPARE(fileBytes(path), kTypesCsv);
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"types.csv"}));
}

void tst_TableExport::onAPageARightClickWhereNoChildTakesItOpensTheMenu()
{
    QWidget page;
    page.resize(400, 300);
    auto *label = new QLabel(QStringLiteral("1,234"), &page);
    label->setGeometry(10, 10, 100, 20);
    TextTable shown = typesTable();
    TableExport exporter(
        &page, QStringLiteral("Attributes"), [&shown] { return shown; }, kEnglish);
    exporter.offerOnPage();
    QCOMPARE(page.focusPolicy(), Qt::StrongFocus); // a click or Tab readies Ctrl+C
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QVERIFY(!exporter.menu()->isVisible());
    QTest::mouseClick(page.windowHandle(), Qt::RightButton, {}, label->geometry().center());
    QTRY_VERIFY(exporter.menu()->isVisible());
    exporter.menu()->hide();

    markClipboard();
    QTest::keyClick(&page, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), kTypesTsv);
}

QTEST_MAIN(tst_TableExport)
#include "tst_TableExport.moc"
