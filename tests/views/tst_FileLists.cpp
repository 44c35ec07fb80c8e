#include "chart/Chart.h"
#include "FileActionsFake.h"
#include "platform/posix/FreedesktopTrash.h"
#include "ScanFixture.h"
#include "views/AttributePage.h"
#include "views/FileActions.h"
#include "views/FileListModel.h"
#include "views/FileLists.h"
#include "views/FileListWindow.h"
#include "views/SizesPage.h"
#include "views/TimePage.h"
#include "views/TypesPage.h"
#include "widgets/Notebook.h"
#include "widgets/StringGrid.h"

#include <fcntl.h>
#include <filesystem>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorin;
using namespace vorin::testing;

namespace {

const QByteArray kOddName("odd\xff\nname.txt"); // a line feed and a byte that is no UTF-8

// A drive f: over a small tree whose files were all last written at 14:10:
// four text files (one of 20,000 bytes, one hidden, one of an odd name) and
// one other of 40,000 bytes.
struct ListsSetup
{
    ListsSetup()
    {
        const std::time_t written = localInstant(2020, 6, 15, 14, 10);
        QDir(root.path()).mkpath(QStringLiteral("docs"));
        const struct
        {
            QByteArray name;
            qint64 size;
        } files[] = {{"docs/a.txt", 100},      {"docs/b.TXT", 20000}, {"c.txt", 5},
                     {"docs/.hidden.txt", 10}, {"data.bin", 40000},   {kOddName, 7}};
        for (const auto &file : files) {
            // By its bytes: a name that is no UTF-8 would not survive a QString.
            const QByteArray path = QFile::encodeName(root.path()) + '/' + file.name;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QVERIFY(::ftruncate(fd, file.size) == 0);
            const timespec times[2] = {{written, 0}, {written, 0}};
            QVERIFY(::futimens(fd, times) == 0);
            ::close(fd);
        }
        addDrive(env, 'f', root, "lists", 4096);
        runAndWait(w, allFilesOf({"f: [lists]"}));
    }

    // QTemporaryDir cannot remove a name that is no UTF-8: the tree goes by its bytes.
    ~ListsSetup() { std::filesystem::remove_all(path({})); }

    [[nodiscard]] std::string path(const std::string &relative) const
    {
        return QFile::encodeName(root.path()).toStdString() + '/' + relative;
    }

    [[nodiscard]] FileListWindow *list(const Figure &figure) const
    {
        return w.fileLists->window(figure);
    }

    ViewsEnvironment env;
    QTemporaryDir root;
    TfrmStatistics w{env.services};
};

QSet<QByteArray> namesOf(const FileListWindow &list)
{
    QSet<QByteArray> names;
    for (const KeptFile &file : list.model().files())
        names << QByteArray::fromStdString(file.name);
    return names;
}

} // namespace

class tst_FileLists : public QObject
{
    Q_OBJECT

private slots:
    void eachKindOfFigureOpensTheListOfExactlyItsFiles_data();
    void eachKindOfFigureOpensTheListOfExactlyItsFiles();
    void askingAgainBringsTheSameListToTheFront();
    void titlesNameTheFigure_data();
    void titlesNameTheFigure();
    void filesMovedToTheTrashLeaveEveryPageAndList();
    void aNewRunClosesTheLists();
};

void tst_FileLists::eachKindOfFigureOpensTheListOfExactlyItsFiles_data()
{
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<QString>("footer");
    QTest::newRow("a Types row") << "types:.TXT"
                                 << QList<QByteArray>{"a.txt", "b.TXT", "c.txt", ".hidden.txt",
                                                      kOddName}
                                 << "5 files (20,122 bytes)";
    QTest::newRow("a Sizes bar") << "sizes:2" << QList<QByteArray>{"b.TXT"}
                                 << "1 file (20,000 bytes)";
    QTest::newRow("a Time point") << "modifiedTime:28"
                                  << QList<QByteArray>{"a.txt",       "b.TXT",    "c.txt",
                                                       ".hidden.txt", "data.bin", kOddName}
                                  << "6 files (60,122 bytes)";
    QTest::newRow("the Hidden row")
        << "attributes:hidden" << QList<QByteArray>{".hidden.txt"} << "1 file (10 bytes)";
}

