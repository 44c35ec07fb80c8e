#pragma once

// Fake drives over generated trees, for the statistics window's tests.

#include "platform/fake/FakeFileTypeRegistry.h"
#include "platform/fake/FakeSettingsFile.h"
#include "platform/fake/FakeVolumes.h"
#include "platform/fake/RecordingMessages.h"
#include "support/Utility.h"
#include "views/Services.h"
#include "views/Statistics.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

namespace vorin::testing {

constexpr double kGiB = 1024.0 * 1024 * 1024;

inline void writeFile(const QString &path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (size > 0)
        file.write(QByteArray(static_cast<qsizetype>(size), 'x'));
}

// A drive's tree: `txt` text files and `bin` other files spread over two
// levels, and a hidden directory whose files never count.
inline void makeTree(const QString &root, int txt, int bin)
{
    QDir dir(root);
    dir.mkpath(QStringLiteral("docs/deep"));
    dir.mkpath(QStringLiteral("with space"));
    dir.mkpath(QStringLiteral(".hidden"));
    for (int i = 0; i < txt; ++i)
        writeFile(root + QStringLiteral("/docs/deep/note %1.txt").arg(i), 100 + i);
    for (int i = 0; i < bin; ++i)
        writeFile(root + QStringLiteral("/with space/data%1.bin").arg(i), 5000 + i);
    writeFile(root + QStringLiteral("/.hidden/never.txt"), 10);
}

inline Volume fixedVolume(char letter, const QString &root, const std::string &label)
{
    Volume v;
    v.letter = letter;
    v.type = kDriveFixed;
    v.root = root.toStdString();
    v.label = label;
    v.fileSystem = "ext4";
    return v;
}

// The machine a window sees: drives c, d and e over temporary trees (c has
// 3 text and 4 other files; d and e 2 + 2), with no box ever shown.
struct ViewsEnvironment
{
    ViewsEnvironment()
    {
        makeTree(c.path(), 3, 4);
        makeTree(d.path(), 2, 2);
        makeTree(e.path(), 2, 2);
        volumes.add(fixedVolume('c', c.path(), "sys"), {10 * kGiB, 40 * kGiB}, 4096);
        volumes.add(fixedVolume('d', d.path(), "data"), {5 * kGiB, 20 * kGiB}, 4096);
        volumes.add(fixedVolume('e', e.path(), "more"), {5 * kGiB, 20 * kGiB}, 4096);
        volumes.setCurrentDrive('c');
        services.walkThreads = 1;
    }

    QTemporaryDir c, d, e;
    FakeVolumes volumes;
    FakeSettingsFile settings;
    FakeFileTypeRegistry registry;
    RecordingMessages messages;
    Services services{volumes, settings, registry, LocaleSeparators{}, 1};
};

inline WizardResult allFilesOf(std::vector<std::string> drives)
{
    WizardResult r;
    r.drives = std::move(drives);
    return r;
}

// Holds the walk at its first file until the test lets it go (or the window
// asks the walk to stop), so that a test can act while a scan is certainly
// running.
class Gate final : public WalkObserver
{
public:
    void fileCounted(std::string_view, const DirectoryEntry &) override
    {
        std::unique_lock lock(m_mutex);
        if (m_passed)
            return;
        m_entered = true;
        while (!m_released && !(window && window->abortRequested()))
            m_cv.wait_for(lock, std::chrono::milliseconds(2));
        m_passed = true;
    }
    [[nodiscard]] bool entered() const
    {
        std::lock_guard lock(m_mutex);
        return m_entered;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_cv.notify_all();
    }

    const TfrmStatistics *window = nullptr;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_entered = false;
    bool m_released = false;
    bool m_passed = false;
};

// Lets a gate go on every way out of a test, before the window is destroyed.
struct ReleaseOnExit
{
    Gate &gate;
    ~ReleaseOnExit() { gate.release(); }
};

} // namespace vorin::testing
