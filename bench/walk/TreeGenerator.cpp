// Builds the benchmark tree of the directory walk: 300,000 files in 15,000
// directories, up to eight levels deep, with sparse files of sizes across
// every size band and times across six years. The same seed gives the same
// tree on every machine (the random numbers are our own, not the library's).
//
// usage: vorin-walk-gen DIR [FILES [DIRECTORIES]]

#include "walk/TreeShape.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using vorin::bench::fileSize;
using vorin::bench::kExtensions;
using vorin::bench::SplitMix64;

constexpr int kExtensionCount = sizeof kExtensions / sizeof kExtensions[0];

void fail(const std::string &what)
{
    std::fprintf(stderr, "vorin-walk-gen: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorin-walk-gen DIR [FILES [DIRECTORIES]]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 300000;
    const long directories = argc > 3 ? std::atol(argv[3]) : 15000;
    if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST)
        fail(root);

    SplitMix64 random{19980101};
    const std::int64_t now = 1780000000; // fixed, so the tree's ages are the same everywhere
    std::vector<std::string> paths = {root};
    std::vector<int> depth = {0};
    for (long d = 1; d < directories; ++d) {
        // A parent among the directories made so far that is not too deep;
        // recent ones are favoured so that the tree grows downwards too.
        std::size_t parent;
        do {
            parent = random.below(4) == 0
                         ? random.below(paths.size())
                         : paths.size() - 1 - random.below(std::min<std::size_t>(paths.size(), 50));
        } while (depth[parent] >= 8);
        char name[32];
        std::snprintf(name, sizeof name, "/dir%05ld", d);
        paths.push_back(paths[parent] + name);
        depth.push_back(depth[parent] + 1);
        if (::mkdir(paths.back().c_str(), 0755) != 0 && errno != EEXIST)
            fail(paths.back());
    }
    for (long f = 0; f < files; ++f) {
        const std::string &dir = paths[random.below(paths.size())];
        char name[48];
        std::snprintf(name, sizeof name, "/file%06ld%s", f,
                      kExtensions[random.below(kExtensionCount)]);
        const std::string path = dir + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            fail(path);
        if (::ftruncate(fd, fileSize(random)) != 0)
            fail(path);
        const std::int64_t access = now - std::int64_t(random.below(6 * 365 * 86400ULL));
        const std::int64_t write = now - std::int64_t(random.below(6 * 365 * 86400ULL));
        const timespec times[2] = {{access, 0}, {write, 0}};
        if (::futimens(fd, times) != 0)
            fail(path);
        ::close(fd);
    }
    // Marks a finished tree, so that a later run can reuse it.
    const std::string marker = root + "/.vorin-walk-tree";
    FILE *out = std::fopen(marker.c_str(), "w");
    if (!out)
        fail(marker);
    std::fprintf(out, "%ld files in %ld directories\n", files, directories);
    std::fclose(out);
    return 0;
}
