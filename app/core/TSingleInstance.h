#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the program from running: the first copy holds a
// lock file in the user's runtime directory for as long as it runs. A lock
// left by a copy that died is taken over.
class TSingleInstance
{
public:
    explicit TSingleInstance(const QString& lockPath = DefaultLockPath());

    // $XDG_RUNTIME_DIR/orv.lock, else a per-user file in the temporary directory.
    static QString DefaultLockPath();

    // True when this copy may run: the lock is now ours, or it can't be taken
    // for a reason other than another running copy (then running is better
    // than refusing to start).
    bool Acquire();
    bool OtherCopyRuns() const { return m_otherRuns; }

private:
    QLockFile m_lock;
    bool m_otherRuns = false;
};
