#include "views/FileListModel.h"

#include "platform/TimeZone.h"
#include "support/DosTime.h"
#include "support/Utility.h"
#include "widgets/WindowSupport.h"

#include <algorithm>
#include <QDateTime>
#include <QIODevice>
#include <set>
#include <string>
#include <utility>

namespace vorin {
namespace {

// The user's zone, for the CSV's times.
const UtcOffsetSource &userZone()
{
    static const SystemTimeZone zone;
    return zone;
}

// Control characters have pictures of their own from U+2400 on; DEL's is U+2421.
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;

// Negative when a sorts before b: a-z as A-Z, then by byte value.
int compareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(asciiUpper(a[i]));
        const auto y = static_cast<unsigned char>(asciiUpper(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The attribute letters in the order the column shows them.
// A file's place in one column's order, as a number that compares as the
// column sorts: figures as they are (an unrecorded time is the least 64-bit
// number, so it sorts before every other going up), attribute letters and
// the first eight bytes of a text packed big-endian, a-z as A-Z. Sorting on
// these keys, side by side in one array, reads no file record for all but
// texts that begin alike; comparing records themselves would miss the
// processor's cache at nearly every step of a sort of a million files.
struct SortKey
{
    std::uint64_t value;
    std::uint32_t file;
};

// The first eight bytes of a text, folded, padded with zeros: no name or
// folder holds a NUL byte, so a shorter text sorts first, as compareFolded has it.
std::uint64_t textPrefix(std::string_view text)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const auto byte =
            i < text.size() ? static_cast<unsigned char>(asciiUpper(text[i])) : std::uint8_t{0};
        prefix = (prefix << 8) | byte;
    }
    return prefix;
}

std::uint64_t signedKey(std::int64_t value)
{
    // The sign bit flipped: unsigned order is then the signed order.
    return static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
}

std::uint64_t sortKey(int column, const KeptFile &file)
{
    switch (column) {
    case FileListModel::kName:
        return textPrefix(file.name);
    case FileListModel::kFolder:
        return textPrefix(file.folder);
    case FileListModel::kSize:
        return signedKey(file.size());
    case FileListModel::kModified:
        return signedKey(file.modified.seconds);
    case FileListModel::kAccessed:
        return signedKey(file.accessed.seconds);
    case FileListModel::kCreated:
        return signedKey(file.created.seconds);
    case FileListModel::kAttributes:
        return textPrefix(attributeLetters(file.facts.attributes));
    default:
        return 0;
    }
}

// The rows from first to last, as contiguous runs from the bottom up.
std::vector<std::pair<int, int>> runsFromTheBottom(const std::vector<int> &sortedRows)
{
    std::vector<std::pair<int, int>> runs;
    for (auto row = sortedRows.rbegin(); row != sortedRows.rend(); ++row) {
        if (!runs.empty() && runs.back().first == *row + 1)
            runs.back().first = *row;
        else
            runs.push_back({*row, *row});
    }
    return runs;
}

void appendCsvField(QByteArray &record, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        record.append(field.data(), static_cast<qsizetype>(field.size()));
        return;
    }
    record += '"';
    for (const char c : field) {
        if (c == '"')
            record += '"';
        record += c;
    }
    record += '"';
}

void appendCsvField(QByteArray &record, const QString &field)
{
    const QByteArray bytes = field.toUtf8();
    appendCsvField(record, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

} // namespace

FileListModel::FileListModel(std::vector<KeptFile> files, const LocaleSeparators &locale,
                             QObject *parent)
    : QAbstractTableModel(parent), m_separators(locale)
{
    setFiles(std::move(files));
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_files.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (index.column() == kSize ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ToolTipRole:
        // A long folder is cut off in its column; the whole path is a hover away.
        if (index.column() == kName || index.column() == kFolder)
            return readable(file(index.row()).path());
        return {};
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return heading(section);
    // A first click on a figure's heading shows the largest or latest first;
    // on a text's, A first.
    if (role == Qt::InitialSortOrderRole) {
        const bool figure =
            section == kSize || section == kModified || section == kAccessed || section == kCreated;
        return figure ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (section == kSize ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

QString FileListModel::heading(int column)
{
    static const char *const kHeadings[kColumnCount] = {
        "Name", "Folder", "Size", "Modified", "Accessed", "Created", "Attributes"};
    return column >= 0 && column < kColumnCount ? QString::fromLatin1(kHeadings[column])
                                                : QString();
}

QString FileListModel::cellText(int row, int column) const
{
    const KeptFile &f = file(row);
    switch (column) {
    case kName:
        return readable(f.name);
    case kFolder:
        return readable(f.folder);
    case kSize:
        return toQt(formatInt(f.size(), m_separators));
    case kModified:
        return timeText(f.modified);
    case kAccessed:
        return timeText(f.accessed);
    case kCreated:
        return timeText(f.created);
    case kAttributes:
        return attributeLetters(f.facts.attributes);
    default:
        return {};
    }
}

QString FileListModel::timeText(FileTime time) const
{
    if (!time.recorded())
        return {};
    const QDateTime local = QDateTime::fromSecsSinceEpoch(time.seconds);
    return local.isValid() ? m_locale.toString(local, QLocale::ShortFormat) : QString();
}

QString FileListModel::readable(std::string_view bytes)
{
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
    });
    if (plain)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x20) {
            text += QChar(char16_t(kControlPictures + byte));
            ++at;
        } else if (byte == 0x7F) {
            text += QChar(kDeletePicture);
            ++at;
        } else if (const std::size_t length = utf8SequenceLength(bytes, at); length > 0) {
            text += QString::fromUtf8(bytes.data() + at, static_cast<qsizetype>(length));
            at += length;
        } else {
            text += QChar(QChar::ReplacementCharacter);
            ++at;
        }
    }
    return text;
}

QString FileListModel::attributeLetters(std::uint32_t attributes)
{
    return QString::fromLatin1(vorin::attributeLetters(attributes));
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumnCount)
        return;
    if (m_files.size() < 2)
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<SortKey> keys(m_files.size());
    for (std::uint32_t file = 0; file < keys.size(); ++file)
        keys[file] = {sortKey(column, m_files[file]), file};
    const bool text = column == kName || column == kFolder;
    const auto precedes = [this, column, text](const SortKey &a, const SortKey &b) {
        if (a.value != b.value)
            return a.value < b.value;
        if (!text)
            return false;
        const KeptFile &x = m_files[a.file];
        const KeptFile &y = m_files[b.file];
        return column == kName ? compareFolded(x.name, y.name) < 0
                               : compareFolded(x.folder, y.folder) < 0;
    };
    if (order == Qt::DescendingOrder)
        std::stable_sort(keys.begin(), keys.end(), [&precedes](const SortKey &a, const SortKey &b) {
            return precedes(b, a);
        });
    else
        std::stable_sort(keys.begin(), keys.end(), precedes);

    std::vector<KeptFile> sorted;
    sorted.reserve(m_files.size());
    std::vector<int> newRowOf(m_files.size());
    for (std::size_t row = 0; row < keys.size(); ++row) {
        sorted.push_back(std::move(m_files[keys[row].file]));
        newRowOf[keys[row].file] = static_cast<int>(row);
    }
    m_files = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << createIndex(newRowOf[static_cast<std::size_t>(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::setFiles(std::vector<KeptFile> files)
{
    beginResetModel();
    m_files = std::move(files);
    endResetModel();
    sort(kSize, Qt::DescendingOrder);
}

std::vector<KeptFile> FileListModel::takeRows(std::vector<int> rows)
{
    const int count = rowCount();
    std::erase_if(rows, [count](int row) { return row < 0 || row >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    // Each file is taken only once its removal is announced: until then the
    // view may still read it.
    std::vector<KeptFile> taken(rows.size());
    const auto take = [this, &rows, &taken](int row) {
        const auto at = std::lower_bound(rows.begin(), rows.end(), row) - rows.begin();
        taken[static_cast<std::size_t>(at)] = std::move(m_files[static_cast<std::size_t>(row)]);
    };

    // A few runs of rows go one run at a time, which keeps the view where it
    // is; many would cost a pass over the list each, so they go in one.
    constexpr std::size_t kMostRuns = 32;
    const std::vector<std::pair<int, int>> runs = runsFromTheBottom(rows);
    if (runs.size() <= kMostRuns) {
        for (const auto &[first, last] : runs) {
            beginRemoveRows({}, first, last);
            for (int row = first; row <= last; ++row)
                take(row);
            m_files.erase(m_files.begin() + first, m_files.begin() + last + 1);
            endRemoveRows();
        }
    } else {
        beginResetModel();
        std::vector<bool> gone(m_files.size(), false);
        for (const int row : rows) {
            take(row);
            gone[static_cast<std::size_t>(row)] = true;
        }
        std::size_t kept = 0;
        for (std::size_t row = 0; row < m_files.size(); ++row)
            if (!gone[row])
                m_files[kept++] = std::move(m_files[row]);
        m_files.resize(kept);
        endResetModel();
    }
    return taken;
}

std::vector<KeptFile> FileListModel::forget(const std::vector<KeptFile> &gone)
{
    std::set<std::pair<std::string_view, std::string_view>> paths;
    for (const KeptFile &f : gone)
        paths.insert({f.folder, f.name});
    std::vector<int> rows;
    for (std::size_t row = 0; row < m_files.size(); ++row)
        if (paths.contains({m_files[row].folder, m_files[row].name}))
            rows.push_back(static_cast<int>(row));
    return takeRows(std::move(rows));
}

QByteArray fileListCsvRecord(const KeptFile &file)
{
    return fileListCsvRecord(file, userZone());
}

QByteArray fileListCsvRecord(const KeptFile &file, const UtcOffsetSource &zone)
{
    QByteArray record;
    appendCsvField(record, file.name);
    record += ',';
    appendCsvField(record, file.folder);
    record += ',';
    record += QByteArray::number(static_cast<qlonglong>(file.size()));
    for (const FileTime time : {file.modified, file.accessed, file.created}) {
        record += ',';
        appendCsvField(record, QString::fromLatin1(isoLocalTime(time, zone)));
    }
    record += ',';
    appendCsvField(record, FileListModel::attributeLetters(file.facts.attributes));
    return record;
}

QString writeFileListCsv(const std::vector<KeptFile> &files, QIODevice &device)
{
    constexpr qsizetype kPiece = 1 << 16;
    QByteArray piece;
    for (int column = 0; column < FileListModel::kColumnCount; ++column) {
        if (column > 0)
            piece += ',';
        appendCsvField(piece, FileListModel::heading(column));
    }
    piece += "\r\n";
    const auto flush = [&device, &piece] {
        const bool written = device.write(piece) == piece.size();
        piece.clear();
        return written;
    };
    // Three times a file, for lists of every file: through a cache of the
    // zone's offsets, made for this one list.
    const CachedUtcOffsets zone(userZone());
    for (const KeptFile &file : files) {
        piece += fileListCsvRecord(file, zone);
        piece += "\r\n";
        if (piece.size() >= kPiece && !flush())
            return device.errorString();
    }
    if (!flush())
        return device.errorString();
    return {};
}

} // namespace vorin
