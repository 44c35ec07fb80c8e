#pragma once

// Runs the part of a test that needs file permissions to bind with the rights
// of an ordinary user. Root opens and writes whatever the modes say, so a test
// of an unreadable directory or a read-only config directory proves nothing
// when it runs as root (as CI does) unless root gives its rights up first.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>
#include <utility>

namespace vorin::test {

// What came of work run without privileges.
template <typename Result> struct UnprivilegedRun
{
    std::optional<Result> result; // empty when the work did not finish
    bool unavailable = false;     // this machine has no unprivileged user to become
    std::string why;              // why there is no result
};

namespace detail {

// The threads of this process; the forked child may only go on in the normal
// way (allocating, walking, throwing) when the parent had a single one.
inline int threadCount()
{
    DIR *tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    int count = 0;
    while (const dirent *entry = ::readdir(tasks)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(tasks);
    return count;
}

inline std::string errorText(const char *call, int error)
{
    return std::string(call) + ": " + std::strerror(error);
}

template <typename Result> struct ChildReport
{
    enum class Status : int { Ran, CannotDropPrivileges, Threw, KeptPrivileges };
    Status status = Status::Ran;
    int error = 0;
    char text[512] = {};
    Result result{};
};

template <typename Result> void copyText(ChildReport<Result> &report, const char *text)
{
    const std::size_t length = std::min(std::strlen(text), sizeof report.text - 1);
    std::memcpy(report.text, text, length);
    report.text[length] = '\0';
}

} // namespace detail

// Calls work with the rights of an ordinary user and returns what it returned.
//
// An ordinary user simply runs work here. Root forks; the child drops its
// supplementary groups, becomes `nobody` (uid and gid 65534 where the user
// database has no such entry), runs work, sends the result back through a pipe
// and leaves with _exit, so that nothing of the test process (exit handlers,
// leak checks, buffered output) runs twice. The process must have a single
// thread when it forks; work must not use the test framework's assertions (the
// child's would be lost) and must find every file it needs reachable by
// `nobody`: directories on the way searchable, the files readable.
//
// Result is copied as bytes, so it must be trivially copyable.
template <typename Work> auto withoutPrivileges(Work &&work)
{
    using Result = std::decay_t<decltype(work())>;
    static_assert(std::is_trivially_copyable_v<Result> && std::is_default_constructible_v<Result>,
                  "the result crosses a pipe as bytes");
    UnprivilegedRun<Result> run;

    if (::geteuid() != 0) {
        try {
            run.result = work();
        } catch (const std::exception &error) {
            run.why = std::string("the work threw: ") + error.what();
        }
        return run;
    }

    uid_t uid = 65534;
    gid_t gid = 65534;
    if (const passwd *nobody = ::getpwnam("nobody")) {
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    if (uid == 0) {
        run.unavailable = true;
        run.why = "the user database makes nobody root";
        return run;
    }
    const int threads = detail::threadCount();
    if (threads != 1) {
        run.why = "the test process runs " + std::to_string(threads) +
                  " threads; a forked child of it could deadlock";
        return run;
    }

    int channel[2];
    if (::pipe(channel) != 0) {
        run.why = detail::errorText("pipe", errno);
        return run;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        run.why = detail::errorText("fork", errno);
        ::close(channel[0]);
        ::close(channel[1]);
        return run;
    }
    if (child == 0) {
        ::close(channel[0]);
        using Report = detail::ChildReport<Result>;
        Report report;
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
            report.status = Report::Status::CannotDropPrivileges;
            report.error = errno;
        } else if (::setuid(0) == 0) {
            report.status = Report::Status::KeptPrivileges;
        } else {
            try {
                report.result = work();
            } catch (const std::exception &error) {
                report.status = Report::Status::Threw;
                detail::copyText(report, error.what());
            } catch (...) {
                report.status = Report::Status::Threw;
                detail::copyText(report, "an exception of unknown type");
            }
        }
        const char *bytes = reinterpret_cast<const char *>(&report);
        std::size_t left = sizeof report;
        while (left > 0) {
            const ssize_t written = ::write(channel[1], bytes, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                ::_exit(2);
            bytes += written;
            left -= static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }

    ::close(channel[1]);
    detail::ChildReport<Result> report;
    char *bytes = reinterpret_cast<char *>(&report);
    std::size_t got = 0;
    while (got < sizeof report) {
        const ssize_t n = ::read(channel[0], bytes + got, sizeof report - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        run.why = "the unprivileged child died of signal " + std::to_string(WTERMSIG(status));
        return run;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got != sizeof report) {
        run.why = "the unprivileged child sent no complete report (exit status " +
                  std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return run;
    }
    using Status = typename detail::ChildReport<Result>::Status;
    switch (report.status) {
    case Status::Ran:
        run.result = report.result;
        break;
    case Status::CannotDropPrivileges:
        // A user namespace that maps root alone, for one.
        run.unavailable = true;
        run.why = "root cannot become uid " + std::to_string(uid) + " here (" +
                  detail::errorText("setgroups/setgid/setuid", report.error) + ")";
        break;
    case Status::KeptPrivileges:
        run.why = "the child became uid " + std::to_string(uid) + " but could go back to root";
        break;
    case Status::Threw:
        run.why = std::string("the work threw: ") + report.text;
        break;
    }
    return run;
}

} // namespace vorin::test
