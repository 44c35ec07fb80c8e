#include "widgets/FontSubstitutes.h"
#include "widgets/HeadingLabel.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTest>

using vorin::HeadingLabel;
using vorin::ShadowDirection;

Q_DECLARE_METATYPE(vorin::ShadowDirection)

class TestHeadingLabel : public QObject
{
    Q_OBJECT

private:
    static QFont crispFont(int pixels)
    {
        QFont font = vorin::headingFont(pixels);
        font.setStyleStrategy(QFont::NoAntialias);
        return font;
    }

private slots:
    void initTestCase() { vorin::installFontSubstitutes(); }

    void windowsFacesFallBackToMetricCompatibleOnes_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("substitute");
        QTest::newRow("Times New Roman") << "Times New Roman"
                                         << "Liberation Serif";
        QTest::newRow("Arial") << "Arial"
                               << "Liberation Sans";
        QTest::newRow("MS Sans Serif") << "MS Sans Serif"
                                       << "Liberation Sans";
    }

    void windowsFacesFallBackToMetricCompatibleOnes()
    {
        QFETCH(QString, asked);
        QFETCH(QString, substitute);
        if (QFontDatabase::hasFamily(asked))
            QSKIP("the face itself is installed");
        if (!QFontDatabase::hasFamily(substitute))
            QSKIP("the Liberation fonts are not installed");
        QCOMPARE(QFontInfo(QFont(asked)).family(), substitute);
    }

    void sizeHintCoversTheShadow_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<ShadowDirection>("direction");
        QTest::addColumn<bool>("highlight");
        QTest::addColumn<int>("extraWidth");
        QTest::addColumn<int>("extraHeight");
        QTest::newRow("flat") << 0 << ShadowDirection::DownRight << false << 0 << 0;
        QTest::newRow("heading style") << 4 << ShadowDirection::DownRight << false << 4 << 4;
        QTest::newRow("banner") << 7 << ShadowDirection::DownRight << false << 7 << 7;
        QTest::newRow("to the right only") << 4 << ShadowDirection::Right << false << 4 << 0;
        QTest::newRow("upwards") << 3 << ShadowDirection::Up << false << 0 << 3;
        QTest::newRow("raised lettering") << 1 << ShadowDirection::DownRight << true << 2 << 2;
        QTest::newRow("highlight on a right shadow")
            << 4 << ShadowDirection::Right << true << 5 << 0;
    }

    void sizeHintCoversTheShadow()
    {
        QFETCH(int, depth);
        QFETCH(ShadowDirection, direction);
        QFETCH(bool, highlight);
        QFETCH(int, extraWidth);
        QFETCH(int, extraHeight);
        HeadingLabel label(QStringLiteral("Which drives?"));
        label.setFont(vorin::headingFont(23));
        label.setShadowDepth(depth);
        label.setShadowDirection(direction);
        label.setHighlightColor(highlight ? QColor(Qt::yellow) : QColor());
        const QFontMetrics metrics(label.font());
        QCOMPARE(label.sizeHint(), QSize(metrics.horizontalAdvance(label.text()) + extraWidth,
                                         metrics.height() + extraHeight));
    }

    void faceSitsAwayFromTheShadow_data()
    {
        QTest::addColumn<ShadowDirection>("direction");
        QTest::addColumn<QPoint>("faceOffset");
        QTest::newRow("down right") << ShadowDirection::DownRight << QPoint(0, 0);
        QTest::newRow("up left") << ShadowDirection::UpLeft << QPoint(4, 4);
        QTest::newRow("down left") << ShadowDirection::DownLeft << QPoint(4, 0);
    }

    void faceSitsAwayFromTheShadow()
    {
        QFETCH(ShadowDirection, direction);
        QFETCH(QPoint, faceOffset);
        HeadingLabel label(QStringLiteral("File Types"));
        label.setFont(vorin::headingFont(23));
        label.setShadowDepth(4);
        label.setShadowDirection(direction);
        label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label.resize(label.sizeHint());
        QCOMPARE(label.faceRect().topLeft(), faceOffset);
    }

    void rightAlignedTextEndsAtTheRightEdge()
    {
        HeadingLabel label(QStringLiteral("2/3"));
        label.applyHeadingStyle(23);
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label.resize(75, 27);
        // The shadow reaches 4 pixels right of the face, up to the edge.
        QCOMPARE(label.faceRect().right(), 75 - 1 - 4);
    }

    void extrusionRunsDepthPixelsBeyondTheFace()
    {
        HeadingLabel label(QStringLiteral("HI"));
        label.applyHeadingStyle(36);
        label.setFont(crispFont(36));
        label.resize(label.sizeHint() + QSize(10, 10));
        QImage image(label.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        label.render(&image);

        // The lowest and rightmost pixels of each colour.
        QPoint faceMax(-1, -1);
        QPoint shadowMax(-1, -1);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y) & 0xffffff;
                QPoint *target = pixel == 0x0000ff   ? &faceMax
                                 : pixel == 0x808000 ? &shadowMax
                                                     : nullptr;
                if (target) {
                    target->setX(std::max(target->x(), x));
                    target->setY(std::max(target->y(), y));
                }
            }
        }
        QVERIFY(faceMax.x() >= 0);
        QCOMPARE(shadowMax - faceMax, QPoint(4, 4));
    }

    void headingStyleIsBlueOnOlive()
    {
        HeadingLabel label;
        label.applyHeadingStyle(23);
        QCOMPARE(label.textColor(), QColor(Qt::blue));
        QCOMPARE(label.shadowColor(), QColor(128, 128, 0));
        QCOMPARE(label.shadowDepth(), 4);
        QCOMPARE(label.font().pixelSize(), 23);
        QCOMPARE(label.font().family(), QStringLiteral("Times New Roman"));
    }
};

QTEST_MAIN(TestHeadingLabel)
#include "tst_HeadingLabel.moc"
