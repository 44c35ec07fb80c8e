#include "platform/History.h"

namespace vorin {

// A build without SQLite (the Windows cross build, where Debian has none to
// link): scans are counted as always and nothing is kept.

bool historyBuiltIn()
{
    return false;
}

std::unique_ptr<ScanHistory> openScanHistory(const std::string &)
{
    throw HistoryError("This build of Vorin 99 keeps no history of scans.");
}

} // namespace vorin
