#include "platform/fake/RecordingTrash.h"
#include "views/FileActions.h"

#include <QByteArray>
#include <QTest>
#include <string>
#include <vector>

using namespace vorin;

class tst_FileActions : public QObject
{
    Q_OBJECT

private slots:
    void fileUriPercentEncodesEveryByteButTheUnreservedOnes_data();
    void fileUriPercentEncodesEveryByteButTheUnreservedOnes();
    void fileUrlKeepsBytesThatAreNotUtf8();
    void containingFolderIsEverythingBeforeTheLastSlash_data();
    void containingFolderIsEverythingBeforeTheLastSlash();
    void desktopTrashIsThePlatformsTrashAskedWithTheExactPath();
};

void tst_FileActions::fileUriPercentEncodesEveryByteButTheUnreservedOnes_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("uri");
    QTest::newRow("plain") << QByteArray("/home/ann/a-b_c.d~")
                           << QByteArray("file:///home/ann/a-b_c.d~");
    QTest::newRow("space and percent")
        << QByteArray("/music/100% live.mp3") << QByteArray("file:///music/100%25%20live.mp3");
    QTest::newRow("line feed") << QByteArray("/d/two\nlines")
                               << QByteArray("file:///d/two%0Alines");
    QTest::newRow("not UTF-8") << QByteArray("/d/caf\xe9") << QByteArray("file:///d/caf%E9");
    QTest::newRow("UTF-8 byte by byte")
        << QByteArray("/d/\xc3\xa9t\xc3\xa9") << QByteArray("file:///d/%C3%A9t%C3%A9");
    QTest::newRow("reserved characters")
        << QByteArray("/d/#?&=+;[]") << QByteArray("file:///d/%23%3F%26%3D%2B%3B%5B%5D");
    QTest::newRow("backslash is a name's own on Linux")
        << QByteArray("/d/a\\b") << QByteArray("file:///d/a%5Cb");
}

void tst_FileActions::fileUriPercentEncodesEveryByteButTheUnreservedOnes()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, uri);
    QCOMPARE(fileUri(path.toStdString()), uri);
}

void tst_FileActions::fileUrlKeepsBytesThatAreNotUtf8()
{
    const QUrl url = fileUrl("/d/caf\xe9 \xff\n.txt");
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("file"));
    QCOMPARE(url.toEncoded(), QByteArray("file:///d/caf%E9%20%FF%0A.txt"));
    QCOMPARE(url.path(QUrl::FullyEncoded), QStringLiteral("/d/caf%E9%20%FF%0A.txt"));
}

void tst_FileActions::containingFolderIsEverythingBeforeTheLastSlash_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("deep") << QByteArray("/home/ann/a.txt") << QByteArray("/home/ann");
    QTest::newRow("at the root") << QByteArray("/a.txt") << QByteArray("/");
    QTest::newRow("a name with a line feed")
        << QByteArray("/d/x\ny/a.txt") << QByteArray("/d/x\ny");
    QTest::newRow("no folder") << QByteArray("a.txt") << QByteArray();
}

void tst_FileActions::containingFolderIsEverythingBeforeTheLastSlash()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, folder);
    QCOMPARE(QByteArray::fromStdString(containingFolder(path.toStdString())), folder);
}

void tst_FileActions::desktopTrashIsThePlatformsTrashAskedWithTheExactPath()
{
    RecordingTrash trash;
    trash.failFor("/d/caf\xe9\n", kTrashPermissionDenied);
    DesktopFileActions actions(trash);
    const TrashOutcome refused = actions.moveToTrash("/d/caf\xe9\n");
    const TrashOutcome moved = actions.moveToTrash("/d/a.txt");
    QCOMPARE(trash.asked(), (std::vector<std::string>{"/d/caf\xe9\n", "/d/a.txt"}));
    QCOMPARE(refused.moved, false);
    QCOMPARE(refused.problem, std::string("permission denied"));
    QCOMPARE(moved.moved, true);
}

QTEST_GUILESS_MAIN(tst_FileActions)
#include "tst_FileActions.moc"
