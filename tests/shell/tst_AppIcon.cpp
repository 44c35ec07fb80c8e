#include "shell/AppIcon.h"

#include <QFile>
#include <QSettings>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QString shellSource(const char *name)
{
    return QStringLiteral(VORIN_SHELL_SOURCE_DIR "/") + QLatin1String(name);
}

} // namespace

class TestAppIcon : public QObject
{
    Q_OBJECT

private slots:
    void bitmapShowsBlueUsedUnderFuchsiaFreeOnADarkGround()
    {
        const QImage icon = vorin::appIconImage(256);
        QCOMPARE(icon.size(), QSize(256, 256));
        // The rounded corners let the desktop show through.
        QCOMPARE(qAlpha(icon.pixel(1, 1)), 0);
        // The first bar: used space at its foot, free space above it.
        QCOMPARE(QColor(icon.pixel(57, 170)), QColor(0, 0, 255));
        QCOMPARE(QColor(icon.pixel(57, 100)), QColor(255, 0, 255));
        // Above the bars, the dark ground.
        const QColor ground(icon.pixel(128, 30));
        QCOMPARE(ground.red(), 0);
        QCOMPARE(ground.green(), 0);
        QVERIFY(ground.blue() > 100);
    }

    void smallSizesAreDrawnToo()
    {
        const QImage icon = vorin::appIconImage(16);
        QCOMPARE(icon.size(), QSize(16, 16));
        int blue = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                blue += QColor(icon.pixel(x, y)).blue() > 200 ? 1 : 0;
        QVERIFY(blue > 10);
    }

    void scalableIconIsWellFormedSvgOfTheSameFigure()
    {
        QFile file(shellSource("vorin99.svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        int usedFronts = 0;
        int freeFronts = 0;
        QString size;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("svg"))
                size = xml.attributes().value(QLatin1String("viewBox")).toString();
            if (xml.name() == QLatin1String("rect")) {
                const auto fill = xml.attributes().value(QLatin1String("fill"));
                usedFronts += fill == QLatin1String("#0000ff") ? 1 : 0;
                freeFronts += fill == QLatin1String("#ff00ff") ? 1 : 0;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(size, QStringLiteral("0 0 256 256"));
        QCOMPARE(usedFronts, 3);
        QCOMPARE(freeFronts, 3);
    }

    void desktopEntryStartsTheProgramWithItsIcon()
    {
        QSettings entry(shellSource("vorin99.desktop"), QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Vorin 99"));
        QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("vorin99"));
        QCOMPARE(entry.value(QStringLiteral("Terminal")).toString(), QStringLiteral("false"));
    }

    // A file manager offers the program for folders and hands it the ones the
    // user opened it with, each as an argument of its own.
    void desktopEntryOpensFoldersAsDrives()
    {
        QFile entry(shellSource("vorin99.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("Exec=vorin99 %F")));
        QVERIFY(lines.contains(QStringLiteral("MimeType=inode/directory;")));
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_AppIcon.moc"
