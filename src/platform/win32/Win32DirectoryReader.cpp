#include "platform/win32/Win32DirectoryReader.h"

#include "platform/win32/WideText.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace vorin {
namespace {

constexpr std::uint32_t kAttributeBits =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive;

// 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kTicksTo1970 = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

bool isDotOrDotDot(const wchar_t *name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

OpenStatus openFailure(DWORD error)
{
    switch (error) {
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
        return OpenStatus::TooManyOpen;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return OpenStatus::Vanished;
    default:
        return OpenStatus::Unreadable;
    }
}

struct FileHandle
{
    HANDLE handle;
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

} // namespace

FileTime fileTimeOf(const FILETIME &time)
{
    const std::int64_t ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    if (ticks == 0)
        return FileTime{};
    const std::int64_t since1970 = ticks - kTicksTo1970;
    // Rounded down, also before 1970.
    std::int64_t seconds = since1970 / kTicksPerSecond;
    if (since1970 % kTicksPerSecond < 0)
        --seconds;
    return FileTime{seconds};
}

FoundEntry foundEntry(const WIN32_FIND_DATAW &data)
{
    FoundEntry found;
    found.attributes = data.dwFileAttributes & kAttributeBits;
    found.enterable = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                      (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    found.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                           data.nFileSizeLow);
    found.creation = fileTimeOf(data.ftCreationTime);
    found.lastAccess = fileTimeOf(data.ftLastAccessTime);
    found.lastWrite = fileTimeOf(data.ftLastWriteTime);
    return found;
}

// One open directory: where it is, which it is, and its search.
struct Win32DirectoryReader::Listing
{
    std::wstring path; // \\?\ form
    FileIdentity identity;
    bool identified = false;

    HANDLE search = INVALID_HANDLE_VALUE;
    bool started = false;
    bool ended = false;
    bool failed = false;        // the search broke off after a chunk was handed out
    WIN32_FIND_DATAW pending{}; // found, but did not fit into the last chunk
    bool hasPending = false;

    // The find data of the names of the last chunk handed out, with a copy of
    // the chunk's bytes so that a name can be checked to be one of them.
    const char *batchStart = nullptr;
    std::string names;
    struct Found
    {
        std::size_t offset;
        std::size_t length;
        FoundEntry entry;
    };
    std::vector<Found> found;

    ~Listing() { endSearch(); }
    void endSearch()
    {
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        search = INVALID_HANDLE_VALUE;
        started = ended = failed = hasPending = false;
    }
};

// Shared by a reader and its clones, which walk the same drive on several
// threads and hand handles to each other. A listing is used by one thread at
// a time; the lock only guards the slots.
struct Win32DirectoryReader::Table
{
    mutable std::mutex mutex;
    std::vector<std::unique_ptr<Listing>> slots;
    std::vector<Handle> free;
    std::size_t open = 0;

    Handle add(std::unique_ptr<Listing> listing)
    {
        const std::lock_guard lock(mutex);
        ++open;
        if (!free.empty()) {
            const Handle handle = free.back();
            free.pop_back();
            slots[static_cast<std::size_t>(handle)] = std::move(listing);
            return handle;
        }
        slots.push_back(std::move(listing));
        return static_cast<Handle>(slots.size() - 1);
    }

    Listing *at(Handle handle) const
    {
        const std::lock_guard lock(mutex);
        if (handle < 0 || static_cast<std::size_t>(handle) >= slots.size())
            return nullptr;
        return slots[static_cast<std::size_t>(handle)].get();
    }

    void remove(Handle handle)
    {
        std::unique_ptr<Listing> gone;
        const std::lock_guard lock(mutex);
        if (handle < 0 || static_cast<std::size_t>(handle) >= slots.size() ||
            !slots[static_cast<std::size_t>(handle)])
            return;
        gone = std::move(slots[static_cast<std::size_t>(handle)]);
        free.push_back(handle);
        --open;
    }
};

Win32DirectoryReader::Win32DirectoryReader() : m_table(std::make_shared<Table>()) {}

OpenStatus Win32DirectoryReader::open(std::wstring path, bool followReparsePoint, Handle &out)
{
    out = kNoHandle;
    // Opened only to ask which directory it is; the listing goes by path.
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followReparsePoint ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    FileHandle file{CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, flags, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE)
        return openFailure(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.handle, &info))
        return OpenStatus::Unreadable;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return OpenStatus::Vanished;
    if (!followReparsePoint) {
        // A junction, a directory symbolic link or a volume mounted in a
        // folder leads elsewhere: like another drive, it is not entered.
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return OpenStatus::OtherDevice;
        if (m_haveRoot && info.dwVolumeSerialNumber != m_rootVolume)
            return OpenStatus::OtherDevice;
    } else {
        m_rootVolume = info.dwVolumeSerialNumber;
        m_haveRoot = true;
    }
    auto listing = std::make_unique<Listing>();
    listing->path = std::move(path);
    listing->identity = {info.dwVolumeSerialNumber,
                         (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                             info.nFileIndexLow};
    listing->identified = true;
    out = m_table->add(std::move(listing));
    return OpenStatus::Ok;
}

OpenStatus Win32DirectoryReader::openRoot(const std::string &path, Handle &out)
{
    out = kNoHandle;
    std::wstring extended = extendedPath(path);
    if (extended.empty())
        return OpenStatus::Unreadable;
    // The root itself may be reached through a link; nothing below it is.
    return open(std::move(extended), true, out);
}

OpenStatus Win32DirectoryReader::openChild(Handle parent, std::string_view name, Handle &out)
{
    out = kNoHandle;
    const Listing *listing = m_table->at(parent);
    if (listing == nullptr)
        return OpenStatus::Unreadable;
    return open(joinPath(listing->path, toWide(name)), false, out);
}

void Win32DirectoryReader::close(Handle dir)
{
    m_table->remove(dir);
}

ListStatus Win32DirectoryReader::list(Handle dir, NameBatch &batch)
{
    Listing *listing = m_table->at(dir);
    if (listing == nullptr)
        return ListStatus::Failed;
    if (listing->failed)
        return ListStatus::Failed;
    if (listing->ended)
        return ListStatus::End;
    if (!listing->started) {
        const std::wstring pattern = joinPath(listing->path, L"*");
        listing->search =
            FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &listing->pending,
                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        listing->started = true;
        if (listing->search == INVALID_HANDLE_VALUE) {
            // A drive root without a single name has no "." to find.
            if (GetLastError() == ERROR_FILE_NOT_FOUND) {
                listing->ended = true;
                return ListStatus::End;
            }
            return ListStatus::Failed;
        }
        listing->hasPending = true;
    }

    if (batch.bytes.size() < kBatchBytes)
        batch.bytes.resize(kBatchBytes);
    std::size_t used = 0;
    bool first = true;
    for (;;) {
        WIN32_FIND_DATAW data;
        if (listing->hasPending) {
            data = listing->pending;
            listing->hasPending = false;
        } else if (!FindNextFileW(listing->search, &data)) {
            if (GetLastError() != ERROR_NO_MORE_FILES) {
                if (first)
                    return ListStatus::Failed;
                listing->failed = true; // the names so far go out first
            }
            listing->ended = true;
            // The names stay; the directory need not stay open for them.
            FindClose(listing->search);
            listing->search = INVALID_HANDLE_VALUE;
            break;
        }
        if (isDotOrDotDot(data.cFileName))
            continue;
        const std::string name = toUtf8(data.cFileName);
        if (name.empty())
            continue;
        if (used + name.size() + 1 > batch.bytes.size()) {
            listing->pending = data;
            listing->hasPending = true;
            break;
        }
        if (first) {
            // Only now is there something new: an empty end leaves the
            // batch and the remembered find data as they were.
            batch.names.clear();
            listing->found.clear();
            first = false;
        }
        char *const at = batch.bytes.data() + used;
        std::memcpy(at, name.data(), name.size());
        at[name.size()] = '\0';
        const FoundEntry entry = foundEntry(data);
        batch.names.push_back({std::string_view(at, name.size()),
                               entry.enterable ? NameKind::Directory : NameKind::Other});
        listing->found.push_back({used, name.size(), entry});
        used += name.size() + 1;
    }
    if (first)
        return ListStatus::End;
    listing->batchStart = batch.bytes.data();
    listing->names.assign(batch.bytes.data(), used);
    return ListStatus::More;
}

bool Win32DirectoryReader::rewind(Handle dir)
{
    Listing *listing = m_table->at(dir);
    if (listing == nullptr)
        return false;
    listing->endSearch();
    return true;
}

Described Win32DirectoryReader::describe(Handle dir, std::string_view name, DirectoryEntry &entry)
{
    const Listing *listing = m_table->at(dir);
    if (listing == nullptr)
        return Described::Vanished;

    const FoundEntry *found = nullptr;
    FoundEntry asked;
    // A name of the last chunk listed: its find data is at hand.
    if (listing->batchStart != nullptr && name.data() >= listing->batchStart &&
        name.data() < listing->batchStart + listing->names.size()) {
        const auto offset = static_cast<std::size_t>(name.data() - listing->batchStart);
        const auto it = std::lower_bound(
            listing->found.begin(), listing->found.end(), offset,
            [](const Listing::Found &f, std::size_t value) { return f.offset < value; });
        if (it != listing->found.end() && it->offset == offset && it->length == name.size() &&
            listing->names.compare(offset, name.size(), name) == 0)
            found = &it->entry;
    }
    if (found == nullptr) {
        // Any other name is looked up on its own.
        const std::wstring path = joinPath(listing->path, toWide(name));
        WIN32_FIND_DATAW data;
        const HANDLE search = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data,
                                               FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? Described::Vanished
                       : Described::Denied;
        }
        FindClose(search);
        asked = foundEntry(data);
        found = &asked;
    }

    entry.name = name;
    entry.attributes = found->attributes;
    entry.size = found->size;
    entry.creation = found->creation;
    entry.lastAccess = found->lastAccess;
    entry.lastWrite = found->lastWrite;
    entry.links = 1;
    entry.identity = {};
    return (found->attributes & kAttrDirectory) != 0 ? Described::Directory : Described::File;
}

std::uint32_t Win32DirectoryReader::directoryAttributes(Handle dir, std::string_view name)
{
    const Listing *listing = m_table->at(dir);
    if (listing == nullptr)
        return kAttrDirectory;
    const std::wstring path = joinPath(listing->path, toWide(name));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return kAttrDirectory; // opening it tells what became of it
    return (attributes & kAttributeBits) | kAttrDirectory;
}

bool Win32DirectoryReader::identify(Handle dir, FileIdentity &out)
{
    const Listing *listing = m_table->at(dir);
    if (listing == nullptr || !listing->identified)
        return false;
    out = listing->identity;
    return true;
}

std::size_t Win32DirectoryReader::handleLimit() const
{
    // Windows gives a process millions of handles; this bounds the memory of
    // the open listings instead (one search and one path per level).
    return 4096;
}

std::unique_ptr<DirectoryReader> Win32DirectoryReader::clone() const
{
    return std::make_unique<Win32DirectoryReader>(*this);
}

std::size_t Win32DirectoryReader::openCount() const
{
    const std::lock_guard lock(m_table->mutex);
    return m_table->open;
}

std::unique_ptr<DirectoryReader> makeDirectoryReader()
{
    return std::make_unique<Win32DirectoryReader>();
}

} // namespace vorin
