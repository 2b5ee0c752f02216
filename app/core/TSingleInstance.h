#pragma once

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

// Keeps a second copy of the program from running: the first copy holds a
// lock file in the user's runtime directory for as long as it runs. A lock
// left by a copy that died is taken over. The running copy also listens on a
// local socket beside the lock, so that a second start can ask it to come to
// the front instead of ending unseen.
class TSingleInstance
{
public:
    explicit TSingleInstance(const QString& lockPath = DefaultLockPath());
    ~TSingleInstance();

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

    // "orv.socket" in the lock's directory (a directory of this user only).
    QString SocketPath() const;
    // The copy holding the lock: calls `onRequest` whenever a later start
    // asks for the window. Needs the application's event loop; false when the
    // socket cannot be made (the program then runs without it).
    bool Listen(std::function<void()> onRequest);
    // A later start: asks the running copy to show its window. False when no
    // copy answered within `timeoutMs`.
    bool NotifyRunning(int timeoutMs = 3000) const;

private:
    QLockFile m_lock;
    QString m_lockPath;
    bool m_otherRuns = false;
    std::unique_ptr<QLocalServer> m_server;
};
