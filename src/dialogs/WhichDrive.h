#pragma once

#include "widgets/PickList.h"

#include <functional>
#include <QDialog>
#include <QString>
#include <vector>

class QFrame;
class QMenu;
class QPushButton;
class QRadioButton;

namespace vorin {

class FileTypeRegistry;
class HeadingLabel;
class SettingsFile;
class TfrmStatList;
class Volumes;

// The wizard shown before every statistics run: which drives to scan, then
// whether to count all files, only chosen types or all but chosen types, then
// the types from the stored "Include" or "Exclude" list, which the user can
// edit on the way. Three panels in one fixed window, one visible at a time.
//
// The caller creates it, runs exec() and, after Accepted, reads the selected
// rows of pckDrive, the three mode flags and (unless allFiles) the selected
// rows of PickList1; then frees it. GUI thread only.
class TfrmWhichDrive : public QDialog
{
    Q_OBJECT

public:
    TfrmWhichDrive(const Volumes &volumes, SettingsFile &settings, const FileTypeRegistry &registry,
                   QWidget *parent = nullptr);
    ~TfrmWhichDrive() override;

    // The mode: "&All files", "&Selected file types only" or
    // "All files &except selected file types".
    bool allFiles = false;
    bool includeTypes = false;
    bool excludeTypes = false;
    // The drive entries; the selected ones are to be scanned.
    PickList *pckDrive = nullptr;
    // The type entries of the stored list; the selected ones are the chosen types.
    PickList *PickList1 = nullptr;

    // Drives (lower-case letters) to select when the wizard opens instead of
    // the current directory's: those of the folders the program was started with.
    std::vector<char> namedDrives;

    // Runs the list editor that "&Add/Delete" has made and returns its
    // result; exec() unless replaced (tests drive the editor without a nested
    // event loop).
    std::function<int(TfrmStatList &)> runListEditor;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();
    void showPanel(QFrame *panel);
    void loadTypes(const QString &section);

    void pckDriveClick();
    void btNext1Click();
    void btPrior2Click();
    void btNext2Click();
    void PickList1Click();
    void btEditClick();
    void btPrior3Click();
    void btOKClick();

    const Volumes &m_volumes;
    SettingsFile &m_settings;
    const FileTypeRegistry &m_registry;
    bool m_shownBefore = false;

    QFrame *Panel1 = nullptr;
    HeadingLabel *EsLabel1 = nullptr;
    QPushButton *btCancel1 = nullptr;
    QPushButton *btNext1 = nullptr;
    QMenu *PopupMenu1 = nullptr;

    QFrame *Panel2 = nullptr;
    HeadingLabel *EsLabel3 = nullptr;
    QRadioButton *rbAll = nullptr;
    QRadioButton *rbInclude = nullptr;
    QRadioButton *rbExclude = nullptr;
    QPushButton *btPrior2 = nullptr;
    QPushButton *btNext2 = nullptr;

    QFrame *Panel3 = nullptr;
    HeadingLabel *lblSelect = nullptr;
    HeadingLabel *lblOf = nullptr;
    QPushButton *btEdit = nullptr;
    QPushButton *btPrior3 = nullptr;
    QPushButton *btOK = nullptr;
    QMenu *PopupMenu2 = nullptr;
};

} // namespace vorin
