#include "shell/Application.h"

#include "chart/ChartAccessibility.h"
#include "shell/AppIcon.h"
#include "widgets/FontSubstitutes.h"

#include <QApplication>

namespace vorin {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Vorin 99"));
    // Lets the desktop match the windows to vorin99.desktop and its icon.
    QApplication::setDesktopFileName(QStringLiteral("vorin99"));
    QApplication::setWindowIcon(appIcon());
    installFontSubstitutes();
    // Before any window exists: Qt asks the factories when a screen reader
    // first looks at a widget.
    chart::installChartAccessibility();
}

} // namespace vorin
