#include "widgets/GradientBackdrop.h"
#include "widgets/TiledPanel.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using vorin::TiledPanel;

class TestTiledPanel : public QObject
{
    Q_OBJECT

private slots:
    void pictureRepeatsEdgeToEdge()
    {
        QImage picture(10, 7, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(20 * x, 30 * y, 99));
        TiledPanel panel;
        panel.setObjectName(QStringLiteral("pnlNotYet"));
        panel.setBevel(TiledPanel::Bevel::None);
        panel.setTile(QPixmap::fromImage(picture));
        panel.resize(95, 60);
        const QImage image = panel.grab().toImage();
        for (const QPoint p : {QPoint(0, 0), QPoint(13, 5), QPoint(47, 22), QPoint(94, 59)})
            QCOMPARE(image.pixel(p) & 0xffffff, picture.pixel(p.x() % 10, p.y() % 7) & 0xffffff);
    }

    void generatedTileHasNoSeam()
    {
        const QImage tile = TiledPanel::defaultTile().toImage();
        QCOMPARE(tile.size(), QSize(64, 64));
        // Neighbours across the wrap differ no more than neighbours inside.
        int worstInside = 0;
        int worstAcross = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 63; ++x)
                worstInside = std::max(
                    worstInside, std::abs(qGray(tile.pixel(x, y)) - qGray(tile.pixel(x + 1, y))));
            worstAcross =
                std::max(worstAcross, std::abs(qGray(tile.pixel(63, y)) - qGray(tile.pixel(0, y))));
        }
        QVERIFY2(worstAcross <= worstInside,
                 qPrintable(QStringLiteral("%1 > %2").arg(worstAcross).arg(worstInside)));
    }

    void raisedDoubleBevelReservesTwoPixels()
    {
        TiledPanel panel;
        panel.setBevel(TiledPanel::Bevel::RaisedDouble);
        panel.resize(100, 50);
        QCOMPARE(panel.contentsRect(), QRect(2, 2, 96, 46));
    }

    void backdropRunsFromTopToBottomColour()
    {
        vorin::GradientBackdrop backdrop;
        backdrop.setColors(QColor(0, 0, 255), QColor(0, 0, 48));
        backdrop.resize(40, 200);
        const QImage image = backdrop.grab().toImage();
        QVERIFY(image.pixelColor(20, 0).blue() >= 253);
        QVERIFY(std::abs(image.pixelColor(20, 199).blue() - 48) <= 2);
        const int middle = image.pixelColor(20, 100).blue();
        QVERIFY(middle > 140 && middle < 165);
        QCOMPARE(image.pixelColor(0, 100), image.pixelColor(39, 100));
    }
};

QTEST_MAIN(TestTiledPanel)
#include "tst_TiledPanel.moc"
