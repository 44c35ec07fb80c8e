#pragma once

#include <QFrame>
#include <QPixmap>

namespace vorin {

// A panel filled with a picture repeated edge to edge behind its children,
// framed by a bevel (the "not yet collected" overlay). Without a picture it
// uses a soft generated texture.
class TiledPanel : public QFrame
{
    Q_OBJECT

public:
    enum class Bevel { None, Raised, Lowered, RaisedDouble };

    explicit TiledPanel(QWidget *parent = nullptr);

    [[nodiscard]] QPixmap tile() const { return m_tile; }
    void setTile(const QPixmap &tile);
    [[nodiscard]] Bevel bevel() const { return m_bevel; }
    void setBevel(Bevel bevel);

    // A 64 × 64 pale blue-grey marble, made once.
    [[nodiscard]] static QPixmap defaultTile();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_tile;
    Bevel m_bevel = Bevel::RaisedDouble;
};

} // namespace vorin
