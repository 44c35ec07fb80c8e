#pragma once

#include "platform/Trash.h"

#include <QByteArray>
#include <QUrl>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// What the desktop does with the files of a list: open them in the programs
// the user chose for them, show them in the file manager, move them to the
// trash. Paths are the files' bytes as the directories listed them, which
// need not be UTF-8. The list window asks here and nowhere else, so that its
// tests install a recording fake and never start a program.
class FileActions
{
public:
    virtual ~FileActions() = default;
    virtual void open(const std::vector<std::string> &paths) = 0;
    virtual void showInFolder(const std::vector<std::string> &paths) = 0;
    [[nodiscard]] virtual TrashOutcome moveToTrash(const std::string &path) = 0;
};

// The desktop's own ways. Opening goes through QDesktopServices; showing in
// the folder asks the file manager over D-Bus (org.freedesktop.FileManager1)
// on Linux and Explorer on Windows, and opens the containing folder where
// neither answers; the trash is the platform's, handed in (not owned). GUI
// thread; the D-Bus question is asked without waiting for its answer.
class DesktopFileActions final : public FileActions
{
public:
    explicit DesktopFileActions(Trash &trash) : m_trash(trash) {}

    void open(const std::vector<std::string> &paths) override;
    void showInFolder(const std::vector<std::string> &paths) override;
    [[nodiscard]] TrashOutcome moveToTrash(const std::string &path) override
    {
        return m_trash.moveToTrash(path);
    }

private:
    Trash &m_trash;
};

// "file:///home/ann/a%20b.txt": the path's bytes percent-encoded, all but
// the letters, digits, "-._~" and the separators, so that a name that is not
// UTF-8 keeps its bytes. A Windows path ("C:\dir\a.txt") gets forward
// slashes and a slash before its drive.
[[nodiscard]] QByteArray fileUri(std::string_view path);
// The same as a QUrl, made from the encoded form so that no byte is lost.
[[nodiscard]] QUrl fileUrl(std::string_view path);
// The folder that holds the file at path: everything before its last
// separator ("/" for a file at the root).
[[nodiscard]] std::string containingFolder(std::string_view path);

} // namespace vorin
