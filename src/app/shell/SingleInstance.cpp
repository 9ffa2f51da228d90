#include "app/shell/SingleInstance.h"

#include "engine/linux/SystemLog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tc {

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr qint64 maxMessageBytes = 64; // longer talk on the socket is not ours
const QByteArray activateMessage = "activate\n";
const QByteArray answerMessage = "activated\n";

// A folder of this user's that nobody else may add to or take from (a symbolic link counts when `followLink`).
bool closedToOthers(const QString &path, bool followLink, mode_t othersMask) {
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if ((followLink ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & othersMask) == 0;
}

// Whether the socket file, if there is one, is this user's own.
bool socketIsOurs(const QString &path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return true; // none (or not reachable): there is nothing to believe
    }
    return S_ISSOCK(info.st_mode) && info.st_uid == ::getuid();
}

// Whether the process at the other end of a connected socket runs as this user.
bool peerIsOurs(const QLocalSocket &socket) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) ==
               0 &&
           credentials.uid == ::getuid();
}

} // namespace

bool SingleInstance::privateFolder(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        return false; // a link, a file, or someone else's: never used
    }
    if ((info.st_mode & 0077) != 0 && ::chmod(name.constData(), 0700) != 0) {
        return false;
    }
    return closedToOthers(path, false, 0077);
}

QString SingleInstance::defaultServerName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && closedToOthers(runtime, true, 0022)) {
        return QDir(runtime).filePath("tapchime.socket");
    }
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("tapchime-%1").arg(::getuid()));
    if (!privateFolder(folder)) {
        return {};
    }
    return QDir(folder).filePath("tapchime.socket");
}

SingleInstance::SingleInstance(QString serverName, QObject *parent, Log log)
    : QObject(parent), name_(std::move(serverName)), log_(log ? std::move(log) : Log(systemLog)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const {
    return server_ != nullptr && server_->isListening();
}

bool SingleInstance::claim() {
    if (name_.isEmpty()) {
        log_("Tapchime: no folder of this user's own for the running copy's socket; a later launch starts "
             "another copy");
        return true;
    }
    switch (askRunningCopy()) {
    case Answer::answered:
        return false;
    case Answer::silent:
        log_("Tapchime: the copy on " + name_.toStdString() + " did not answer within " +
             std::to_string(kAnswerTimeoutMs) + " ms and is not on this data folder; listening in its place");
        break;
    case Answer::stranger:
        log_("Tapchime: " + name_.toStdString() + " belongs to another user; starting without asking it");
        break;
    case Answer::nobody:
        break;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    if (!server_->listen(name_)) {
        // Nobody answered, so a socket file still there was left by a copy that died or no longer answers.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            log_("Tapchime: cannot listen on " + name_.toStdString() + ": " + server_->errorString().toStdString());
        }
    }
    return true;
}

SingleInstance::Answer SingleInstance::askRunningCopy(std::chrono::milliseconds wait) {
    if (name_.isEmpty()) {
        return Answer::nobody;
    }
    if (!socketIsOurs(name_)) {
        return Answer::stranger;
    }
    const QDeadlineTimer deadline(std::max<qint64>(wait.count(), 1));
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(static_cast<int>(std::min<qint64>(deadline.remainingTime(), connectTimeoutMs)))) {
        return Answer::nobody;
    }
    if (!peerIsOurs(socket)) {
        socket.abort();
        return Answer::stranger;
    }
    socket.write(activateMessage);
    socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
    // A copy that is alive answers at once; one that is stopped or busy answers late or never.
    while (!socket.canReadLine() && !deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState) {
        socket.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
    }
    const bool answered = socket.canReadLine() && socket.readLine(maxMessageBytes) == answerMessage;
    socket.abort();
    return answered ? Answer::answered : Answer::silent;
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
            socket->write(answerMessage); // the later launch quits only once it has this
            socket->flush();
            emit activateRequested();
        }
    }
    if (socket->bytesAvailable() > maxMessageBytes) {
        socket->abort();
    }
}

} // namespace tc