// The way in is the page's own: a double click on the listing's row, a bar
// or point activated, a double click on the Attribute page's row.
void tst_FileLists::eachKindOfFigureOpensTheListOfExactlyItsFiles()
{
    QFETCH(QString, figure);
    QFETCH(QList<QByteArray>, names);
    QFETCH(QString, footer);
    const LocalZone zone("IST-5:30");
    ListsSetup s;
    TfrmStatistics &w = s.w;
    w.show();
    const Figure wanted = *parseFigure(figure.toStdString());
    switch (wanted.kind) {
    case FigureKind::Type: {
        w.OvcNotebook1->setPageIndex(1);
        w.typesPage->rgTypesItems[0]->click();
        StringGrid &grid = *w.typesPage->gridTypes;
        int row = 1;
        while (row < grid.rowCount() - 1 && grid.cell(0, row) != QStringLiteral(".TXT"))
            ++row;
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(1, row).center());
        break;
    }
    case FigureKind::Size:
        emit w.sizesPage->Chart1->pointActivated(0, wanted.index - 1);
        break;
    case FigureKind::ModifiedTime:
        emit w.timePage->Chart4->pointActivated(0, wanted.index);
        break;
    default: {
        QWidget *page = w.OvcNotebook1->page(8);
        w.OvcNotebook1->setPageIndex(8);
        QTest::mouseDClick(page, Qt::LeftButton, {},
                           w.attributePage->lblNHidden->geometry().center());
        break;
    }
    }
    FileListWindow *list = s.list(wanted);
    QVERIFY(list);
    QCOMPARE(namesOf(*list), QSet<QByteArray>(names.begin(), names.end()));
    QCOMPARE(list->lblFooter->text(), footer);
    QVERIFY(list->isVisible());
}

void tst_FileLists::askingAgainBringsTheSameListToTheFront()
{
    ListsSetup s;
    const Figure hidden = *parseFigure("attributes:hidden");
    s.w.fileLists->show(hidden);
    FileListWindow *first = s.list(hidden);
    QVERIFY(first);
    first->showMinimized();
    s.w.fileLists->show(hidden);
    QCOMPARE(s.list(hidden), first);
    QVERIFY(!first->isMinimized());
    QCOMPARE(s.w.findChildren<FileListWindow *>().size(), 1);
}

void tst_FileLists::titlesNameTheFigure_data()
{
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("title");
    QTest::newRow("type") << "types:.ISO"
                          << "%H:%M"
                          << "Files: .ISO on f: [/home/ann/Music]";
    QTest::newRow("no extension") << "types:"
                                  << "%H:%M"
                                  << "Files: no extension on f: [/home/ann/Music]";
    QTest::newRow("oldest") << "modifiedAge:9"
                            << "%H:%M"
                            << "Files modified over 4 years ago";
    QTest::newRow("a week") << "accessAge:1"
                            << "%H:%M"
                            << "Files accessed <= 7 days ago";
    QTest::newRow("no date") << "createdAge:0"
                             << "%H:%M"
                             << "Files with no created date recorded";
    QTest::newRow("written") << "modifiedTime:28"
                             << "%H:%M"
                             << "Files written 14:00 - 14:29";
    QTest::newRow("12-hour clock") << "accessTime:47"
                                   << "%I:%M %p"
                                   << "Files accessed 11:30 PM - 11:59 PM";
    QTest::newRow("size") << "sizes:12"
                          << "%H:%M"
                          << "Files of Over 16MB";
    QTest::newRow("attribute") << "attributes:readOnly"
                               << "%H:%M"
                               << "Read-only files";
    QTest::newRow("overhang") << "overhang"
                              << "%H:%M"
                              << "Files that leave cluster overhang";
}

