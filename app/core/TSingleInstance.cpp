#include "app/core/TSingleInstance.h"

#include "base/OrvPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// What a later start sends, and the running copy's answer.
const QByteArray Request = "orv:activate\n";
const QByteArray Answer = "orv:ok\n";
} // namespace

TSingleInstance::TSingleInstance(const QString& lockPath) : m_lock(lockPath), m_lockPath(lockPath)
{
    m_lock.setStaleLockTime(0); // only a dead owner makes the lock stale
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::SocketPath() const
{
    return QFileInfo(m_lockPath).absolutePath() + QStringLiteral("/orv.socket");
}

bool TSingleInstance::Listen(std::function<void()> onRequest)
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the lock's holder gets here: a socket file left there is stale.
    QLocalServer::removeServer(SocketPath());
    if (!m_server->listen(SocketPath())) {
        m_server.reset();
        return false;
    }
    QLocalServer* server = m_server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server, onRequest] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, onRequest] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == Request) {
                    socket->write(Answer);
                    socket->flush();
                    onRequest();
                }
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool TSingleInstance::NotifyRunning(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(Request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine() == Answer;
}

bool TSingleInstance::IsPrivateDirectory(const QString& path)
{
    struct stat st = {};
    // lstat: a symbolic link planted under the expected name is not followed.
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QString TSingleInstance::DefaultLockPath()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime + QStringLiteral("/orv.lock");
    // The temporary directory is shared by all users: a lock file there could
    // be planted by another user to keep ORV from starting. The lock goes into
    // a directory of this user that nobody else may enter.
    const QString own = QDir::tempPath() + QStringLiteral("/orv-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (IsPrivateDirectory(own))
        return own + QStringLiteral("/orv.lock");
    // Someone else holds that name: the configuration directory in the home
    // directory is the user's own.
    const QString config = OrvPaths::configDir();
    QDir().mkpath(config);
    return config + QStringLiteral("/orv.lock");
}

bool TSingleInstance::Acquire()
{
    if (m_lock.tryLock(0))
        return true;
    m_otherRuns = m_lock.error() == QLockFile::LockFailedError;
    return !m_otherRuns;
}
