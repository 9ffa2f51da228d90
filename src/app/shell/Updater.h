#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace tc {

// What one update check found.
struct UpdateCheckResult {
    enum class Outcome { newer, upToDate, failed };
    Outcome outcome = Outcome::failed;
    QString version;      // newer: the version on offer
    QString downloadLink; // newer: where to get it (http or https), may be empty
    QString error;        // failed: why, in a sentence
};

// The update component: exists once for the life of the process (made by main). With a feed address (an RSS
// appcast) it can check whether a newer version exists and tells the user; without one, canCheck() is false
// and "Check for Updates…" is disabled.
//
// Main thread only; the check runs on the Qt event loop.
class Updater : public QObject {
    Q_OBJECT
public:
    // `feed` is the appcast address (empty: no update checks); `shortVersion` and `build` are the running
    // version, compared with the feed's newest item.
    Updater(QString feed, QString shortVersion, QString build, QObject *parent = nullptr);
    ~Updater() override;

    // The build-time values: TAPCHIME_UPDATE_FEED, the project version and TAPCHIME_BUILD_NUMBER.
    static QString buildFeed();

    bool canCheck() const;
    bool isChecking() const;

    // Fetches the feed and reports the result through the presenter and checkFinished. Does nothing without a
    // feed or while a check is running.
    void checkForUpdates();

    // Replaces the default presentation (a message box with a "Download" button for a newer version).
    void setPresenter(std::function<void(const UpdateCheckResult &)> presenter);

    // Bounds of one check: the feed may not be larger than this, nor take longer.
    static constexpr qint64 maxFeedBytes = 1 << 20;
    static constexpr int timeoutMs = 20000;

signals:
    void checkFinished(const tc::UpdateCheckResult &result);

private:
    void finish(QNetworkReply *reply);
    void report(const UpdateCheckResult &result);
    static void present(const UpdateCheckResult &result, const QString &runningVersion);

    QString feed_;
    QString shortVersion_;
    QString build_;
    QNetworkAccessManager *network_ = nullptr;
    QNetworkReply *reply_ = nullptr;
    std::function<void(const UpdateCheckResult &)> presenter_;
};

} // namespace tc
