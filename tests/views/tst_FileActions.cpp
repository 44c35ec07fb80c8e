#include "views/FileActions.h"

#include <QByteArray>
#include <QTest>

using namespace vorin;

class tst_FileActions : public QObject
{
    Q_OBJECT

private slots:
    void fileUriPercentEncodesEveryByteButTheUnreservedOnes_data();
    void fileUriPercentEncodesEveryByteButTheUnreservedOnes();
    void containingFolderIsEverythingBeforeTheLastSlash_data();
    void containingFolderIsEverythingBeforeTheLastSlash();
};

void tst_FileActions::fileUriPercentEncodesEveryByteButTheUnreservedOnes_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("uri");
    QTest::newRow("unreserved kept, space, percent and reserved encoded")
        << QByteArray("/home/a-b_c.d~/100% #?&=+;[]")
        << QByteArray("file:///home/a-b_c.d~/100%25%20%23%3F%26%3D%2B%3B%5B%5D");
    QTest::newRow("line feed and a byte that is no UTF-8")
        << QByteArray("/d/caf\xe9 \xff\n.txt") << QByteArray("file:///d/caf%E9%20%FF%0A.txt");
    QTest::newRow("UTF-8 byte by byte")
        << QByteArray("/d/\xc3\xa9t\xc3\xa9") << QByteArray("file:///d/%C3%A9t%C3%A9");
    QTest::newRow("backslash is a name's own on Linux")
        << QByteArray("/d/a\\b") << QByteArray("file:///d/a%5Cb");
}

void tst_FileActions::fileUriPercentEncodesEveryByteButTheUnreservedOnes()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, uri);
    QCOMPARE(fileUri(path.toStdString()), uri);
    // The URL handed to the desktop keeps every byte too.
    QCOMPARE(fileUrl(path.toStdString()).toEncoded(), uri);
}

void tst_FileActions::containingFolderIsEverythingBeforeTheLastSlash_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("deep") << QByteArray("/home/ann/a.txt") << QByteArray("/home/ann");
    QTest::newRow("at the root") << QByteArray("/a.txt") << QByteArray("/");
    QTest::newRow("no folder") << QByteArray("a.txt") << QByteArray();
}

void tst_FileActions::containingFolderIsEverythingBeforeTheLastSlash()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, folder);
    QCOMPARE(QByteArray::fromStdString(containingFolder(path.toStdString())), folder);
}

QTEST_GUILESS_MAIN(tst_FileActions)
#include "tst_FileActions.moc"
