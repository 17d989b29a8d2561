#include "platform/tqkit-ui/TQKitSingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;
constexpr qint64 kLargestRequest = 4 * 1024 * 1024;
constexpr int kConnectAttempts = 50;
constexpr int kWaitMilliseconds = 5000;

} // namespace

TQKitSingleInstance::TQKitSingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent), socketPath_(socketPath), lock_(socketPath + u".lock"_s)
{
    // Held for the whole life of the process: only a dead owner's lock counts as stale.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readRequest(socket);
        }
    });
}

TQKitSingleInstance::~TQKitSingleInstance()
{
    server_.close();
}

QString TQKitSingleInstance::defaultSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(u"sonvale-%1.socket"_s.arg(::getuid()));
}

bool TQKitSingleInstance::becomeRunningInstance()
{
    if (!lock_.tryLock(0))
        return false;
    // A socket left behind by a process that died would block listen().
    QLocalServer::removeServer(socketPath_);
    if (!server_.listen(socketPath_))
        qWarning("Sonvale: later launches cannot reach this one: %s", qPrintable(server_.errorString()));
    return true;
}

bool TQKitSingleInstance::forward(const QStringList& arguments)
{
    QLocalSocket socket;
    // The running instance may hold the lock a moment before it listens.
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(kWaitMilliseconds / kConnectAttempts))
            break;
        QThread::msleep(kWaitMilliseconds / kConnectAttempts);
    }
    if (socket.state() != QLocalSocket::ConnectedState) {
        qWarning("Sonvale is already running but does not answer: %s", qPrintable(socket.errorString()));
        return false;
    }
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << arguments;
    socket.write(request);
    if (!socket.waitForBytesWritten(kWaitMilliseconds) || !socket.waitForReadyRead(kWaitMilliseconds)) {
        qWarning("Sonvale is already running but did not take the files: %s", qPrintable(socket.errorString()));
        return false;
    }
    return true;
}

void TQKitSingleInstance::readRequest(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > kLargestRequest) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.setVersion(kStreamVersion);
    in.startTransaction();
    QStringList arguments;
    in >> arguments;
    if (!in.commitTransaction())
        return; // wait for the rest
    Q_EMIT argumentsReceived(arguments);
    socket->write("\1");
    socket->flush();
    socket->disconnectFromServer();
}
