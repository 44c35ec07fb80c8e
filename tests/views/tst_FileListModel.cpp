#include "FileListFixture.h"
#include "platform/TimeZone.h"
#include "views/FileListModel.h"

#include <algorithm>
#include <QBuffer>
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
        texts << model.cellText(row, column);
    return texts;
}

// Four files of two folders, given in no particular order.
std::vector<KeptFile> fourFiles()
{
    return {keptFile("/data/b", "beta.iso", 300, utc(2024, 1, 2, 10, 0)),
            keptFile("/data/a", "Alpha.iso", 1000, utc(2023, 6, 1, 8, 30)),
            keptFile("/data/a", "gamma.iso", 300, FileTime::kNotRecorded),
            keptFile("/data/b", "delta.iso", 5, utc(2025, 7, 9, 23, 59))};
}

} // namespace

class tst_FileListModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void columnsAreNameFolderSizeTimesAndAttributes();
    void sizesAreWrittenWithTheUsersSeparators_data();
    void sizesAreWrittenWithTheUsersSeparators();
    void attributesAreShownAsLetters_data();
    void attributesAreShownAsLetters();
    void timesAreShownInTheUsersShortFormatAndAnUnrecordedOneIsEmpty();
    void namesOfAnyBytesAreShownOnOneReadableLine_data();
    void namesOfAnyBytesAreShownOnOneReadableLine();
    void filesAreShownLargestFirstWithEqualSizesInTheOrderGiven();
    void sortingByAColumnOrdersItsFigures_data();
    void sortingByAColumnOrdersItsFigures();
    void sortingIsStableSoTheColumnSortedBeforeOrdersEquals();
    void textsAlikeInTheirFirstBytesSortByTheirWholeText_data();
    void textsAlikeInTheirFirstBytesSortByTheirWholeText();
    void takenRowsLeaveTheListAndComeBackInTheOrderShown();
    void forgettingTakesOutTheFilesOfTheSameFolderAndName();
    void csvHasTheHeadingsAndOneRecordPerFileInTheOrderShown();
    void csvKeepsTheBytesOfNamesAndQuotesWhatNeedsIt();
    void csvTimesAreIsoLocalTimeWithTheOffsetOfTheirDay_data();
    void csvTimesAreIsoLocalTimeWithTheOffsetOfTheirDay();
};

void tst_FileListModel::initTestCase()
{
    useGermanClockAndLocale();
}

void tst_FileListModel::columnsAreNameFolderSizeTimesAndAttributes()
{
    const FileListModel model(fourFiles(), kUs);
    QStringList headings;
    for (int section = 0; section < model.columnCount(); ++section)
        headings << model.headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(headings, QStringList({"Name", "Folder", "Size", "Modified", "Accessed", "Created",
                                    "Attributes"}));
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.data(model.index(0, FileListModel::kSize), Qt::TextAlignmentRole)
                 .value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(model.data(model.index(0, FileListModel::kName), Qt::ToolTipRole).toString(),
             QStringLiteral("/data/a/Alpha.iso"));
}

void tst_FileListModel::sizesAreWrittenWithTheUsersSeparators_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("thousands");
    QTest::addColumn<QString>("shown");
    QTest::newRow("US") << qint64(6120388412) << ","
                        << "6,120,388,412";
    QTest::newRow("German") << qint64(6120388412) << "."
                            << "6.120.388.412";
    QTest::newRow("French narrow no-break space")
        << qint64(1234567) << QStringLiteral("\u202F") << QStringLiteral("1\u202F234\u202F567");
    QTest::newRow("three digits, no group") << qint64(999) << ","
                                            << "999";
    QTest::newRow("empty file") << qint64(0) << "."
                                << "0";
}

void tst_FileListModel::sizesAreWrittenWithTheUsersSeparators()
{
    QFETCH(qint64, size);
    QFETCH(QString, thousands);
    QFETCH(QString, shown);
    const FileListModel model({keptFile("/d", "f", size)},
                              LocaleSeparators{thousands.toStdString(), "#"});
    QCOMPARE(model.cellText(0, FileListModel::kSize), shown);
    QCOMPARE(model.data(model.index(0, FileListModel::kSize), Qt::DisplayRole).toString(), shown);
}

