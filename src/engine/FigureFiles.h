#pragma once

#include "engine/Figures.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// How many of its largest files each figure keeps during a scan.
inline constexpr std::size_t kKeptPerFigure = 200;

struct KeepOptions
{
    // The files kept per figure: the largest (by wasted bytes for the overhang).
    std::size_t perFigure = kKeptPerFigure; // 0 keeps none but still counts the totals
    // Keep only this figure's files; with perFigure unlimited, every one of them.
    std::optional<Figure> only;
};

inline constexpr std::size_t kEveryFile = std::numeric_limits<std::size_t>::max();

// The largest files of every figure of a run. The bookkeeping offers each
// counted file through keep(). A walk of one thread keeps them in the drive's
// store directly; the threads of a walk of several each count their totals
// in a store of their own and pass the files that may be among the largest
// on to the drive's, in batches under a lock (share), so that each file is
// kept once whatever the threads. The drives' stores are merged into the run's.
//
// Costs: per file, a comparison with the floor of each list the file is in
// (the smallest of its kept files) and the list of its type by its line;
// work only for a file that beats one. Memory is bounded by the lists times
// perFigure: a file is stored once however many lists hold it, its folder
// once in a table its files point into, names as their bytes in one buffer
// that is compacted when evicted names take more room than the live ones.
// Not thread-safe but as share() says.
class FigureFiles
{
public:
    explicit FigureFiles(KeepOptions options = {});
    ~FigureFiles();
    FigureFiles(FigureFiles &&) noexcept;
    FigureFiles &operator=(FigureFiles &&) noexcept;
    FigureFiles(const FigureFiles &) = delete;
    FigureFiles &operator=(const FigureFiles &) = delete;

    // An empty store that keeps as this one does.
    [[nodiscard]] FigureFiles emptyLike() const;

    // One counted file of directory; typeKey is its line's key when
    // facts.typed, typeLine that line's place among the typeLines lines of
    // the counting thread's record (which finds the type's list without a
    // search; -1 when not known).
    void keep(std::string_view directory, const DirectoryEntry &entry, const FileFacts &facts,
              std::string_view typeKey, int typeLine = -1, std::size_t typeLines = 0);
    // Takes other's kept files and totals as if they had been offered here.
    void merge(const FigureFiles &other);
    // The same, taking other's store whole when this one is empty.
    void merge(FigureFiles &&other);

    // Makes this a walking thread's store for a store the walk's threads
    // share: the totals are counted here (merge adds them there), and a file
    // that may be among the largest goes there under `lock`, in batches, so
    // that the threads keep each file once and no thread a list of its own.
    void share(FigureFiles &shared, std::mutex &lock);
    // Passes the files still on their way on to the shared store.
    void flush();

    // The kept files of a figure, largest first (the overhang's by wasted
    // bytes), ties by folder and name.
    [[nodiscard]] std::vector<KeptFile> files(const Figure &figure) const;
    // The files and bytes of the figure over everything offered here (and
    // not forgotten): the page's figure, and the bytes of a half hour too.
    [[nodiscard]] FigureTotal total(const Figure &figure) const;
    // Takes the file out of every list and every total (after it went to
    // the trash); false when no list held it.
    bool forget(const KeptFile &file);

    // Kept files, each counted once; and the bytes the store holds.
    [[nodiscard]] std::size_t keptCount() const;
    [[nodiscard]] std::size_t memoryUse() const;
    void clear();

private:
    void mergeFiles(const FigureFiles &other);

    struct Store;
    std::unique_ptr<Store> m_store;
};

} // namespace vorin
