#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorin {

class FileTypeRegistry;
class PickList;

// The patterns of every extension the file-type register knows that has at
// most four characters after its dot ("*.doc", "*.html"; ".class" is left
// out), sorted without regard to letter case; "*.*" first when withAll.
[[nodiscard]] std::vector<std::string> listRegisteredExtensions(const FileTypeRegistry &registry,
                                                                bool withAll);

// The extension picker: the user types one extension or picks one or more
// rows from the register's extensions, each shown with its description.
// Created, shown modally and freed by the list editor for one "Add", which
// then reads the public results. Every description is looked up when the
// dialog is first shown (one register lookup per extension; a few hundred
// rows go into the list in one batch). GUI thread only.
class TfrmSelectExtension : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmSelectExtension(const FileTypeRegistry &registry, QWidget *parent = nullptr);
    ~TfrmSelectExtension() override;

    // The results, read after the dialog ended with OK.
    // More than one row was selected; the rows are in selectedRows().
    bool severalChosen = false;
    // The typed text made into a pattern ("doc" gives "*.doc"); empty when
    // the text was refused ("*.*", ".*", "*").
    QString chosenPattern;
    QString chosenDescription;

    // The selected rows (type entries: pattern, TAB, description) in row order.
    [[nodiscard]] QStringList selectedRows() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void lBoxClick(int index);
    void cbWildCardChange(const QString &text);
    // Returns whether a single pattern was taken, which is when a double
    // click on the list ends the dialog.
    bool BitBtn1Click();

    const FileTypeRegistry &m_registry;
    bool m_shownBefore = false;

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QComboBox *cbWildCard = nullptr;
    QLabel *lblWild = nullptr;
    PickList *lBox = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;
};

} // namespace vorin
