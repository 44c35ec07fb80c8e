#include "platform/win32/RecycleBin.h"

#include "platform/win32/WideText.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>
// These need windows.h first.
#include <shellapi.h>

namespace vorin {
namespace {

// The shell's file operation answers with codes of its own from before the
// Win32 errors; the headers do not name them.
constexpr int kShellCancelled = 0x75;
constexpr int kShellAccessDeniedSource = 0x78;
constexpr int kShellPathTooDeep = 0x79;
constexpr int kShellInvalidFiles = 0x7C;
constexpr int kShellNameTooLong = 0x81;

TrashOutcome failure(std::string problem)
{
    return {false, std::move(problem)};
}

std::string systemText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    LocalFree(buffer);
    // "The device is not ready.\r\n" reads as a reason without the end.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    if (text.empty()) {
        char code[32];
        std::snprintf(code, sizeof code, "error %lu", static_cast<unsigned long>(error));
        return code;
    }
    return toUtf8(text);
}

std::string problemOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY: // a file where a folder on the way was
        return kTrashNoLongerThere;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return kTrashPermissionDenied;
    default:
        return systemText(error);
    }
}

std::string shellProblemOf(int result)
{
    switch (result) {
    case kShellInvalidFiles:
        return kTrashNoLongerThere;
    case kShellAccessDeniedSource:
        return kTrashPermissionDenied;
    case kShellCancelled:
        // The user said no when the shell asked to delete for good.
        return kTrashNoTrashOnItsDrive;
    case kShellPathTooDeep:
    case kShellNameTooLong:
        return systemText(ERROR_FILENAME_EXCED_RANGE);
    default:
        break;
    }
    // Codes outside the shell's own are Win32 errors.
    const bool shellCode =
        (result >= 0x71 && result <= 0x86) || result == 0x402 || result >= 0x10000;
    if (!shellCode)
        return problemOf(static_cast<DWORD>(result));
    char code[48];
    std::snprintf(code, sizeof code, "the shell could not move it (0x%X)", result);
    return code;
}

// The root of the volume that holds an existing path, as GetVolumePathNameW
// names it (with a trailing backslash).
std::wstring volumeRootOf(const std::wstring &extended)
{
    std::vector<wchar_t> root(extended.size() + 2);
    if (!GetVolumePathNameW(extended.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return {};
    return root.data();
}

bool registryFlagSet(HKEY key, const std::wstring &subKey, const wchar_t *value)
{
    DWORD data = 0;
    DWORD size = sizeof data;
    return RegGetValueW(key, subKey.c_str(), value, RRF_RT_REG_DWORD, nullptr, &data, &size) ==
               ERROR_SUCCESS &&
           data != 0;
}

// The user's "Don't move files to the Recycle Bin" for this drive, kept under
// the volume's GUID, or the administrator's policy for all drives.
bool binTurnedOff(const std::wstring &root)
{
    constexpr const wchar_t *kPolicy =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    if (registryFlagSet(HKEY_CURRENT_USER, kPolicy, L"NoRecycleFiles") ||
        registryFlagSet(HKEY_LOCAL_MACHINE, kPolicy, L"NoRecycleFiles"))
        return true;
    wchar_t volume[MAX_PATH + 1] = {};
    if (!GetVolumeNameForVolumeMountPointW(root.c_str(), volume, MAX_PATH + 1))
        return false;
    const std::wstring name = volume; // \\?\Volume{GUID}\ .
    const auto open = name.find(L'{');
    const auto close = name.find(L'}');
    if (open == std::wstring::npos || close == std::wstring::npos || close < open)
        return false;
    return registryFlagSet(HKEY_CURRENT_USER,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\"
                           L"Volume\\" +
                               name.substr(open, close - open + 1),
                           L"NukeOnDelete");
}

// Where Windows keeps no bin it deletes for good: only a drive that shows
// it keeps one will do.
bool keepsRecycleBin(const std::wstring &extended)
{
    const std::wstring root = volumeRootOf(extended);
    if (root.empty())
        return false;
    const std::wstring plainRoot = withoutExtendedPrefix(root);
    if (GetDriveTypeW(plainRoot.c_str()) != DRIVE_FIXED || binTurnedOff(root))
        return false;
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof bin;
    return SUCCEEDED(SHQueryRecycleBinW(plainRoot.c_str(), &bin));
}

} // namespace

TrashOutcome RecycleBin::moveToTrash(const std::string &path)
{
    std::wstring extended = extendedPath(path);
    if (extended.empty())
        return failure(problemOf(GetLastError()));
    // "C:\photos\" names the folder; the shell wants it without the slash.
    while (extended.size() > 7 && extended.back() == L'\\')
        extended.pop_back();
    if (GetFileAttributesW(extended.c_str()) == INVALID_FILE_ATTRIBUTES)
        return failure(problemOf(GetLastError()));
    if (!keepsRecycleBin(extended))
        return failure(kTrashNoTrashOnItsDrive);

    // A list of names, each ended by a NUL and the list by another; the shell
    // does not take the \\?\ form.
    std::wstring from = withoutExtendedPrefix(extended);
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags =
        FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
    const int result = SHFileOperationW(&operation);
    if (operation.fAnyOperationsAborted)
        return failure(kTrashNoTrashOnItsDrive);
    if (result != 0)
        return failure(shellProblemOf(result));
    return {true, {}};
}

} // namespace vorin
