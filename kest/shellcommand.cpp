// SPDX-License-Identifier: GPL-2.0-or-later
#include "shellcommand.h"

#include "jobprogress.h"
#include "shellquote.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr qsizetype errorsKept = 64 * 1024;
// A tool that asks again and again (an empty answer each time after the first) is stopped.
constexpr int mostPrompts = 64;

ShellWatch &waitHook()
{
    static ShellWatch hook;
    return hook;
}

bool &cancelledFlag()
{
    static bool cancelled = false;
    return cancelled;
}

// Stops the job's process group: SIGTERM lets a tool tidy up, SIGKILL follows for whatever is
// left after 100 ms. Returns once the shell is reaped and nothing of the job runs any more,
// or after a few seconds (a process in an uninterruptible sleep). A child of the shell that
// has ended waits as a zombie until init collects it, which may take a while; it writes
// nothing more, so it does not count.
void stopGroup(pid_t pid, bool &reaped, int &status)
{
    kill(-pid, SIGTERM);
    // A stopped process acts on SIGTERM only once it runs again.
    kill(-pid, SIGCONT);
    const auto start = Clock::now();
    auto lastScan = start - std::chrono::seconds(1);
    bool killed = false;
    for (;;) {
        if (!reaped) {
            const pid_t done = waitpid(pid, &status, WNOHANG);
            reaped = done == pid || (done < 0 && errno == ECHILD);
        }
        if (reaped && kill(-pid, 0) != 0 && errno == ESRCH)
            return;
        // Only zombies left? That takes a look at every process: not on every turn.
        if (reaped && Clock::now() - lastScan >= std::chrono::milliseconds(20)) {
            lastScan = Clock::now();
            if (ProcReader().sessionMembers(pid).isEmpty())
                return;
        }
        const auto waited = Clock::now() - start;
        if (!killed && waited >= std::chrono::milliseconds(100)) {
            kill(-pid, SIGKILL);
            killed = true;
        }
        if (waited > std::chrono::seconds(5))
            return;
        usleep(2000);
    }
}

bool needsDotSlash(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')))
        return false;
    if (path.startsWith(QLatin1Char('-')))
        return true;
    const int colon = path.indexOf(QLatin1Char(':'));
    const int slash = path.indexOf(QLatin1Char('/'));
    return colon >= 0 && (slash < 0 || colon < slash);
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Everything a running job holds on this side.
struct Channels
{
    int errors[2] = {-1, -1};
    int output[2] = {-1, -1};
    int input[2] = {-1, -1};  // a socket pair: writing to a reader that left gives EPIPE, no SIGPIPE
    int outputFile = -1;
    int master = -1;
    int slave = -1;  // kept open here too, to watch the tool's terminal settings and input queue
    QByteArray slaveName;

    ~Channels()
    {
        for (int *fd : {&errors[0], &errors[1], &output[0], &output[1], &input[0], &input[1], &outputFile,
                        &master, &slave})
            closeFd(*fd);
    }
};

bool openChannels(const ShellJob &job, Channels &c)
{
    if (pipe2(c.errors, O_CLOEXEC) != 0)
        return false;
    if (job.captureOutput && pipe2(c.output, O_CLOEXEC) != 0)
        return false;
    if (!job.outputFile.isEmpty()) {
        c.outputFile =
            ::open(job.outputFile.toUtf8().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (c.outputFile < 0)
            return false;
    }
    if (job.passwordWay == ShellJob::PasswordOnInput
        && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, c.input) != 0)
        return false;
    if (job.passwordWay == ShellJob::PasswordAtTerminal) {
        c.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (c.master < 0 || grantpt(c.master) != 0 || unlockpt(c.master) != 0
            || ptsname_r(c.master, name, sizeof name) != 0)
            return false;
        c.slaveName = name;
        c.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (c.slave < 0)
            return false;
    }
    for (int fd : {c.errors[0], c.output[0], c.master})
        if (fd >= 0)
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return true;
}

pid_t spawnShell(QByteArray &command, Channels &c)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (c.input[1] >= 0)
        posix_spawn_file_actions_adddup2(&actions, c.input[0], STDIN_FILENO);
    else if (c.master >= 0)
        // Opened after setsid and without O_NOCTTY: the job's controlling terminal, where the
        // tools' password prompts read (/dev/tty).
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, c.slaveName.constData(), O_RDWR, 0);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (c.master >= 0)
        // Standard output too: unar asks only when it writes to a terminal.
        posix_spawn_file_actions_adddup2(&actions, STDIN_FILENO, STDOUT_FILENO);
    else if (c.output[1] >= 0)
        posix_spawn_file_actions_adddup2(&actions, c.output[1], STDOUT_FILENO);
    else if (c.outputFile >= 0)
        posix_spawn_file_actions_adddup2(&actions, c.outputFile, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, c.errors[1], STDERR_FILENO);

    // The shell starts with nothing blocked and every signal at its default, whatever the
    // program does with its own, in a session of its own: the job is one process group that
    // can be stopped as a whole, and no tool reaches the terminal Kest was started from.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    char shell[] = "/bin/sh", dashC[] = "-c";
    char *argv[] = {shell, dashC, command.data(), nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, shell, &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? pid : -1;
}

