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

// The platform's save dialog; the empty text when the user cancelled.
[[nodiscard]] QString askSaveFileName(QWidget *parent, const SaveFileKind &kind,
                                      const QString &suggestedName);

// Writes a file whole or not at all: `write` fills a temporary file beside
// the target, which replaces the target only once complete, so a failure
// never leaves half a file or spoils the one that was there. `write` returns
// an empty text on success, else why it failed. A failure is told in an
// error box that names `what` ("picture", "table") and the path.
bool saveWhole(const QString &path, const QString &what,
               const std::function<QString(QIODevice &)> &write);

} // namespace vorin
