#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// One measured run in a child process of its own: its wall time and its
// peak memory as the kernel counted it for that child (wait4, ru_maxrss),
// since a process's peak never falls and runs in one process would hide
// each other. Note that Linux carries the parent's peak at fork into the
// child's ru_maxrss, so the parent keeps small before it starts children.
struct ChildProcess
{
    double seconds = 0;
    double peakMegabytes = 0; // MiB
    int exitCode = -1;        // when it exited
    int signal = 0;           // when it was killed (9: most often the OOM killer)

    bool ok() const { return signal == 0 && exitCode == 0; }
    // "exit 1", "killed by signal 9 (SIGKILL, out of memory?)" or empty.
    QString failure() const;

    // Runs `program` with `arguments`, the environment plus `environment`
    // ("NAME=value"), its output into `outputFile` (both streams).
    static ChildProcess exec(const QString& program, const QStringList& arguments,
                             const QStringList& environment, const QString& outputFile);
    // Runs `work` in a forked child, which exits with its result.
    static ChildProcess fork(const std::function<int()>& work);
};