// Reads what is there; false at end of file (or error), when the descriptor is closed.
bool drain(int &fd, QByteArray &into)
{
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, got);
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        closeFd(fd);
        return false;
    }
}

// Reads what fd holds, copies it to Kest's own copyTo and keeps the last errorsKept bytes.
void passOn(int &fd, int copyTo, QByteArray &kept)
{
    QByteArray fresh;
    drain(fd, fresh);
    if (fresh.isEmpty())
        return;
    [[maybe_unused]] const ssize_t copied = ::write(copyTo, fresh.constData(), fresh.size());
    kept += fresh;
    if (kept.size() > errorsKept)
        kept = kept.right(errorsKept);
}

// Answers the tool's password prompts on the terminal. A tool asks with echo switched off;
// the answer is written once its input is empty, and the next prompt is one that comes after
// echo was back on, or after the answer was read and echo stayed off (asked again at once).
class PromptAnswerer
{
public:
    PromptAnswerer(int master, int slave, QByteArray password)
        : master(master), slave(slave), password(std::move(password))
    {}

    int answered() const { return prompts; }

    // Answers a prompt that waits; returns the number answered so far.
    int look()
    {
        termios settings{};
        if (tcgetattr(slave, &settings) != 0)
            return prompts;
        const bool echoOff = !(settings.c_lflag & ECHO);
        int queued = 0;
        ioctl(slave, FIONREAD, &queued);
        if (answering) {
            if (!echoOff || (queued == 0 && Clock::now() - answeredAt > std::chrono::milliseconds(300)))
                answering = false;
            return prompts;
        }
        if (echoOff && queued == 0) {
            // After the first prompt an empty line: the tool gives up on that member.
            const QByteArray answer = (prompts == 0 ? password : QByteArray()) + '\n';
            if (::write(master, answer.constData(), answer.size()) == answer.size()) {
                ++prompts;
                answering = true;
                answeredAt = Clock::now();
            }
        }
        return prompts;
    }

private:
    int master, slave;
    QByteArray password;
    int prompts = 0;
    bool answering = false;
    Clock::time_point answeredAt;
};

}  // namespace

QString shellQuotePath(const QString &path)
{
    const QString word = needsDotSlash(path) ? QLatin1String("./") + path : path;
    return QString::fromStdString(shellQuote(word.toStdString()));
}

