#include "platform/win32/Win32SettingsFile.h"

#include "platform/win32/WideText.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>
#include <windows.h>
// These need windows.h first.
#include <objbase.h>
#include <shlobj.h>

namespace vorin {
namespace {

struct FileHandle
{
    HANDLE handle;
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

// mkdir -p for a \\?\ path; an existing directory is fine.
bool ensureDirectory(const std::wstring &directory)
{
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t slash = directory.find_last_of(L'\\');
    // The drive's root (\\?\C:\) and a share always exist or never will.
    if (slash == std::wstring::npos || slash < 7)
        return false;
    if (!ensureDirectory(directory.substr(0, slash)))
        return false;
    return CreateDirectoryW(directory.c_str(), nullptr) != 0 ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeAll(HANDLE file, std::string_view contents)
{
    while (!contents.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, contents.data(), chunk, &written, nullptr) || written == 0)
            return false;
        contents.remove_prefix(written);
    }
    return true;
}

} // namespace

Win32SettingsFile::Win32SettingsFile(std::string directory) : m_directory(std::move(directory)) {}

std::string Win32SettingsFile::userSettingsDirectory()
{
    PWSTR path = nullptr;
    std::string directory;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path)))
        directory = toUtf8(path);
    CoTaskMemFree(path);
    return directory;
}

std::unique_ptr<Win32SettingsFile> Win32SettingsFile::forUser()
{
    return std::make_unique<Win32SettingsFile>(userSettingsDirectory());
}

std::string Win32SettingsFile::name() const
{
    return kFileName;
}

std::optional<std::string> Win32SettingsFile::read() const
{
    const auto fail = [this]() -> std::optional<std::string> {
        throw SettingsReadError("Unable to read " + name());
    };
    const std::wstring directory = extendedPath(m_directory);
    if (directory.empty())
        return std::nullopt;
    const std::wstring path = joinPath(directory, toWide(kFileName));
    FileHandle file{CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) {
        // No file, or not even its folder: nothing to lose. Anything else (a
        // directory by that name, a file locked by another program, no
        // permission) says that something is there.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        return fail();
    }
    if (GetFileType(file.handle) != FILE_TYPE_DISK)
        return fail();
    std::string contents;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.handle, buffer, sizeof buffer, &got, nullptr))
            return fail();
        if (got == 0)
            return contents;
        contents.append(buffer, got);
    }
}

void Win32SettingsFile::replace(std::string_view contents)
{
    const auto fail = [this]() { throw SettingsWriteError("Unable to write to " + name()); };
    const std::wstring directory = extendedPath(m_directory);
    if (directory.empty() || !ensureDirectory(directory))
        fail();
    const std::wstring target = joinPath(directory, toWide(kFileName));

    static std::atomic<unsigned> counter{0};
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = joinPath(directory, L"." + toWide(kFileName) + L"." +
                                            std::to_wstring(GetCurrentProcessId()) + L"." +
                                            std::to_wstring(counter++) + L".tmp");
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (created == INVALID_HANDLE_VALUE)
        fail();

    bool ok;
    {
        FileHandle file{created};
        ok = writeAll(file.handle, contents) && FlushFileBuffers(file.handle) != 0;
    }
    if (ok) {
        const DWORD old = GetFileAttributesW(target.c_str());
        if (old == INVALID_FILE_ATTRIBUTES) {
            // No file yet. Something that turns up meanwhile was never read,
            // so it is not replaced.
            ok = MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        } else {
            // A file another program keeps to itself is left alone before
            // ReplaceFileW is asked (which may leave a temporary file of
            // its own behind when it fails).
            FileHandle probe{CreateFileW(target.c_str(), GENERIC_READ | DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
            ok = (old & FILE_ATTRIBUTE_DIRECTORY) == 0 && probe.handle != INVALID_HANDLE_VALUE;
            if (ok) {
                CloseHandle(std::exchange(probe.handle, INVALID_HANDLE_VALUE));
                ok = ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
            }
        }
    }
    if (!ok) {
        DeleteFileW(temporary.c_str());
        fail();
    }
}

} // namespace vorin
