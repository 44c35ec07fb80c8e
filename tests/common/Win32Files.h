#pragma once

// Windows-only helpers that the walk's and the adapters' tests share for
// the trees they make.

#include "platform/win32/WideText.h"

#include <cstdint>
#include <string>
#include <windows.h>

namespace vorin::testing {

// A Windows file time for seconds since 1970.
inline FILETIME fileTimeAt(std::int64_t seconds)
{
    const auto ticks = static_cast<std::uint64_t>((seconds + 11644473600LL) * 10000000LL);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// Removes everything below directory (a \\?\ path), read-only files
// included; junctions are removed without entering them.
inline void removeBelow(const std::wstring &directory)
{
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW(joinPath(directory, L"*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = joinPath(directory, name);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                removeBelow(path);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

} // namespace vorin::testing
