#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorin {

class FileTypeRegistry;
class SettingsFile;

// The readable name of a file type: the registry's description of the class
// registered for ext, else the class name, else "XYZ File" built from ext.
// "*." gives "No extension".
[[nodiscard]] std::string describeExtension(std::string_view ext, const FileTypeRegistry &registry);

// A type entry for a pattern such as "*.doc": the pattern, a TAB, its description.
[[nodiscard]] std::string makeTypeEntry(std::string_view pattern, const FileTypeRegistry &registry);

// The stored list of a section ("Include" or "Exclude") of the settings file,
// as type entries in key order. A file, section or count that is missing (or a
// file that cannot be read) gives the three defaults *.doc, *.exe, *.dll (not
// written back).
[[nodiscard]] std::vector<std::string> ReadStatFilesFromDisk(const SettingsFile &file,
                                                             std::string_view section,
                                                             const FileTypeRegistry &registry);

// Rewrites the section's "Number" and File1..FileN from the entries' patterns;
// everything else in the file stays as it was. Throws SettingsWriteError, also
// when the file is there but could not be read (then it is left untouched).
void WriteStatFilesToDisk(SettingsFile &file, const std::vector<std::string> &entries,
                          std::string_view section);

// The "Keep a history of scans" switch, [History] Keep=1 or Keep=0: on
// unless the file says 0 (a file that cannot be read keeps it on).
[[nodiscard]] bool ReadKeepHistory(const SettingsFile &file);
// Sets the switch and leaves everything else in the file as it was; throws
// SettingsWriteError as WriteStatFilesToDisk does.
void WriteKeepHistory(SettingsFile &file, bool keep);

} // namespace vorin
