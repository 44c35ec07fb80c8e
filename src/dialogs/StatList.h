#pragma once

#include <functional>
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace vorin {

class FileTypeRegistry;
class HeadingLabel;
class PickList;
class SettingsFile;
class TfrmSelectExtension;

// The editor of one stored list of file types, "Include" or "Exclude". It
// loads the section when shown, keeps every change in its own list, and
// writes the whole list back when the user presses Close (or Escape); the
// close box throws the changes away. Created, shown modally and freed by the
// drive wizard, which reloads the section afterwards whatever the result.
// GUI thread only.
class TfrmStatList : public QDialog
{
    Q_OBJECT

public:
    TfrmStatList(SettingsFile &settings, const FileTypeRegistry &registry, QString section,
                 QWidget *parent = nullptr);
    ~TfrmStatList() override;

    // The section of the settings file being edited: "Include" or "Exclude".
    QString sectionName;

    // Runs the extension picker that "&Add" has made and returns its result;
    // exec() unless replaced (tests drive the picker without a nested loop).
    std::function<int(TfrmSelectExtension &)> runPicker;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void btAddClick();
    void btDeleteClick();
    void btClearClick();
    void btCloseClick();
    void showCount();
    // Adds entry unless the list holds the same text, letter case ignored.
    void addUnlessPresent(const QString &entry);

    SettingsFile &m_settings;
    const FileTypeRegistry &m_registry;
    bool m_shownBefore = false;

    HeadingLabel *Label1 = nullptr;
    HeadingLabel *lblCount = nullptr;
    PickList *PickList1 = nullptr;
    QPushButton *btAdd = nullptr;
    QPushButton *btDelete = nullptr;
    QPushButton *btClear = nullptr;
    QPushButton *btClose = nullptr;
    QLabel *Label2 = nullptr;
};

} // namespace vorin
