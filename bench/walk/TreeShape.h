#pragma once

// What the walk's benchmark tree is made of, for the generator and for the
// benchmarks that make the same files up in memory: our own random numbers
// (the same on every machine, where the library's are not) and the sizes.

#include <cstdint>

namespace vorin::bench {

struct SplitMix64
{
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
};

// The files' types, one drawn for each file.
inline constexpr const char *kExtensions[] = {
    ".txt", ".c",    ".h",  ".cpp",  ".o",   ".so", ".png", ".jpg", ".doc",   ".pdf",
    "",     ".html", ".js", ".json", ".mp3", ".gz", ".py",  ".md",  ".class", ".xml"};

// Mostly small files, as on a real disk, with a tail up to 64 MB.
inline std::int64_t fileSize(SplitMix64 &random)
{
    const int band = static_cast<int>(random.below(100));
    int bits;
    if (band < 55)
        bits = 12;
    else if (band < 80)
        bits = 16;
    else if (band < 95)
        bits = 20;
    else
        bits = 26;
    return static_cast<std::int64_t>(random.below(std::uint64_t(1) << bits));
}

} // namespace vorin::bench
