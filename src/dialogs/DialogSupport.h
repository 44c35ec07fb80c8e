#pragma once

#include "widgets/WindowSupport.h"

#include <QPushButton>
#include <QString>
#include <string>
#include <string_view>

class QDialog;
class QWidget;

namespace vorin {

class HeadingLabel;

// Small pieces the three selection dialogs share: the fixed-size dialog
// frame, controls placed by pixel, headings in the program's style, and the
// passage of texts between the core (UTF-8) and Qt.

// A dialog border with the system menu and the close box only, a client area
// of the given size that the user cannot change, and the 11-pixel body face.
void setUpFixedDialog(QDialog &dialog, const QString &caption, int clientWidth, int clientHeight);

// A control of the given kind, named and placed within parent.
template <typename Control>
Control *placed(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(left, top, width, height);
    return control;
}

// A heading in the program's style (blue Times New Roman 23 px, olive
// shadow 4 px deep).
HeadingLabel *placedHeading(QWidget *parent, const char *name, const QString &text, int left,
                            int top, int width, int height);

QPushButton *placedButton(QWidget *parent, const char *name, const QString &text, int left, int top,
                          int width, int height);

} // namespace vorin
