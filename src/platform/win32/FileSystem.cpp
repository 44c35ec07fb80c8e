#include "platform/FileSystem.h"

#include "platform/win32/WideText.h"

#include <vector>
#include <windows.h>

namespace vorin {

std::optional<std::string> resolveDirectory(const std::string &path)
{
    const std::wstring extended = extendedPath(path);
    if (extended.empty())
        return std::nullopt;
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::nullopt;
    std::wstring plain = withoutExtendedPrefix(extended);
    // No trailing backslash but at a drive's root ("C:\").
    while (plain.size() > 3 && plain.back() == L'\\')
        plain.pop_back();
    return toUtf8(plain);
}

std::optional<FileSystemFigures> fileSystemFigures(const std::string &path)
{
    const std::wstring extended = extendedPath(path);
    if (extended.empty())
        return std::nullopt;
    // The volume that holds the directory: a drive's root, or the folder a
    // volume is mounted in.
    std::vector<wchar_t> root(extended.size() + 2);
    if (!GetVolumePathNameW(extended.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return std::nullopt;
    ULARGE_INTEGER total{}, totalFree{};
    DWORD sectors = 0, bytes = 0, free = 0, clusters = 0;
    if (!GetDiskFreeSpaceExW(root.data(), nullptr, &total, &totalFree))
        return std::nullopt;
    FileSystemFigures figures;
    figures.space = {static_cast<double>(totalFree.QuadPart), static_cast<double>(total.QuadPart)};
    if (GetDiskFreeSpaceW(root.data(), &sectors, &bytes, &free, &clusters))
        figures.allocationUnit = static_cast<std::int64_t>(sectors) * bytes;
    return figures;
}

} // namespace vorin
