#pragma once

#include "platform/Trash.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vorin {

// One mounted file system. rename(2) only works within one, and a bind mount
// is one of its own although its device is that of the file system it shows.
struct FileSystemId
{
    std::uint64_t device = 0;
    std::uint64_t mount = 0; // 0 where the kernel does not tell mount ids
    friend bool operator==(const FileSystemId &, const FileSystemId &) = default;
};

// The trash of the freedesktop.org desktops (GNOME, KDE, Xfce...), which
// their file managers list and restore from. A file on the file system of
// the user's data directory goes to the home trash, $XDG_DATA_HOME/Trash;
// any other to the trash at the top of its own file system: .Trash/$uid
// where the administrator made a shared, sticky .Trash there, .Trash-$uid
// otherwise. Files are only ever renamed, never copied: a file whose file
// system has no usable trash stays where it is.
//
// Each entry is a file in files/ and its description in info/ (the original
// path and the deletion date). The description is made first and reserves
// the name; the file follows, and when it cannot the description goes again.
// When a name is taken, the next free one of "photo.2.jpg", "photo.3.jpg"...
// is used: the number goes before the extension so that the trashed file
// keeps its type, and a leading dot (".bashrc") starts no extension. A name
// too long for the description's ".trashinfo" to fit is shortened before its
// extension; the original path is kept whole in the description.
//
// Holds no state but its settings; safe to use from one thread at a time.
class FreedesktopTrash final : public Trash
{
public:
    // Seconds since 1970, for the deletion date.
    using Clock = std::function<std::time_t()>;
    // The file system of a path, not following a final symbolic link;
    // nothing when the path cannot be asked.
    using FileSystemOf = std::function<std::optional<FileSystemId>(const std::string &path)>;

    // The trash of user uid whose data directory is dataHome (its home trash
    // is dataHome/Trash). Empty functions stand for the system clock and
    // fileSystemOfPath.
    FreedesktopTrash(std::string dataHome, uid_t uid, Clock now = {},
                     FileSystemOf fileSystemOf = {});

    // $XDG_DATA_HOME, or $HOME/.local/share when that is unset or not absolute.
    [[nodiscard]] static std::string userDataHome();
    // The trash of the user this program runs as.
    [[nodiscard]] static std::unique_ptr<FreedesktopTrash> forUser();
    [[nodiscard]] static std::optional<FileSystemId> fileSystemOfPath(const std::string &path);

    [[nodiscard]] TrashOutcome moveToTrash(const std::string &path) override;

private:
    // A trash directory that is ready to take files.
    struct Place
    {
        std::string directory; // holds files/ and info/
        std::string top;       // the descriptions' paths are relative to it; empty: absolute
    };

    [[nodiscard]] std::optional<Place> placeFor(const std::string &realParent,
                                                const FileSystemId &fileSystem) const;
    [[nodiscard]] std::optional<Place> topDirectoryPlace(const std::string &top) const;
    [[nodiscard]] std::string topDirectoryOf(const std::string &realParent,
                                             const FileSystemId &fileSystem) const;

    std::string m_dataHome;
    uid_t m_uid;
    Clock m_now;
    FileSystemOf m_fileSystemOf;
};

} // namespace vorin