void tst_FileListModel::attributesAreShownAsLetters_data()
{
    QTest::addColumn<uint>("attributes");
    QTest::addColumn<QString>("letters");
    QTest::newRow("none") << uint(0) << "";
    QTest::newRow("read-only") << uint(kAttrReadOnly) << "R";
    QTest::newRow("hidden") << uint(kAttrHidden) << "H";
    QTest::newRow("system") << uint(kAttrSystem) << "S";
    QTest::newRow("archive") << uint(kAttrArchive) << "A";
    QTest::newRow("read-only and hidden") << uint(kAttrReadOnly | kAttrHidden) << "RH";
    QTest::newRow("all four, in their order")
        << uint(kAttrArchive | kAttrSystem | kAttrHidden | kAttrReadOnly) << "RHSA";
    QTest::newRow("the directory bit is no letter") << uint(kAttrDirectory | kAttrArchive) << "A";
}

void tst_FileListModel::attributesAreShownAsLetters()
{
    QFETCH(uint, attributes);
    QFETCH(QString, letters);
    const FileListModel model({keptFile("/d", "f", 1, FileTime::kNotRecorded, attributes)}, kUs);
    QCOMPARE(model.cellText(0, FileListModel::kAttributes), letters);
}

void tst_FileListModel::timesAreShownInTheUsersShortFormatAndAnUnrecordedOneIsEmpty()
{
    KeptFile file = keptFile("/d", "f", 1, utc(2024, 3, 5, 13, 7));
    file.accessed = FileTime{utc(2024, 7, 1, 22, 30)}; // summer time: two hours ahead
    file.created = FileTime{};
    const FileListModel model({file}, kGerman);
    QCOMPARE(model.cellText(0, FileListModel::kModified), QStringLiteral("05.03.24 14:07"));
    QCOMPARE(model.cellText(0, FileListModel::kAccessed), QStringLiteral("02.07.24 00:30"));
    QCOMPARE(model.cellText(0, FileListModel::kCreated), QString());
}

void tst_FileListModel::namesOfAnyBytesAreShownOnOneReadableLine_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QByteArray("report.txt") << "report.txt";
    QTest::newRow("UTF-8") << QByteArray("\xc3\xa9t\xc3\xa9.mp3") << QStringLiteral("été.mp3");
    QTest::newRow("line feed") << QByteArray("two\nlines") << QStringLiteral("two\u240Alines");
    QTest::newRow("tab and carriage return")
        << QByteArray("a\tb\r") << QStringLiteral("a\u2409b\u240D");
    QTest::newRow("delete") << QByteArray("x\x7f") << QStringLiteral("x\u2421");
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9.txt") << QStringLiteral("caf\uFFFD.txt");
    QTest::newRow("sequence cut short")
        << QByteArray("\xe2\x82.txt") << QStringLiteral("\uFFFD\uFFFD.txt");
    QTest::newRow("non-Latin script")
        << QByteArray("\xe6\x97\xa5\xe6\x9c\xac") << QStringLiteral("日本");
}

void tst_FileListModel::namesOfAnyBytesAreShownOnOneReadableLine()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    const FileListModel model({keptFile("/d/" + name.toStdString(), name.toStdString(), 1)}, kUs);
    QCOMPARE(model.cellText(0, FileListModel::kName), shown);
    QCOMPARE(model.cellText(0, FileListModel::kFolder), QStringLiteral("/d/") + shown);
    QCOMPARE(model.file(0).name, name.toStdString());
}

void tst_FileListModel::filesAreShownLargestFirstWithEqualSizesInTheOrderGiven()
{
    const FileListModel model(fourFiles(), kUs);
    QCOMPARE(columnTexts(model, FileListModel::kName),
             QStringList({"Alpha.iso", "beta.iso", "gamma.iso", "delta.iso"}));
    QCOMPARE(model.sortColumn(), int(FileListModel::kSize));
    QCOMPARE(model.sortOrder(), Qt::DescendingOrder);
}

