#pragma once

#include <functional>
#include <QStandardPaths>
#include <QString>

class QIODevice;
class QWidget;

namespace vorin {

// What the program's save dialog asks: its title, the filter of the files it
// shows, the suffix added to a bare name, and the folder it opens in the
// first time (later it opens where the user last saved this kind of file).
struct SaveFileKind
{
    QString title;
    QString nameFilter;
    QString suffix;
    QStandardPaths::StandardLocation firstFolder = QStandardPaths::DocumentsLocation;
};

// Asks the user where to save a file of `kind`, suggesting `suggestedName`;
// the empty text when the user cancelled.
using SaveFileChooser =
    std::function<QString(QWidget *parent, const SaveFileKind &kind, const QString &suggestedName)>;

// Asks through the installed chooser: the platform's save dialog, unless a
// test installed one that answers at once. Every save of the program asks
// here, so no test ever waits on a dialog.
[[nodiscard]] QString askSaveFileName(QWidget *parent, const SaveFileKind &kind,
                                      const QString &suggestedName);

// Installs the chooser askSaveFileName asks and returns the one it replaces;
// an empty one puts the platform's dialog back.
SaveFileChooser installSaveFileChooser(SaveFileChooser chooser);

// Writes a file whole or not at all: `write` fills a temporary file beside
// the target, which replaces the target only once complete, so a failure
// never leaves half a file or spoils the one that was there. `write` returns
// an empty text on success, else why it failed. A failure is told in an
// error box that names `what` ("picture", "table") and the path.
bool saveWhole(const QString &path, const QString &what,
               const std::function<QString(QIODevice &)> &write);

} // namespace vorin
