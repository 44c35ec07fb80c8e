#include "platform/System.h"

#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixSettingsFile.h"
#include "platform/posix/PosixVolumes.h"

namespace vorin {

std::shared_ptr<const Volumes> makeSystemVolumes()
{
    return std::make_shared<const PosixVolumes>();
}

std::unique_ptr<SettingsFile> makeUserSettingsFile()
{
    return PosixSettingsFile::forUser();
}

std::unique_ptr<FileTypeRegistry> makeSystemFileTypeRegistry()
{
    return std::make_unique<MimeRegistry>();
}

} // namespace vorin