void tst_FileListModel::sortingByAColumnOrdersItsFigures_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("name, A-Z with a-z as A-Z")
        << int(FileListModel::kName) << Qt::AscendingOrder
        << QStringList{"Alpha.iso", "beta.iso", "delta.iso", "gamma.iso"};
    QTest::newRow("name, Z-A") << int(FileListModel::kName) << Qt::DescendingOrder
                               << QStringList{"gamma.iso", "delta.iso", "beta.iso", "Alpha.iso"};
    QTest::newRow("size, smallest first, equal sizes as they were")
        << int(FileListModel::kSize) << Qt::AscendingOrder
        << QStringList{"delta.iso", "beta.iso", "gamma.iso", "Alpha.iso"};
    QTest::newRow("modified, latest first, unrecorded last")
        << int(FileListModel::kModified) << Qt::DescendingOrder
        << QStringList{"delta.iso", "beta.iso", "Alpha.iso", "gamma.iso"};
    QTest::newRow("modified, earliest first, unrecorded first")
        << int(FileListModel::kModified) << Qt::AscendingOrder
        << QStringList{"gamma.iso", "Alpha.iso", "beta.iso", "delta.iso"};
    QTest::newRow("folder, equal folders as they were")
        << int(FileListModel::kFolder) << Qt::AscendingOrder
        << QStringList{"Alpha.iso", "gamma.iso", "beta.iso", "delta.iso"};
}

void tst_FileListModel::sortingByAColumnOrdersItsFigures()
{
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, names);
    FileListModel model(fourFiles(), kUs);
    model.sort(column, order);
    QCOMPARE(columnTexts(model, FileListModel::kName), names);
    QCOMPARE(model.sortColumn(), column);
    QCOMPARE(model.sortOrder(), order);
}

void tst_FileListModel::sortingIsStableSoTheColumnSortedBeforeOrdersEquals()
{
    std::vector<KeptFile> files;
    const char *const names[] = {"e", "b", "d", "a", "c", "f"};
    const std::uint32_t attributes[] = {kAttrHidden, 0, kAttrHidden, kAttrArchive, 0, kAttrArchive};
    for (int i = 0; i < 6; ++i)
        files.push_back(keptFile("/d", names[i], 10, FileTime::kNotRecorded, attributes[i]));
    FileListModel model(std::move(files), kUs);
    model.sort(FileListModel::kName, Qt::DescendingOrder);
    model.sort(FileListModel::kAttributes, Qt::AscendingOrder);
    QCOMPARE(columnTexts(model, FileListModel::kAttributes),
             QStringList({"", "", "A", "A", "H", "H"}));
    QCOMPARE(columnTexts(model, FileListModel::kName), QStringList({"c", "b", "f", "a", "e", "d"}));
}

void tst_FileListModel::textsAlikeInTheirFirstBytesSortByTheirWholeText_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("names") << int(FileListModel::kName)
                           << QStringList{"reportage-b", "REPORTAGE-c", "reportage", "Report",
                                          "reportage-a"}
                           << QStringList{"Report", "reportage", "reportage-a", "reportage-b",
                                          "REPORTAGE-c"};
    QTest::newRow("folders") << int(FileListModel::kFolder)
                             << QStringList{"/home/ann/Music/b", "/home/ann/Music",
                                            "/home/ann/music/a", "/home/ann"}
                             << QStringList{"/home/ann", "/home/ann/Music", "/home/ann/music/a",
                                            "/home/ann/Music/b"};
    QTest::newRow("attribute letters")
        << int(FileListModel::kAttributes) << QStringList{"RHSA", "HS", "", "RH", "A", "R"}
        << QStringList{"", "A", "HS", "R", "RH", "RHSA"};
}

void tst_FileListModel::textsAlikeInTheirFirstBytesSortByTheirWholeText()
{
    QFETCH(int, column);
    QFETCH(QStringList, given);
    QFETCH(QStringList, sorted);
    std::vector<KeptFile> files;
    for (const QString &text : given) {
        KeptFile file = keptFile("/d", "f", 1);
        if (column == FileListModel::kName)
            file.name = text.toStdString();
        else if (column == FileListModel::kFolder)
            file.folder = text.toStdString();
        else
            for (const QChar letter : text)
                file.facts.attributes |= letter == u'R'   ? kAttrReadOnly
                                         : letter == u'H' ? kAttrHidden
                                         : letter == u'S' ? kAttrSystem
                                                          : kAttrArchive;
        files.push_back(std::move(file));
    }
    FileListModel model(std::move(files), kUs);
    model.sort(column, Qt::AscendingOrder);
    QCOMPARE(columnTexts(model, column), sorted);
    std::reverse(sorted.begin(), sorted.end());
    model.sort(column, Qt::DescendingOrder);
    QCOMPARE(columnTexts(model, column), sorted);
}

