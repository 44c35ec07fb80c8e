#include "platform/Volumes.h"

#include <algorithm>
#include <thread>

namespace vorin {

int walkThreadsFor(StorageKind kind, unsigned cores)
{
    const int perCore = static_cast<int>(std::clamp(cores, 1u, 64u));
    switch (kind) {
    case StorageKind::Rotational:
        // One thread's read waits at the disk while the other counts what
        // came; more would send the head to and fro between directories.
        return 2;
    case StorageKind::SolidState:
    case StorageKind::Virtual:
        // A cold walk waits on inode reads, not on the cores: several in
        // flight per core hide that wait.
        return std::clamp(4 * perCore, 8, 32);
    case StorageKind::Network:
        // A round trip to the server per inode; more of them overlap.
        return std::clamp(8 * perCore, 16, 32);
    case StorageKind::Memory:
    case StorageKind::Unknown:
        break;
    }
    return std::clamp(perCore, 1, 8);
}

int Volumes::walkThreads(char /*letter*/) const
{
    return walkThreadsFor(StorageKind::Unknown, std::thread::hardware_concurrency());
}

} // namespace vorin
