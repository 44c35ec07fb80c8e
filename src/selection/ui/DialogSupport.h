#pragma once

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

[[nodiscard]] inline QString toQt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

[[nodiscard]] inline std::string toUtf8(const QString &text)
{
    return text.toStdString();
}

// A dialog border with the system menu and the close box only, a client area
// of the given size that the user cannot change, and the 11-pixel body face.
void setUpFixedDialog(QDialog &dialog, const QString &caption, int clientWidth, int clientHeight);

// Puts a top-level window in the middle of the screen it is about to appear
// on (its parent's, else the primary one). Call from the first show event.
void centreOnScreen(QWidget &window);

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
