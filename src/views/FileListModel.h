#pragma once

#include "engine/FigureFiles.h"
#include "support/LocaleSeparators.h"

#include <cstdint>
#include <QAbstractTableModel>
#include <QByteArray>
#include <QLocale>
#include <QString>
#include <string_view>
#include <vector>

class QIODevice;

namespace vorin {

class UtcOffsetSource;

// The files of a list window as a table: name, folder, size, the three
// times and the attribute letters. The files are held in the order shown,
// one record each and nothing per row besides, so a list of millions costs
// their records and no more; a cell's text is made only when the view asks
// for it. GUI thread.
//
// Sorting is stable, so a file keeps its place among its equals and the
// column sorted before orders them. Sizes sort as numbers, times by the
// instant (an unrecorded time before every other), attributes by their
// letters, and names and folders as the file-type table sorts its texts:
// a-z as A-Z, then byte by byte. That order needs no locale lookup per
// comparison and is the same for names that are not UTF-8; a sort works on
// a compact key per file and moves each record once, so a million files
// sort in about a second.
class FileListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column : int {
        kName,
        kFolder,
        kSize,
        kModified,
        kAccessed,
        kCreated,
        kAttributes,
        kColumnCount
    };

    // Shown largest first.
    FileListModel(std::vector<KeptFile> files, const LocaleSeparators &locale,
                  QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    [[nodiscard]] const std::vector<KeptFile> &files() const { return m_files; }
    [[nodiscard]] const KeptFile &file(int row) const
    {
        return m_files[static_cast<std::size_t>(row)];
    }
    // The cell's text as the table shows it.
    [[nodiscard]] QString cellText(int row, int column) const;

    // Shows these files instead, largest first.
    void setFiles(std::vector<KeptFile> files);
    // Takes the files of these rows out of the list, in any order and with
    // repeats, and gives them back in the order they were shown.
    std::vector<KeptFile> takeRows(std::vector<int> rows);
    // Takes out every file that has the folder and name of one of `gone`,
    // and gives back those it held, in the order they were shown.
    std::vector<KeptFile> forget(const std::vector<KeptFile> &gone);

    // The headings as the table and its CSV give them.
    [[nodiscard]] static QString heading(int column);
    // Bytes of any kind made readable: UTF-8 as it is, every byte outside a
    // well-formed sequence as U+FFFD, and every control character as its
    // picture ("␊" for a line feed) so that a name stays on one line.
    [[nodiscard]] static QString readable(std::string_view bytes);
    // "RHSA", each letter when its attribute is set.
    [[nodiscard]] static QString attributeLetters(std::uint32_t attributes);

private:
    [[nodiscard]] QString timeText(FileTime time) const;

    std::vector<KeptFile> m_files;
    LocaleSeparators m_separators;
    QLocale m_locale; // the user's, for dates and times
};

// The list as a CSV file, as RFC 4180 has it: the headings, then one record
// per file in `files`' order, CRLF after each. A field that holds a comma, a
// double quote, CR or LF is put in double quotes with its quotes doubled.
// Names and folders are written as their bytes, sizes as plain digits, times
// in ISO 8601 local time with the offset from UTC (2024-03-05T14:07:00+01:00)
// and empty when not recorded. Written in pieces, never the whole list at
// once; an empty text on success, else why the device would not take it.
[[nodiscard]] QString writeFileListCsv(const std::vector<KeptFile> &files, QIODevice &device);
// One file's record, without its line end.
[[nodiscard]] QByteArray fileListCsvRecord(const KeptFile &file);
[[nodiscard]] QByteArray fileListCsvRecord(const KeptFile &file, const UtcOffsetSource &zone);

} // namespace vorin
