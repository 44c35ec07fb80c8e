#pragma once

#include <memory>
#include <string>

namespace vorin {

// The reasons a file stays where it was that the window words itself; for
// anything else the system's own text is passed on.
inline constexpr const char *kTrashPermissionDenied = "permission denied";
inline constexpr const char *kTrashNoLongerThere = "no longer there";
inline constexpr const char *kTrashNoTrashOnItsDrive = "no trash on its drive";

// What became of one file asked to go to the trash.
struct TrashOutcome
{
    bool moved = false;
    // Empty when moved; otherwise a short reason for the user: one of the
    // three above, in lower case, or the system's own text.
    std::string problem;
};

// The desktop's trash, from where the user can put a file back. It never
// deletes anything for good: where no trash can take a file, the file stays
// and the outcome says why. Safe to call from any one thread at a time. A
// call costs a few system calls on the file and its trash, never a copy of
// the file's contents.
class Trash
{
public:
    virtual ~Trash() = default;
    // Moves the file at the absolute path (a directory or a symbolic link
    // goes as it is) to the trash of its drive. Paths are UTF-8 on Windows
    // and any bytes on Linux.
    [[nodiscard]] virtual TrashOutcome moveToTrash(const std::string &path) = 0;
};

// The platform's trash: the user's freedesktop.org trash on Linux, the
// Recycle Bin on Windows.
[[nodiscard]] std::unique_ptr<Trash> makeSystemTrash();

} // namespace vorin
