#include "dialogs/DialogSupport.h"

#include "widgets/FontSubstitutes.h"
#include "widgets/HeadingLabel.h"

#include <QDialog>

namespace vorin {

void setUpFixedDialog(QDialog &dialog, const QString &caption, int clientWidth, int clientHeight)
{
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(clientWidth, clientHeight);
    dialog.setSizeGripEnabled(false);
    dialog.setFont(dialogFont(11));
}

HeadingLabel *placedHeading(QWidget *parent, const char *name, const QString &text, int left,
                            int top, int width, int height)
{
    auto *heading = placed<HeadingLabel>(parent, name, left, top, width, height);
    heading->applyHeadingStyle(23);
    // Lettering and shadow need 30 pixels and the headings get 27: from the
    // top, only the shadow under descenders is cut, never the letters.
    heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    heading->setText(text);
    return heading;
}

QPushButton *placedButton(QWidget *parent, const char *name, const QString &text, int left, int top,
                          int width, int height)
{
    auto *button = placed<QPushButton>(parent, name, left, top, width, height);
    button->setText(text);
    return button;
}

} // namespace vorin
