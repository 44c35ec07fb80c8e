#include "platform/History.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace vorin {

std::string defaultHistoryPath()
{
    PWSTR path = nullptr;
    std::string directory;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path)))
        directory = toUtf8(path);
    CoTaskMemFree(path);
    return directory.empty() ? std::string() : directory + "\\Vorin 99\\history.sqlite";
}

} // namespace vorin
