#include "platform/System.h"

#include "platform/Trash.h"
#include "platform/win32/RecycleBin.h"
#include "platform/win32/RegistryFileTypes.h"
#include "platform/win32/Win32SettingsFile.h"
#include "platform/win32/Win32Volumes.h"

namespace vorin {

std::shared_ptr<const Volumes> makeSystemVolumes()
{
    return std::make_shared<const Win32Volumes>();
}

std::unique_ptr<SettingsFile> makeUserSettingsFile()
{
    return Win32SettingsFile::forUser();
}

std::unique_ptr<FileTypeRegistry> makeSystemFileTypeRegistry()
{
    return std::make_unique<RegistryFileTypes>();
}

std::unique_ptr<Trash> makeSystemTrash()
{
    return std::make_unique<RecycleBin>();
}

} // namespace vorin
