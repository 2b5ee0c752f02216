#include "ChildProcess.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

ChildProcess waitFor(pid_t pid, double started)
{
    ChildProcess result;
    int status = 0;
    rusage usage{};
    pid_t got;
    do
        got = wait4(pid, &status, 0, &usage);
    while (got < 0 && errno == EINTR);
    result.seconds = now() - started;
    if (got != pid)
        return result;
    result.peakMegabytes = double(usage.ru_maxrss) / 1024.0; // kB on Linux
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

} // namespace

QString ChildProcess::failure() const
{
    if (signal == SIGKILL)
        return QStringLiteral("killed by signal 9 (SIGKILL, out of memory?)");
    if (signal != 0)
        return QStringLiteral("killed by signal %1").arg(signal);
    if (exitCode != 0)
        return QStringLiteral("exit %1").arg(exitCode);
    return {};
}

ChildProcess ChildProcess::exec(const QString& program, const QStringList& arguments,
                                const QStringList& environment, const QString& outputFile)
{
    // Everything the child needs is built before the fork: between fork and
    // exec only async-signal-safe calls.
    std::vector<QByteArray> args{QFile::encodeName(program)};
    for (const QString& a : arguments)
        args.push_back(a.toLocal8Bit());
    // The given variables replace the inherited ones of the same name.
    std::vector<QByteArray> env;
    QList<QByteArray> names;
    for (const QString& e : environment) {
        env.push_back(e.toLocal8Bit());
        names.append(env.back().left(env.back().indexOf('=') + 1));
    }
    for (char** e = environ; *e; ++e)
        if (std::none_of(names.begin(), names.end(),
                         [e](const QByteArray& n) { return qstrncmp(*e, n, n.size()) == 0; }))
            env.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray out = QFile::encodeName(outputFile);
    return fork([&] {
        const int fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::close(fd);
        }
        ::execve(argv[0], argv.data(), envp.data());
        return 127;
    });
}

ChildProcess ChildProcess::fork(const std::function<int()>& work)
{
    std::fflush(nullptr);
    const double started = now();
    const pid_t pid = ::fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        const int code = work();
        std::fflush(nullptr);
        ::_exit(code);
    }
    return waitFor(pid, started);
}
