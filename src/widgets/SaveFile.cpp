#include "widgets/SaveFile.h"

#include "platform/Messages.h"

#include <map>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace vorin {

namespace {

QString askWithDialog(QWidget *parent, const SaveFileKind &kind, const QString &suggestedName)
{
    // Remembered for this session, per kind of file.
    static std::map<QString, QString> lastFolders;
    QString &lastFolder = lastFolders[kind.title];
    if (lastFolder.isEmpty())
        lastFolder = QStandardPaths::writableLocation(kind.firstFolder);
    QFileDialog dialog(parent, kind.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(kind.nameFilter);
    dialog.setDefaultSuffix(kind.suffix);
    dialog.setDirectory(QDir(lastFolder).exists() ? lastFolder : QDir::homePath());
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    lastFolder = QFileInfo(path).absolutePath();
    return path;
}

SaveFileChooser &saveFileChooser()
{
    static SaveFileChooser chooser = askWithDialog;
    return chooser;
}

} // namespace

QString askSaveFileName(QWidget *parent, const SaveFileKind &kind, const QString &suggestedName)
{
    return saveFileChooser()(parent, kind, suggestedName);
}

SaveFileChooser installSaveFileChooser(SaveFileChooser chooser)
{
    SaveFileChooser previous = std::move(saveFileChooser());
    saveFileChooser() = chooser ? std::move(chooser) : SaveFileChooser(askWithDialog);
    return previous;
}

bool saveWhole(const QString &path, const QString &what,
               const std::function<QString(QIODevice &)> &write)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (reason = write(file); reason.isEmpty() && !file.commit())
        reason = file.errorString();
    if (reason.isEmpty())
        return true;
    showError(QStringLiteral("The %1 could not be saved as %2:\n%3")
                  .arg(what, QDir::toNativeSeparators(path), reason)
                  .toStdString());
    return false;
}

} // namespace vorin
