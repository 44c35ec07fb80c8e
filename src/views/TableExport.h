#pragma once

#include "support/LocaleSeparators.h"

#include <functional>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

namespace vorin {

class StringGrid;

// A table as the user reads it on a page: headings over rows of cell texts,
// the numbers written as the page shows them.
struct TextTable
{
    QStringList headings;
    QList<QStringList> rows;
    // The columns (from 0) that hold figures. In CSV their numbers lose the
    // thousands separators, so that a spreadsheet reads them as numbers.
    QList<int> numberColumns;
};

// For the clipboard: tab-separated text, the headings on the first line, one
// line per row, each ending in "\n", every cell exactly as shown. A cell that
// holds a tab, a line break or a double quote is put in double quotes with
// its quotes doubled, which is how spreadsheets read pasted cells.
[[nodiscard]] QString tabSeparated(const TextTable &table);

// For a file: CSV as RFC 4180 has it, in UTF-8 without a byte-order mark:
// the headings first, CRLF after every record, a field that holds a comma,
// a double quote, CR or LF in double quotes with its quotes doubled. The
// numbers of the number columns are written without thousands separators;
// every other cell as shown.
[[nodiscard]] QByteArray commaSeparated(const TextTable &table, const LocaleSeparators &locale);

// A number as the program writes it (an optional minus, digits grouped by the
// locale's thousands separator, an optional decimal part) without its
// thousands separators; any other text unchanged.
[[nodiscard]] QString plainNumber(const QString &cell, const LocaleSeparators &locale);

// The texts of a grid: the first row as the headings, then every other row
// that holds any text (an empty footer is left out).
[[nodiscard]] TextTable gridTable(const StringGrid &grid, const QList<int> &numberColumns);

// How one table of a page leaves the window: "Copy" puts it on the clipboard
// as tab-separated text, as Ctrl+C does while `owner` (or a child of it that
// has no use for the keys) has the focus; "Save as CSV…" writes it to a file
// the user picks. The table is read from `source` at the moment of the copy,
// so it is always what the page shows. The two actions sit in `menu()`, for
// a grid's right click, and can be added to any other menu. GUI thread; a
// child of `owner`.
class TableExport : public QObject
{
    Q_OBJECT

public:
    using Source = std::function<TextTable()>;

    // title: names the table in the file name offered, "File sizes" gives
    // "File sizes.csv".
    TableExport(QWidget *owner, const QString &title, Source source,
                const LocaleSeparators &locale);

    // For a page whose figures are labels: a right click anywhere on the page
    // that no child takes opens the menu, as the menu key or Shift+F10 does
    // while the page has the focus; a click on the page, or Tab, gives it the
    // focus (shown by a frame), so that Ctrl+C copies. A page not yet named
    // for a screen reader takes the table's title as its name.
    void offerOnPage();

    [[nodiscard]] TextTable table() const { return m_source(); }
    void copyTable() const;
    // Asks where to save (through the installed chooser) and writes the table
    // there. A cancelled choice writes nothing; a failed write leaves the
    // file as it was and tells the user. True when a file was written.
    bool saveTable();

    [[nodiscard]] QMenu *menu() const { return m_menu; }
    [[nodiscard]] QAction *copyAction() const { return m_copy; }
    [[nodiscard]] QAction *saveAction() const { return m_save; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The menu at a place of the owner, unless it is open already.
    void popUpMenu(const QPoint &position);

    QWidget *m_owner;
    QString m_title;
    Source m_source;
    const LocaleSeparators &m_locale;
    QMenu *m_menu = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_save = nullptr;
    bool m_onPage = false;
};

} // namespace vorin
