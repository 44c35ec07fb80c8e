#include "views/Sortgrid.h"

#include "support/Utility.h"
#include "widgets/StringGrid.h"

#include <algorithm>
#include <QStringList>
#include <utility>
#include <vector>

namespace vorin {
namespace {

template <typename Key> struct IndexEntry
{
    int row = 0;
    Key key{};
};

template <typename Key> using Index = std::vector<IndexEntry<Key>>;

// A handful of text keys is put in order by exchange passes: cheaper than
// another partition for so few rows.
constexpr int kExchangeBelow = 5;

enum class SmallRanges { ExchangePasses, NeedNothing };

template <typename Key, typename Before>
void exchangePasses(Index<Key> &index, int lo, int hi, const Before &before)
{
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int k = lo; k < hi; ++k) {
            auto &left = index[static_cast<std::size_t>(k)];
            auto &right = index[static_cast<std::size_t>(k + 1)];
            if (before(right.key, left.key)) {
                std::swap(left, right);
                swapped = true;
            }
        }
    }
}

// Quicksort over positions lo..hi of the index. The smaller part of each
// partition is sorted by a call, the larger by the next turn of the loop, so
// the depth of the calls stays logarithmic even for keys that split badly.
template <typename Key, typename Before>
void quickSort(Index<Key> &index, int lo, int hi, const Before &before, SmallRanges small)
{
    const auto key = [&index](int position) -> const Key & {
        return index[static_cast<std::size_t>(position)].key;
    };
    for (;;) {
        if (small == SmallRanges::ExchangePasses) {
            if (hi - lo < kExchangeBelow) {
                exchangePasses(index, lo, hi, before);
                return;
            }
        } else if (lo >= hi) {
            return;
        }
        const Key pivot = key((lo + hi) / 2);
        int i = lo;
        int j = hi;
        while (i <= j) {
            while (before(key(i), pivot))
                ++i;
            while (before(pivot, key(j)))
                --j;
            if (i <= j) {
                std::swap(index[static_cast<std::size_t>(i)], index[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (j - lo < hi - i) {
            quickSort(index, lo, j, before, small);
            lo = i;
        } else {
            quickSort(index, i, hi, before, small);
            hi = j;
        }
    }
}

// Builds the index of the rows first..last, sorts it, and rebuilds the rows in
// the index's order. `keyOf` turns a cell text into its key.
template <typename KeyOf, typename Less>
void sortRows(StringGrid &grid, int firstRow, int lastRow, bool descending, int column,
              SmallRanges small, const KeyOf &keyOf, const Less &less)
{
    const int first = std::max(firstRow, 0);
    const int last = std::min(lastRow, grid.rowCount() - 1);
    if (last - first < 1)
        return;

    using Key = decltype(keyOf(QString()));
    Index<Key> index;
    index.reserve(static_cast<std::size_t>(last - first + 1));
    for (int row = first; row <= last; ++row)
        index.push_back({row, keyOf(grid.cell(column, row))});

    const int hi = last - first;
    if (descending)
        quickSort(
            index, 0, hi, [&less](const Key &a, const Key &b) { return less(b, a); }, small);
    else
        quickSort(index, 0, hi, less, small);

    std::vector<QStringList> scratch;
    scratch.reserve(index.size());
    for (int row = first; row <= last; ++row)
        scratch.push_back(grid.rowTexts(row));
    for (std::size_t k = 0; k < index.size(); ++k)
        grid.setRowTexts(first + static_cast<int>(k),
                         scratch[static_cast<std::size_t>(index[k].row - first)]);
}

} // namespace

std::string stripCommas(std::string_view text, const LocaleSeparators &locale)
{
    const std::string_view separator = locale.thousands;
    if (separator.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, separator.size(), separator) == 0) {
            i += separator.size();
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

void sortGridText(StringGrid &grid, int firstRow, int lastRow, bool descending, int column)
{
    // UTF-8 compared byte by byte (as unsigned bytes, which std::string does)
    // orders texts by their character codes.
    const auto keyOf = [](const QString &text) { return asciiUpper(text.toStdString()); };
    const auto less = [](const std::string &a, const std::string &b) { return a < b; };
    sortRows(grid, firstRow, lastRow, descending, column, SmallRanges::ExchangePasses, keyOf, less);
}

void sortGridNumeric(StringGrid &grid, int firstRow, int lastRow, bool descending, int column,
                     const LocaleSeparators &locale)
{
    const auto keyOf = [&locale](const QString &text) {
        return strToFloatZero(stripCommas(text.toStdString(), locale), locale);
    };
    const auto less = [](double a, double b) { return a < b; };
    sortRows(grid, firstRow, lastRow, descending, column, SmallRanges::NeedNothing, keyOf, less);
}

} // namespace vorin
