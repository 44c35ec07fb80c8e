#pragma once

#include "platform/FileTypeRegistry.h"
#include "platform/SettingsFile.h"
#include "platform/Volumes.h"

#include <memory>

namespace vorin {

// The adapters of the platform being built, for the program and the report to
// start from without naming a platform: on Linux the mount table, the settings
// file in the user's configuration directory and the shared MIME database; on
// Windows the drive letters, vorin98.ini in the roaming application data and
// HKEY_CLASSES_ROOT.
[[nodiscard]] std::shared_ptr<const Volumes> makeSystemVolumes();
[[nodiscard]] std::unique_ptr<SettingsFile> makeUserSettingsFile();
[[nodiscard]] std::unique_ptr<FileTypeRegistry> makeSystemFileTypeRegistry();

} // namespace vorin
