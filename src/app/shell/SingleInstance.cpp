#include "app/shell/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace tc {

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr qint64 maxMessageBytes = 64; // longer talk on the socket is not ours
const QByteArray activateMessage = "activate\n";

} // namespace

QString SingleInstance::defaultServerName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return QDir(runtime).filePath("tapchime.socket");
    }
    return QStringLiteral("tapchime-%1").arg(getuid());
}

SingleInstance::SingleInstance(QString serverName, QObject *parent) : QObject(parent), name_(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const {
    return server_ != nullptr && server_->isListening();
}

bool SingleInstance::claim() {
    if (tellRunningCopy()) {
        return false;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    if (!server_->listen(name_)) {
        // Nobody answered, so a socket file still there was left by a copy that died.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            qWarning("Tapchime: cannot listen on %s: %s", qPrintable(name_), qPrintable(server_->errorString()));
        }
    }
    return true;
}

bool SingleInstance::tellRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    socket.write(activateMessage);
    socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(connectTimeoutMs);
    }
    return true;
}

void SingleInstance::accept() {
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0) {
            read(socket);
        }
    }
}

void SingleInstance::read(QLocalSocket *socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(maxMessageBytes);
        if (line == activateMessage) {
            emit activateRequested();
        }
    }
    if (socket->bytesAvailable() > maxMessageBytes) {
        socket->abort();
    }
}

} // namespace tc
