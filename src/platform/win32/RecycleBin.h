#pragma once

#include "platform/Trash.h"

#include <string>

namespace vorin {

// The Recycle Bin, reached through the shell's own file operation so that
// Explorer lists the file with its original place and puts it back there.
// Where a drive keeps no bin the shell deletes for good instead, so a file is
// only handed over when its drive shows that it keeps one: a fixed drive
// (removable and network drives have none) whose bin is not turned off by
// the user or by policy, and for which the shell answers a query of its bin.
// A file too large for the bin would still be deleted for good without a
// word; the shell is told to ask the user instead, which is the one box this
// class may show.
//
// The operation runs on the calling thread; safe from one thread at a time.
class RecycleBin final : public Trash
{
public:
    [[nodiscard]] TrashOutcome moveToTrash(const std::string &path) override;
};

} // namespace vorin
