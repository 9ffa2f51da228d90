#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace tc {

// Keeps one running copy of the program per user. The first copy listens on a per-user local socket; a later
// launch finds it there, sends it "activate" and quits.
//
// Main thread only; activateRequested is emitted from the event loop.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // $XDG_RUNTIME_DIR/tapchime.socket when the runtime folder exists, else "tapchime-<uid>" in the
    // temporary folder.
    static QString defaultServerName();

    explicit SingleInstance(QString serverName = defaultServerName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Returns false when another copy answered on the socket: it has been asked to come to the front and this
    // copy should quit. Otherwise this copy becomes the running one, listens for later launches and returns
    // true; a socket left behind by a copy that crashed is replaced. When the socket cannot be opened at all
    // the program still runs (true), it just cannot be found by a later launch.
    bool claim();

    bool isListening() const;

signals:
    // A later launch asked this copy to come to the front.
    void activateRequested();

private:
    bool tellRunningCopy();
    void accept();
    void read(QLocalSocket *socket);

    QString name_;
    QLocalServer *server_ = nullptr;
};

} // namespace tc
