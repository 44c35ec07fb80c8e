#pragma once

#include "support/LocaleSeparators.h"
#include "support/TimeOfDay.h"

#include <string>
#include <vector>

namespace vorin {

class FileTypeRegistry;
class ScanHistory;
class SettingsFile;
class Volumes;

// What the windows need from the operating system, handed down from program
// entry (the real adapters) or from a test (the fakes). Not owned.
struct Services
{
    const Volumes &volumes;
    SettingsFile &settings;
    const FileTypeRegistry &registry;
    LocaleSeparators locale;
    int walkThreads = 0;          // 0: as suits each drive's storage (Volumes::walkThreads)
    TimeOfDayFormat timeFormat{}; // how the user writes a time of day, "%H:%M" unless told
    // The drives of the folders the program was started with: the wizard
    // opens with them selected. Empty: the drive of the current directory.
    std::vector<char> namedDrives{};
    // Where every complete scan is kept, and which the pages compare with;
    // nullptr keeps none (historyProblem then says why, if it is a fault).
    ScanHistory *history = nullptr;
    std::string historyProblem{};
};

} // namespace vorin
