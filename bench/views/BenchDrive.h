#pragma once

#include "platform/fake/FakeVolumes.h"
#include "support/Utility.h"

#include <string>

namespace vorin {

// The benchmarks' one drive: c: [bench], a fixed disk over the generated
// tree, the drive the window starts on.
inline void addBenchDrive(FakeVolumes &volumes, const std::string &root)
{
    Volume tree;
    tree.letter = 'c';
    tree.type = kDriveFixed;
    tree.root = root;
    tree.label = "bench";
    volumes.add(tree, DiskSpace{1e9, 1e10}, 4096);
    volumes.setCurrentDrive('c');
}

} // namespace vorin
