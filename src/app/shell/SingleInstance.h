#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace tc {

// Keeps one running copy of the program per user. The first copy listens on a per-user local socket; a later
// launch finds it there, sends it "activate", waits for its acknowledgement and quits.
//
// Only the user's own copy is ever believed: the socket lives in a folder nobody else can write to, and a socket,
// or a copy listening on it, of another user is never talked to. A copy that takes the connection but does not
// answer within kAnswerTimeoutMs (one that is dying, say, whose socket the system still holds) counts as gone.
//
// Main thread only (or the one thread that runs its event loop); activateRequested is emitted from the event loop.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // One line to the program's log.
    using Log = std::function<void(const std::string &line)>;

    static constexpr int kAnswerTimeoutMs = 1000;

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

    // Returns false when another copy answered on the socket: it has been asked to come to the front and this
    // copy should quit. Otherwise this copy becomes the running one, listens for later launches and returns
    // true; a socket left behind by a copy that crashed or does not answer is replaced (and the log says so).
    // When the socket cannot be opened at all the program still runs (true), it just cannot be found by a later
    // launch.
    bool claim();

    bool isListening() const;

signals:
    // A later launch asked this copy to come to the front.
    void activateRequested();

private:
    enum class Answer { answered, nobody, silent, stranger };
    Answer tellRunningCopy();
    void accept();
    void read(QLocalSocket *socket);

    QString name_;
    Log log_;
    QLocalServer *server_ = nullptr;
};

} // namespace tc
