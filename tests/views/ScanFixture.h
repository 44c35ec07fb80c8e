#pragma once

// Small real scans for the page tests: a drive over a temporary tree whose
// files the test made with the sizes and times it needs, run through the
// window's wizard seam.

#include "ViewsFixture.h"

#include "platform/History.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <QPushButton>
#include <QSignalSpy>
#include <string>
#include <sys/stat.h>

namespace vorin::testing {

constexpr int kScanTimeout = 30000;

// Runs the window's scan through its wizard seam and waits until it is over.
// An answer of no drives (or none at all) starts nothing.
inline void runAndWait(TfrmStatistics &w, std::optional<WizardResult> answer)
{
    w.runWizard = [answer] { return answer; };
    QSignalSpy finished(&w, &TfrmStatistics::runFinished);
    w.btOK->click();
    if (!answer || answer->drives.empty()) {
        QVERIFY(!w.scanRunning());
        QCOMPARE(finished.count(), 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kScanTimeout);
    QVERIFY(!w.scanRunning());
}

// A history of scans of the test's own, in a temporary directory.
struct TempHistory
{
    QTemporaryDir place;
    const std::unique_ptr<ScanHistory> history =
        openScanHistory((place.path() + QStringLiteral("/history.sqlite")).toStdString());
};

// A drive of its own over an empty temporary directory, with the
// allocation unit the test needs; fills nothing.
inline void addDrive(ViewsEnvironment &env, char letter, const QTemporaryDir &root,
                     const std::string &label, std::int64_t allocationUnit)
{
    env.volumes.add(fixedVolume(letter, root.path(), label), {1 * kGiB, 2 * kGiB}, allocationUnit);
}

// The local time zone for the life of the object, through TZ; the old one
// comes back afterwards.
class LocalZone
{
public:
    explicit LocalZone(const char *tz)
    {
        if (const char *old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    LocalZone(const LocalZone &) = delete;
    LocalZone &operator=(const LocalZone &) = delete;

private:
    std::optional<std::string> m_old;
};

// Seconds since 1970 of a local date and time in the zone in force.
inline std::time_t localInstant(int year, int month, int day, int hours, int minutes)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hours;
    t.tm_min = minutes;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// Sets a file's last access and last write; the walk only reads the
// directories, so the times stay as set.
inline bool setFileTimes(const QString &path, std::time_t accessed, std::time_t modified)
{
    const timespec times[2] = {{accessed, 0}, {modified, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace vorin::testing
