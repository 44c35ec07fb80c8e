#pragma once

#include "platform/win32/WideText.h"
#include "Win32Files.h"

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <windows.h>

namespace vorin::test {

// A fresh directory in the user's temporary folder, removed with everything
// in it (read-only and hidden names too) at the end of the test. Paths are
// kept in the \\?\ form so that trees longer than 260 characters go too.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH + 1];
        if (GetTempPathW(MAX_PATH + 1, temp) == 0)
            throw std::runtime_error("GetTempPathW failed");
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::wstring candidate = std::wstring(temp) + L"vorin-platform-" +
                                           std::to_wstring(GetCurrentProcessId()) + L"-" +
                                           std::to_wstring(counter++);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) {
                m_path = toUtf8(candidate);
                m_extended = extendedPath(m_path);
                return;
            }
        }
        throw std::runtime_error("no scratch directory");
    }
    ~ScratchDirectory()
    {
        testing::removeBelow(m_extended);
        RemoveDirectoryW(m_extended.c_str());
    }
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    // UTF-8, without the \\?\ prefix.
    [[nodiscard]] const std::string &path() const { return m_path; }
    [[nodiscard]] std::string path(std::string_view relative) const
    {
        return m_path + "\\" + std::string(relative);
    }
    // The \\?\ form of a name below, for Win32 calls.
    [[nodiscard]] std::wstring wide(std::string_view relative = {}) const
    {
        return relative.empty() ? m_extended : joinPath(m_extended, toWide(relative));
    }

    void dir(std::string_view relative) const
    {
        if (!CreateDirectoryW(wide(relative).c_str(), nullptr))
            throw std::runtime_error("mkdir " + std::string(relative));
    }
    void file(std::string_view relative, std::string_view contents = {}) const
    {
        const HANDLE file = CreateFileW(wide(relative).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            throw std::runtime_error("create " + std::string(relative));
        DWORD written = 0;
        const bool ok =
            contents.empty() || WriteFile(file, contents.data(),
                                          static_cast<DWORD>(contents.size()), &written, nullptr);
        CloseHandle(file);
        if (!ok)
            throw std::runtime_error("write " + std::string(relative));
    }

private:
    std::string m_path;
    std::wstring m_extended;
};

using testing::fileTimeAt;

} // namespace vorin::test
