#pragma once

#include <QIcon>
#include <QImage>

class QPainter;
class QRectF;

namespace vorin {

// The program's icon: three stacked 3-D bars, used space blue and free space
// fuchsia, on the main window's dark blue ground. vorin99.svg beside this file
// draws the same figure for the desktop's scalable icon theme.
void paintAppIcon(QPainter &painter, const QRectF &area);
[[nodiscard]] QImage appIconImage(int size);
[[nodiscard]] QIcon appIcon();

} // namespace vorin
