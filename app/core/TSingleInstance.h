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

    // $XDG_RUNTIME_DIR/orv.lock, else orv.lock in the directory "orv-<uid>"
    // of the temporary directory, created with mode 0700; when that name is
    // taken by anything but such a directory of this user, orv.lock in the
    // configuration directory.
    static QString DefaultLockPath();
    // A directory (not a link to one) owned by this user, closed to others.
    static bool IsPrivateDirectory(const QString& path);

    // True when this copy may run: the lock is now ours, or it can't be taken
    // for a reason other than another running copy (then running is better
    // than refusing to start).
    bool Acquire();
    bool OtherCopyRuns() const { return m_otherRuns; }

private:
    QLockFile m_lock;
    bool m_otherRuns = false;
};
