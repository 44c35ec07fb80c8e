#include "views/FileActions.h"

#include <QDesktopServices>
#include <QString>
#include <QStringList>
#include <set>

#if defined(VORIN_HAVE_DBUS)
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#endif
#if defined(_WIN32)
#include <QDir>
#include <QProcess>
#endif

namespace vorin {
namespace {

#if defined(_WIN32)
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

bool isSeparator(char c)
{
    return c == '/' || (kWindowsPaths && c == '\\');
}

// RFC 3986's unreserved characters, and the path's own slashes.
bool keptAsItIs(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

void openFolders(const std::vector<std::string> &paths)
{
    // One window per folder, however many of its files were picked.
    std::set<std::string> folders;
    for (const std::string &path : paths) {
        std::string folder = containingFolder(path);
        if (folders.insert(folder).second)
            QDesktopServices::openUrl(fileUrl(folder));
    }
}

#if defined(VORIN_HAVE_DBUS)
// Asks the desktop's file manager to show the files selected in their
// folders; false when no session bus is there to ask. Should no file manager
// answer the question, the folders are opened instead.
bool askFileManager(const std::vector<std::string> &paths)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QStringList uris;
    for (const std::string &path : paths)
        uris << QString::fromLatin1(fileUri(path)); // all ASCII once encoded
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // Not waited for: a file manager being started by the bus takes seconds,
    // and the window stays live meanwhile.
    constexpr int kAnswerWithinMs = 10000;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerWithinMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [paths](QDBusPendingCallWatcher *answered) {
                         if (answered->isError())
                             openFolders(paths);
                         answered->deleteLater();
                     });
    return true;
}
#endif

#if defined(_WIN32)
// Explorer selects one file per window: the first picked in each folder.
void selectInExplorer(const std::vector<std::string> &paths)
{
    std::set<std::string> folders;
    for (const std::string &path : paths) {
        if (!folders.insert(containingFolder(path)).second)
            continue;
        const QString native =
            QDir::toNativeSeparators(QString::fromUtf8(path.data(), qsizetype(path.size())));
        QProcess explorer;
        explorer.setProgram(QStringLiteral("explorer.exe"));
        // Explorer reads its command line itself; the path goes in quotes
        // right after the comma, as it expects.
        explorer.setNativeArguments(QStringLiteral("/select,\"%1\"").arg(native));
        explorer.startDetached();
    }
}
#endif

} // namespace

QByteArray fileUri(std::string_view path)
{
    std::string slashed(path);
    if constexpr (kWindowsPaths)
        for (char &c : slashed)
            if (c == '\\')
                c = '/';
    QByteArray uri("file://");
    // "C:/dir" is "file:///C:/dir"; a share, "//server/share", keeps its host.
    const bool driveLetter = slashed.size() >= 2 && slashed[1] == ':';
    if (driveLetter)
        uri += '/';
    std::string_view rest = slashed;
    if (driveLetter) {
        uri.append(slashed.data(), 2);
        rest.remove_prefix(2);
    } else if (kWindowsPaths && rest.starts_with("//")) {
        rest.remove_prefix(2);
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : rest) {
        if (keptAsItIs(c)) {
            uri += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        }
    }
    return uri;
}

QUrl fileUrl(std::string_view path)
{
    return QUrl::fromEncoded(fileUri(path), QUrl::StrictMode);
}

std::string containingFolder(std::string_view path)
{
    std::size_t last = path.size();
    while (last > 0 && !isSeparator(path[last - 1]))
        --last;
    if (last == 0)
        return {};
    // The root keeps its separator; any other folder loses it.
    if (last == 1 || (kWindowsPaths && last == 3 && path[1] == ':'))
        return std::string(path.substr(0, last));
    return std::string(path.substr(0, last - 1));
}

void DesktopFileActions::open(const std::vector<std::string> &paths)
{
    for (const std::string &path : paths)
        QDesktopServices::openUrl(fileUrl(path));
}

void DesktopFileActions::showInFolder(const std::vector<std::string> &paths)
{
    if (paths.empty())
        return;
#if defined(_WIN32)
    selectInExplorer(paths);
#else
#if defined(VORIN_HAVE_DBUS)
    if (askFileManager(paths))
        return;
#endif
    openFolders(paths);
#endif
}

} // namespace vorin
