// The yardstick of the directory walk: the least a walker of one thread can do
// to learn the size and times of every file below a directory. It lists each
// directory with getdents64 into one buffer per level and asks statx for each
// name that is not a directory, relative to the directory's descriptor, with
// the fields the statistics need; it enters real directories (not hidden ones,
// not other file systems) through openat2 as the walk does. Nothing else: no
// bookkeeping but a file count and a byte sum, no hard-link record, no path
// text. vorin-report --threads 1 makes the same system calls per file, so the
// distance between the two is the cost of the walk's own work.
//
// usage: vorin-walk-limit DIR     prints "FILES BYTES"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kBufferBytes = 32 * 1024;
constexpr unsigned kFileMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                               STATX_BTIME | STATX_NLINK | STATX_INO;
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

struct Totals
{
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::uint64_t times = 0; // keeps the times the statx returns from being ignored
};

int openChild(int parent, const char *name)
{
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, parent, name, &how, sizeof how));
}

void walk(int dir, std::vector<std::vector<char>> &buffers, std::size_t depth, Totals &totals)
{
    if (buffers.size() <= depth)
        buffers.emplace_back(kBufferBytes);
    for (;;) {
        char *const data = buffers[depth].data();
        const long n = ::syscall(SYS_getdents64, dir, data, kBufferBytes);
        if (n <= 0)
            return;
        for (long offset = 0; offset < n;) {
            const auto *record = reinterpret_cast<const struct dirent64 *>(data + offset);
            offset += record->d_reclen;
            const char *name = record->d_name;
            if (record->d_type == DT_DIR) {
                if (name[0] == '.')
                    continue; // ".", ".." and hidden directories
                const int child = openChild(dir, name);
                if (child >= 0) {
                    walk(child, buffers, depth + 1, totals);
                    ::close(child);
                }
                // buffers may have grown, but this level's bytes stay where
                // they were: a moved vector keeps its storage.
                continue;
            }
            struct statx sx;
            if (::statx(dir, name, kStatFlags, kFileMask, &sx) == 0) {
                ++totals.files;
                totals.bytes += sx.stx_size;
                totals.times += static_cast<std::uint64_t>(sx.stx_mtime.tv_sec) ^
                                static_cast<std::uint64_t>(sx.stx_atime.tv_sec);
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorin-walk-limit DIR\n");
        return 2;
    }
    const int root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        std::fprintf(stderr, "vorin-walk-limit: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    std::vector<std::vector<char>> buffers;
    Totals totals;
    walk(root, buffers, 0, totals);
    ::close(root);
    std::printf("%llu %llu %llu\n", static_cast<unsigned long long>(totals.files),
                static_cast<unsigned long long>(totals.bytes),
                static_cast<unsigned long long>(totals.times & 1));
    return 0;
}