void tst_FileLists::titlesNameTheFigure()
{
    QFETCH(QString, figure);
    QFETCH(QString, pattern);
    QFETCH(QString, title);
    const TimeOfDayFormat clock{pattern.toStdString(), "AM", "PM"};
    QCOMPARE(filesTitle(*parseFigure(figure.toStdString()),
                        {QStringLiteral("f: [/home/ann/Music]")}, clock),
             title);
}

// The desktop's trash of a data directory of the test's own: the two files
// chosen go there with their descriptions, every page's figures drop by
// exactly them (as a scan of what is left gives), and an open list of
// another figure loses the one it held.
void tst_FileLists::filesMovedToTheTrashLeaveEveryPageAndList()
{
    ListsSetup s;
    TfrmStatistics &w = s.w;
    QTemporaryDir dataHome;
    FreedesktopTrash trash(dataHome.path().toStdString(), ::geteuid());
    DesktopFileActions actions(trash);
    w.fileLists->setActions(&actions);
    const Figure band2 = *parseFigure("sizes:2");
    const Figure txt = *parseFigure("types:.TXT");
    w.fileLists->show(band2);
    w.fileLists->show(txt);
    FileListWindow &list = *s.list(txt);

    list.gridFiles->clearSelection();
    for (int row = 0; row < list.model().rowCount(); ++row) {
        const QByteArray name = QByteArray::fromStdString(list.model().file(row).name);
        if (name == "b.TXT" || name == kOddName)
            list.gridFiles->selectionModel()->select(list.model().index(row, 0),
                                                     QItemSelectionModel::Select |
                                                         QItemSelectionModel::Rows);
    }
    s.env.messages.queueAnswer(Answer::Yes);
    list.btTrash->click();

    // Counted by bytes: QDir drops a name that is no UTF-8.
    const std::string trashed = QFile::encodeName(dataHome.path()).toStdString() + "/Trash/";
    const auto names = [](const std::string &folder) {
        std::set<std::string> found;
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            found.insert(entry.path().filename().string());
        return found;
    };
    const std::string odd = kOddName.toStdString();
    QCOMPARE(names(trashed + "files"), (std::set<std::string>{"b.TXT", odd}));
    QCOMPARE(names(trashed + "info"),
             (std::set<std::string>{"b.TXT.trashinfo", odd + ".trashinfo"}));
    QVERIFY(!std::filesystem::exists(s.path("docs/b.TXT")));
    QVERIFY(!std::filesystem::exists(s.path(odd)));
    QCOMPARE(namesOf(list), (QSet<QByteArray>{"a.txt", "c.txt", ".hidden.txt"}));
    QCOMPARE(list.lblFooter->text(), QStringLiteral("3 files (115 bytes)"));
    QCOMPARE(s.list(band2)->model().rowCount(), 0);
    QCOMPARE(s.list(band2)->lblFooter->text(), QStringLiteral("0 files (0 bytes)"));
    QCOMPARE(w.StatusBar1->currentMessage(), QStringLiteral("2 files moved to the trash."));

    TfrmStatistics fresh(s.env.services);
    runAndWait(fresh, allFilesOf({"f: [lists]"}));
    QVERIFY(w.statistics() == fresh.statistics());
    QCOMPARE(w.sizesPage->gridSizes->cell(2, 11), QStringLiteral("0"));
    std::filesystem::remove_all(trashed);
}

void tst_FileLists::aNewRunClosesTheLists()
{
    ListsSetup s;
    const Figure hidden = *parseFigure("attributes:hidden");
    s.w.fileLists->show(hidden);
    QPointer<FileListWindow> list = s.list(hidden);
    QVERIFY(list);
    runAndWait(s.w, allFilesOf({"f: [lists]"}));
    QTRY_VERIFY(!list);
    QVERIFY(!s.list(hidden));
}

QTEST_MAIN(tst_FileLists)
#include "tst_FileLists.moc"
