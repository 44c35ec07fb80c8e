#include "platform/win32/Win32Volumes.h"

#include "platform/win32/WideText.h"
#include "support/Utility.h"

#include <vector>
#include <windows.h>
// These need windows.h first.
#include <winnetwk.h>

namespace vorin {
namespace {

bool isLetter(char letter)
{
    return letter >= 'a' && letter <= 'z';
}

std::wstring rootOf(char letter)
{
    return {static_cast<wchar_t>(L'A' + (letter - 'a')), L':', L'\\'};
}

bool present(char letter)
{
    return isLetter(letter) && (GetLogicalDrives() & (1u << (letter - 'a'))) != 0;
}

std::string networkNameOf(char letter)
{
    const wchar_t local[3] = {static_cast<wchar_t>(L'A' + (letter - 'a')), L':', L'\0'};
    std::vector<wchar_t> remote(MAX_PATH + 1);
    DWORD length = static_cast<DWORD>(remote.size());
    DWORD result = WNetGetConnectionW(local, remote.data(), &length);
    if (result == ERROR_MORE_DATA) {
        remote.resize(length + 1);
        result = WNetGetConnectionW(local, remote.data(), &length);
    }
    return result == NO_ERROR ? toUtf8(remote.data()) : std::string();
}

Volume volumeOf(char letter)
{
    const std::wstring root = rootOf(letter);
    Volume volume;
    volume.letter = letter;
    volume.type = static_cast<int>(GetDriveTypeW(root.c_str()));
    volume.root = toUtf8(root);
    if (volume.type == kDriveRemote) {
        volume.networkName = networkNameOf(letter);
        return volume;
    }
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                              fileSystem, MAX_PATH + 1)) {
        volume.label = toUtf8(label);
        volume.fileSystem = toUtf8(fileSystem);
    }
    return volume;
}

} // namespace

Win32Volumes::Win32Volumes()
{
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
}

std::vector<Volume> Win32Volumes::list() const
{
    std::vector<Volume> volumes;
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'a'; letter <= 'z'; ++letter)
        if ((drives & (1u << (letter - 'a'))) != 0)
            volumes.push_back(volumeOf(letter));
    return volumes;
}

std::optional<Volume> Win32Volumes::find(char letter) const
{
    if (!present(letter))
        return std::nullopt;
    return volumeOf(letter);
}

bool Win32Volumes::ready(char letter) const
{
    if (!present(letter))
        return false;
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    return GetDiskFreeSpaceW(rootOf(letter).c_str(), &sectors, &bytes, &free, &total) != 0;
}

DiskSpace Win32Volumes::space(char letter) const
{
    if (!present(letter))
        return {};
    ULARGE_INTEGER total{}, totalFree{};
    if (!GetDiskFreeSpaceExW(rootOf(letter).c_str(), nullptr, &total, &totalFree))
        return {};
    // All free bytes of the volume, not only those this user may fill.
    return {static_cast<double>(totalFree.QuadPart), static_cast<double>(total.QuadPart)};
}

std::int64_t Win32Volumes::allocationUnit(char letter) const
{
    if (!present(letter))
        return 0;
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    if (!GetDiskFreeSpaceW(rootOf(letter).c_str(), &sectors, &bytes, &free, &total))
        return 0;
    return static_cast<std::int64_t>(sectors) * static_cast<std::int64_t>(bytes);
}

char Win32Volumes::currentDriveLetter() const
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> directory(needed + 1);
    const DWORD length =
        GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    if (length < 2 || length >= directory.size() || directory[1] != L':')
        return 0; // a share (\\server\share) has no drive letter
    const wchar_t c = directory[0];
    if (c >= L'A' && c <= L'Z')
        return static_cast<char>('a' + (c - L'A'));
    if (c >= L'a' && c <= L'z')
        return static_cast<char>(c);
    return 0;
}

} // namespace vorin