ShellResult runShellJob(const ShellJob &job)
{
    ShellResult result;
    if (cancelledFlag()) {
        result.cancelled = true;
        return result;
    }
    QByteArray command = job.line.toUtf8();
    if (command.contains('\0'))
        return result;
    Channels c;
    if (!openChannels(job, c))
        return result;
    const pid_t pid = spawnShell(command, c);
    closeFd(c.errors[1]);
    closeFd(c.output[1]);
    closeFd(c.outputFile);
    closeFd(c.input[0]);
    if (pid < 0)
        return result;
    if (c.input[1] >= 0) {
        const QByteArray line = job.password.toUtf8() + '\n';
        ::send(c.input[1], line.constData(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        closeFd(c.input[1]);
    }
    std::unique_ptr<PromptAnswerer> answerer;
    if (c.master >= 0)
        answerer = std::make_unique<PromptAnswerer>(c.master, c.slave, job.password.toUtf8());

    const ShellWatch hook = waitHook();
    const auto interval = std::chrono::milliseconds(shellWaitIntervalMs);
    // Looks start 1 ms apart and grow to the interval, so a short command (one cp of many)
    // does not wait out a whole interval; prompts are watched every 5 ms.
    auto pause = std::chrono::milliseconds(1);
    const auto longest = answerer ? std::chrono::milliseconds(5) : interval;
    auto lastHook = Clock::now();
    Clock::time_point ended;
    bool reaped = false, stopping = false;
    int status = 0;
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        for (int fd : {c.errors[0], c.output[0], c.master})
            if (fd >= 0)
                fds[count++] = {fd, POLLIN, 0};
        // With nothing left to read or answer and nobody to call, the end is simply waited
        // for, as soon as it comes.
        const bool onlyTheEnd = count == 0 && !hook && !answerer;
        if (count > 0)
            poll(fds, count, int(pause.count()));
        else if (!reaped && !onlyTheEnd)
            usleep(useconds_t(pause.count() * 1000));
        pause = std::min(pause * 2, longest);

        if (c.errors[0] >= 0)
            passOn(c.errors[0], STDERR_FILENO, result.errors);
        if (c.output[0] >= 0) {
            drain(c.output[0], result.output);
            if (job.outputLimit > 0 && result.output.size() >= job.outputLimit && !stopping) {
                kill(-pid, SIGKILL);
                stopping = result.stopped = true;
            }
        }
        // What the tool wrote to the terminal, its prompts and messages, is its own output.
        if (c.master >= 0)
            passOn(c.master, STDOUT_FILENO, result.output);
        if (answerer && !reaped && answerer->look() > mostPrompts && !stopping) {
            kill(-pid, SIGKILL);
            stopping = true;
        }
        if (!reaped) {
            const pid_t done = waitpid(pid, &status, onlyTheEnd ? 0 : WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) {
                reaped = done == pid;
                ended = Clock::now();
                if (!reaped)
                    return result;
            }
        }
        // The shell has ended; what its children still write is taken for a moment, not
        // waited for (a tool may leave a helper behind holding the pipe).
        const bool pipesOpen = c.errors[0] >= 0 || c.output[0] >= 0;
        if (reaped && (!pipesOpen || Clock::now() - ended > std::chrono::seconds(1)))
            break;
        if (hook && Clock::now() - lastHook >= interval) {
            const bool cancel = hook(int(pid));
            lastHook = Clock::now();
            if (cancel) {
                result.cancelled = cancelledFlag() = true;
                stopGroup(pid, reaped, status);
                if (!reaped)
                    return result;
                break;
            }
        }
    }
    if (answerer)
        result.prompts = answerer->answered();
    if (WIFEXITED(status)) {
        result.status.end = ShellStatus::Exited;
        result.status.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.status.end = ShellStatus::Killed;
        result.status.code = WTERMSIG(status);
    }
    return result;
}

ShellStatus runShellCommand(const QString &line)
{
    ShellJob job;
    job.line = line;
    return runShellJob(job).status;
}

void setShellWaitHook(std::function<void()> hook)
{
    if (hook)
        setShellWatch([hook = std::move(hook)](int) {
            hook();
            return false;
        });
    else
        setShellWatch(nullptr);
}

void setShellWatch(ShellWatch watch)
{
    waitHook() = std::move(watch);
    cancelledFlag() = false;
}

bool shellCancelled()
{
    return cancelledFlag();
}