void tst_FileListModel::takenRowsLeaveTheListAndComeBackInTheOrderShown()
{
    FileListModel model(fourFiles(), kUs); // Alpha, beta, gamma, delta
    const std::vector<KeptFile> taken = model.takeRows({3, 0, 3, 7});
    QCOMPARE(taken.size(), std::size_t(2));
    QCOMPARE(taken[0].name, std::string("Alpha.iso"));
    QCOMPARE(taken[1].name, std::string("delta.iso"));
    QCOMPARE(columnTexts(model, FileListModel::kName), QStringList({"beta.iso", "gamma.iso"}));
}

void tst_FileListModel::forgettingTakesOutTheFilesOfTheSameFolderAndName()
{
    FileListModel model(fourFiles(), kUs);
    const std::vector<KeptFile> forgotten =
        model.forget({keptFile("/data/b", "delta.iso", 0), keptFile("/data/a", "beta.iso", 300),
                      keptFile("/data/b", "beta.iso", 5)});
    QCOMPARE(forgotten.size(), std::size_t(2));
    QCOMPARE(forgotten[0].name, std::string("beta.iso"));
    QCOMPARE(forgotten[0].size(), std::int64_t(300)); // the list's own record
    QCOMPARE(forgotten[1].name, std::string("delta.iso"));
    QCOMPARE(columnTexts(model, FileListModel::kName), QStringList({"Alpha.iso", "gamma.iso"}));
}

void tst_FileListModel::csvHasTheHeadingsAndOneRecordPerFileInTheOrderShown()
{
    FileListModel model(fourFiles(), kGerman);
    model.sort(FileListModel::kName, Qt::AscendingOrder);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QCOMPARE(writeFileListCsv(model.files(), buffer), QString());
    QCOMPARE(buffer.data(), QByteArray("Name,Folder,Size,Modified,Accessed,Created,Attributes\r\n"
                                       "Alpha.iso,/data/a,1000,2023-06-01T10:30:00+02:00,,,\r\n"
                                       "beta.iso,/data/b,300,2024-01-02T11:00:00+01:00,,,\r\n"
                                       "delta.iso,/data/b,5,2025-07-10T01:59:00+02:00,,,\r\n"
                                       "gamma.iso,/data/a,300,,,,\r\n"));
}

void tst_FileListModel::csvKeepsTheBytesOfNamesAndQuotesWhatNeedsIt()
{
    QCOMPARE(fileListCsvRecord(keptFile("/d", "two\nlines\xff.txt", 12345678,
                                        FileTime::kNotRecorded, kAttrReadOnly | kAttrHidden)),
             QByteArray("\"two\nlines\xff.txt\",/d,12345678,,,,RH"));
    QCOMPARE(fileListCsvRecord(keptFile("/my \"best\", docs", "a,b", 1)),
             QByteArray("\"a,b\",\"/my \"\"best\"\", docs\",1,,,,"));
    QCOMPARE(fileListCsvRecord(keptFile("/d", "cr\r", 0)), QByteArray("\"cr\r\",/d,0,,,,"));
}

void tst_FileListModel::csvTimesAreIsoLocalTimeWithTheOffsetOfTheirDay_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("iso");
    QTest::newRow("winter") << qint64(utc(2024, 3, 5, 13, 7)) << "2024-03-05T14:07:00+01:00";
    QTest::newRow("summer") << qint64(utc(2024, 7, 1, 22, 30)) << "2024-07-02T00:30:00+02:00";
    QTest::newRow("seconds kept") << qint64(utc(2024, 3, 5, 13, 7) + 59)
                                  << "2024-03-05T14:07:59+01:00";
    QTest::newRow("before 1970") << qint64(utc(1969, 12, 31, 12, 0)) << "1969-12-31T13:00:00+01:00";
    QTest::newRow("not recorded") << qint64(FileTime::kNotRecorded) << "";
}

void tst_FileListModel::csvTimesAreIsoLocalTimeWithTheOffsetOfTheirDay()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, iso);
    QCOMPARE(QString::fromStdString(isoLocalTime(FileTime{seconds}, SystemTimeZone())), iso);
}

QTEST_GUILESS_MAIN(tst_FileListModel)
#include "tst_FileListModel.moc"
