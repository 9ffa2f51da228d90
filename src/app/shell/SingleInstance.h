#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace tc {

// The running copy's local socket, through which a later launch asks it to show its window. The first copy listens
// on a per-user socket; a later launch finds it there, sends it "activate", waits for its acknowledgement and quits.
// Which copy runs is not decided here but by the data folder's lock (DataFolderLock, SecondLaunch): only the copy
// that holds it claims the socket, and a launch that finds the lock held only asks.
//
// Only the user's own copy is ever believed: the socket lives in a folder nobody else can write to, and a socket,
// or a copy listening on it, of another user is never talked to.
//
// Main thread only (or the one thread that runs its event loop); activateRequested is emitted from the event loop.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // One line to the program's log.
    using Log = std::function<void(const std::string &line)>;

    static constexpr int kAnswerTimeoutMs = 1000;

    enum class Answer {
        answered, // a copy of this user's took the message and said so
        nobody,   // no socket, or nobody listens on it
        silent,   // a copy took the connection but did not answer in time (or let go of it first)
        stranger, // the socket, or the copy on it, is another user's: never asked
    };

    // $XDG_RUNTIME_DIR/tapchime.socket when the runtime folder is the user's own and nobody else may write to it;
    // else tapchime.socket in "tapchime-<uid>" in the temporary folder, a folder made for it with access for the
    // user alone (see privateFolder). Empty when there is no such folder: the program then runs without a socket.
    static QString defaultServerName();
    // Makes `path` (mode 0700) when it does not exist, and takes away the access of others from one of the user's
    // own. True when it is then a folder, not a link, owned by this user and closed to everyone else.
    static bool privateFolder(const QString &path);

    // `serverName`: the socket's full path. `log`: where the program's log lines go (default: the system log).
    explicit SingleInstance(QString serverName = defaultServerName(), QObject *parent = nullptr, Log log = {});
    ~SingleInstance() override;

    // For the copy that holds the data folder's lock. Returns false when another copy answered on the socket (one
    // of another data folder): it has been asked to come to the front and this copy should quit. Otherwise this
    // copy listens for later launches and returns true; a socket left behind by a copy that crashed or does not
    // answer (none of this data folder, whose lock this copy holds) is replaced, and the log says so. When the
    // socket cannot be opened at all the program still runs (true), it just cannot be found by a later launch.
    bool claim();
    // Asks the copy on the socket to show its window, waiting up to `wait` for its answer; never listens.
    Answer askRunningCopy(std::chrono::milliseconds wait = std::chrono::milliseconds(kAnswerTimeoutMs));

    bool isListening() const;

signals:
    // A later launch asked this copy to come to the front.
    void activateRequested();

private:
    void accept();
    void read(QLocalSocket *socket);

    QString name_;
    Log log_;
    QLocalServer *server_ = nullptr;
};

} // namespace tc
