#include "platform/FileSystem.h"

#include "platform/win32/WideText.h"

#include <cwchar>
#include <string_view>
#include <vector>
#include <windows.h>

namespace vorin {
namespace {

FolderProblem problemOf(DWORD error)
{
    return error == ERROR_ACCESS_DENIED ? FolderProblem::Unreadable : FolderProblem::Missing;
}

bool equalIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The path the system knows an open directory by: junctions, symbolic links
// and substituted drives resolved, the names in the case they are written on
// the disk; in the \\?\ form. Empty when the system cannot tell.
std::wstring finalPathOf(HANDLE directory)
{
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = GetFinalPathNameByHandleW(directory, nullptr, 0, kFlags);
    if (needed == 0)
        return {};
    std::vector<wchar_t> path(needed + 1);
    const DWORD length =
        GetFinalPathNameByHandleW(directory, path.data(), static_cast<DWORD>(path.size()), kFlags);
    if (length == 0 || length >= path.size())
        return {};
    return std::wstring(path.data(), length);
}

// The root of the volume that holds an existing path ("\\?\C:\", or the
// folder a volume is mounted in), as GetVolumePathNameW names it.
std::wstring volumePathOf(const std::wstring &extended)
{
    std::vector<wchar_t> root(extended.size() + 2);
    if (!GetVolumePathNameW(extended.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return {};
    return root.data();
}

// What names the volume of a path whichever way the path reaches it: its
// \\?\Volume{...}\ name where the volume has one (a drive letter and a folder
// the volume is mounted in name the same one), else the root of its path.
std::wstring volumeIdentityOf(const std::string &path)
{
    const std::wstring extended = extendedPath(path);
    if (extended.empty())
        return {};
    const std::wstring root = volumePathOf(extended);
    if (root.empty())
        return {};
    wchar_t name[MAX_PATH + 1] = {};
    if (GetVolumeNameForVolumeMountPointW(root.c_str(), name, MAX_PATH + 1))
        return name;
    return root;
}

} // namespace

FolderLookup lookUpFolder(const std::string &path)
{
    const std::wstring extended = path.empty() ? std::wstring() : extendedPath(path);
    if (extended.empty())
        return {{}, FolderProblem::Missing};
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {{}, problemOf(GetLastError())};
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return {{}, FolderProblem::NotAFolder};

    // Only a handle tells where a junction or a substituted drive leads.
    const HANDLE directory =
        CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE)
        return {{}, problemOf(GetLastError())};
    std::wstring real = finalPathOf(directory);
    CloseHandle(directory);
    // A file system that cannot name the path keeps it as it was written.
    if (real.empty())
        real = extended;

    // The walk lists every directory. Only a refusal counts: the root of an
    // empty drive lists nothing at all.
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileExW(joinPath(real, L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    else if (GetLastError() == ERROR_ACCESS_DENIED)
        return {{}, FolderProblem::Unreadable};

    std::wstring plain = withoutExtendedPrefix(real);
    // No trailing backslash but at a drive's root ("C:\"), whose letter is
    // written as the drives write theirs.
    while (plain.size() > 3 && plain.back() == L'\\')
        plain.pop_back();
    if (plain.size() >= 2 && plain[1] == L':' && plain[0] >= L'a' && plain[0] <= L'z')
        plain[0] = static_cast<wchar_t>(plain[0] - L'a' + L'A');
    return {toUtf8(plain), std::nullopt};
}

bool isDirectory(const std::string &path)
{
    const std::wstring extended = extendedPath(path);
    if (extended.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool onOneFileSystem(const std::string &first, const std::string &second)
{
    // The volume path of a name is worked out from the names on its way, so
    // a path that is not there would still get one.
    if (GetFileAttributesW(extendedPath(first).c_str()) == INVALID_FILE_ATTRIBUTES ||
        GetFileAttributesW(extendedPath(second).c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    const std::wstring a = volumeIdentityOf(first);
    return !a.empty() && equalIgnoringCase(a, volumeIdentityOf(second));
}

char driveLetterHolding(const std::vector<Volume> &volumes, const std::string &path)
{
    std::wstring wide = toWide(path);
    for (wchar_t &c : wide)
        if (c == L'/')
            c = L'\\';
    char letter = 0;
    std::size_t longest = 0;
    for (const Volume &volume : volumes) {
        std::wstring root = toWide(volume.root);
        for (wchar_t &c : root)
            if (c == L'/')
                c = L'\\';
        if (root.empty() || root.size() > wide.size() ||
            !equalIgnoringCase(std::wstring_view(wide).substr(0, root.size()), root))
            continue;
        const bool wholeComponents =
            root.back() == L'\\' || wide.size() == root.size() || wide[root.size()] == L'\\';
        if (wholeComponents && (letter == 0 || root.size() > longest)) {
            letter = volume.letter;
            longest = root.size();
        }
    }
    return letter;
}

std::optional<FileSystemFigures> fileSystemFigures(const std::string &path)
{
    const std::wstring extended = extendedPath(path);
    if (extended.empty())
        return std::nullopt;
    // The volume that holds the directory: a drive's root, or the folder a
    // volume is mounted in.
    const std::wstring root = volumePathOf(extended);
    if (root.empty())
        return std::nullopt;
    ULARGE_INTEGER total{}, totalFree{};
    DWORD sectors = 0, bytes = 0, free = 0, clusters = 0;
    if (!GetDiskFreeSpaceExW(root.c_str(), nullptr, &total, &totalFree))
        return std::nullopt;
    FileSystemFigures figures;
    figures.space = {static_cast<double>(totalFree.QuadPart), static_cast<double>(total.QuadPart)};
    if (GetDiskFreeSpaceW(root.c_str(), &sectors, &bytes, &free, &clusters))
        figures.allocationUnit = static_cast<std::int64_t>(sectors) * bytes;
    return figures;
}

} // namespace vorin

namespace vorin {

std::string fileSystemIdentity(const std::string &path)
{
    const std::wstring wide = extendedPath(path);
    wchar_t volume[MAX_PATH + 1] = {};
    if (wide.empty() || !GetVolumePathNameW(wide.c_str(), volume, MAX_PATH))
        return {};
    wchar_t label[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (!GetVolumeInformationW(volume, label, MAX_PATH, &serial, nullptr, nullptr, nullptr, 0))
        return {};
    wchar_t text[32];
    swprintf(text, 32, L"serial:%08lx ", static_cast<unsigned long>(serial));
    return toUtf8(std::wstring(text) + label);
}

} // namespace vorin
