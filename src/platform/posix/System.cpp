#include "platform/System.h"

#include "platform/posix/FreedesktopTrash.h"
#include "platform/posix/MimeRegistry.h"
#include "platform/posix/PosixSettingsFile.h"
#include "platform/posix/PosixVolumes.h"
#include "platform/Trash.h"

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

std::unique_ptr<Trash> makeSystemTrash()
{
    return FreedesktopTrash::forUser();
}

} // namespace vorin
