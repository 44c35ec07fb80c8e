#include "FileListFixture.h"
#include "views/FileListModel.h"

#include <algorithm>
#include <QStringList>
#include <QTest>
#include <vector>

using namespace vorin;
using namespace vorin::testing;

namespace {

QStringList columnTexts(const FileListModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, column), Qt::DisplayRole).toString();
    return texts;
}

} // namespace

class tst_FileListModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void columnsAreNameFolderSizeTimesAndAttributes();
    void cellsShowSizesTimesAndAttributesAsTheUserReadsThem_data();
    void cellsShowSizesTimesAndAttributesAsTheUserReadsThem();
    void namesOfAnyBytesAreShownOnOneReadableLine_data();
    void namesOfAnyBytesAreShownOnOneReadableLine();
    void textsSortWithAToZAsAToZThenByteByByteOverTheirWholeLength_data();
    void textsSortWithAToZAsAToZThenByteByByteOverTheirWholeLength();
    void sortingIsStableSoTheColumnSortedBeforeOrdersEquals();
};

void tst_FileListModel::initTestCase()
{
    useGermanClockAndLocale();
}

void tst_FileListModel::columnsAreNameFolderSizeTimesAndAttributes()
{
    const FileListModel model({keptFile("/data/a", "Alpha.iso", 1000)}, kUs);
    QStringList headings;
    for (int section = 0; section < model.columnCount(); ++section)
        headings << model.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(headings, QStringList({"Name", "Folder", "Size", "Modified", "Accessed", "Created",
                                    "Attributes"}));
    // A folder cut off in its column is whole on hover.
    QCOMPARE(model.data(model.index(0, FileListModel::kFolder), Qt::ToolTipRole).toString(),
             QStringLiteral("/data/a/Alpha.iso"));
}

void tst_FileListModel::cellsShowSizesTimesAndAttributesAsTheUserReadsThem_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("german");
    QTest::addColumn<uint>("attributes");
    QTest::addColumn<qint64>("modified");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("modifiedText");
    QTest::newRow("US separators, no attribute, winter time")
        << qint64(6120388412) << false << 0u << qint64(utc(2024, 3, 5, 13, 7)) << "6,120,388,412"
        << QString() << "05.03.24 14:07";
    QTest::newRow("German separators, read-only and hidden, summer time")
        << qint64(6120388412) << true << uint(kAttrReadOnly | kAttrHidden)
        << qint64(utc(2024, 7, 1, 22, 30)) << "6.120.388.412"
        << "RH"
        << "02.07.24 00:30";
    QTest::newRow("three digits, all four letters in their order and no other, time not recorded")
        << qint64(999) << false
        << uint(kAttrDirectory | kAttrArchive | kAttrSystem | kAttrHidden | kAttrReadOnly)
        << qint64(FileTime::kNotRecorded) << "999"
        << "RHSA" << QString();
}

void tst_FileListModel::cellsShowSizesTimesAndAttributesAsTheUserReadsThem()
{
    QFETCH(qint64, size);
    QFETCH(bool, german);
    QFETCH(uint, attributes);
    QFETCH(qint64, modified);
    QFETCH(QString, sizeText);
    QFETCH(QString, letters);
    QFETCH(QString, modifiedText);
    const FileListModel model({keptFile("/d", "f", size, modified, attributes)},
                              german ? kGerman : kUs);
    QCOMPARE(columnTexts(model, FileListModel::kSize), QStringList{sizeText});
    QCOMPARE(columnTexts(model, FileListModel::kAttributes), QStringList{letters});
    QCOMPARE(columnTexts(model, FileListModel::kModified), QStringList{modifiedText});
}

void tst_FileListModel::namesOfAnyBytesAreShownOnOneReadableLine_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("UTF-8") << QByteArray("\xc3\xa9t\xc3\xa9.mp3") << QStringLiteral("été.mp3");
    QTest::newRow("line feed") << QByteArray("two\nlines") << QStringLiteral("two\u240Alines");
    QTest::newRow("tab, carriage return and delete")
        << QByteArray("a\tb\r\x7f") << QStringLiteral("a\u2409b\u240D\u2421");
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9.txt") << QStringLiteral("caf\uFFFD.txt");
    QTest::newRow("sequence cut short")
        << QByteArray("\xe2\x82.txt") << QStringLiteral("\uFFFD\uFFFD.txt");
}

void tst_FileListModel::namesOfAnyBytesAreShownOnOneReadableLine()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    const FileListModel model({keptFile("/d/" + name.toStdString(), name.toStdString(), 1)}, kUs);
    QCOMPARE(columnTexts(model, FileListModel::kName), QStringList{shown});
    QCOMPARE(columnTexts(model, FileListModel::kFolder), QStringList{"/d/" + shown});
}

void tst_FileListModel::textsSortWithAToZAsAToZThenByteByByteOverTheirWholeLength_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("names") << int(FileListModel::kName)
                           << QStringList{"reportage-b", "été",    "REPORTAGE-c",
                                          "reportage",   "Report", "reportage-a"}
                           << QStringList{"Report",      "reportage",   "reportage-a",
                                          "reportage-b", "REPORTAGE-c", "été"};
    QTest::newRow("folders") << int(FileListModel::kFolder)
                             << QStringList{"/home/ann/Music/b", "/home/ann/Music",
                                            "/home/ann/music/a", "/home/ann"}
                             << QStringList{"/home/ann", "/home/ann/Music", "/home/ann/music/a",
                                            "/home/ann/Music/b"};
}

void tst_FileListModel::textsSortWithAToZAsAToZThenByteByByteOverTheirWholeLength()
{
    QFETCH(int, column);
    QFETCH(QStringList, given);
    QFETCH(QStringList, sorted);
    std::vector<KeptFile> files;
    for (const QString &text : given)
        files.push_back(column == FileListModel::kName ? keptFile("/d", text.toStdString(), 1)
                                                       : keptFile(text.toStdString(), "f", 1));
    FileListModel model(std::move(files), kUs);
    model.sort(column, Qt::AscendingOrder);
    QCOMPARE(columnTexts(model, column), sorted);
    std::reverse(sorted.begin(), sorted.end());
    model.sort(column, Qt::DescendingOrder);
    QCOMPARE(columnTexts(model, column), sorted);
}

void tst_FileListModel::sortingIsStableSoTheColumnSortedBeforeOrdersEquals()
{
    // More files than a sort orders by insertion alone, which keeps equals in
    // place whether it is meant to or not; every third one hidden.
    std::vector<KeptFile> files;
    QStringList plain;
    QStringList hidden;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("f%1").arg(39 - i, 2, 10, QLatin1Char('0'));
        files.push_back(keptFile("/d", name.toStdString(), i, FileTime::kNotRecorded,
                                 i % 3 == 0 ? std::uint32_t(kAttrHidden) : 0u));
        (i % 3 == 0 ? hidden : plain) << name;
    }
    FileListModel model(std::move(files), kUs);
    model.sort(FileListModel::kName, Qt::DescendingOrder);
    model.sort(FileListModel::kAttributes, Qt::AscendingOrder);
    QCOMPARE(columnTexts(model, FileListModel::kName), plain + hidden);
}

QTEST_GUILESS_MAIN(tst_FileListModel)
#include "tst_FileListModel.moc"
