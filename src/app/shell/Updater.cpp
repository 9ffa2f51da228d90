#include "app/shell/Updater.h"

#include "app/BuildInfo.h"
#include "app/VersionText.h"
#include "app/shell/Appcast.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QUrl>

namespace tc {

Updater::Updater(QString feed, QString shortVersion, QString build, QObject *parent)
    : QObject(parent), feed_(std::move(feed).trimmed()), shortVersion_(std::move(shortVersion)),
      build_(std::move(build)) {}

Updater::~Updater() = default;

QString Updater::buildFeed() {
    return QString::fromUtf8(buildinfo::updateFeed);
}

bool Updater::canCheck() const {
    return !feed_.isEmpty();
}

bool Updater::isChecking() const {
    return reply_ != nullptr;
}

void Updater::setPresenter(std::function<void(const UpdateCheckResult &)> presenter) {
    presenter_ = std::move(presenter);
}

void Updater::checkForUpdates() {
    if (!canCheck() || isChecking()) {
        return;
    }
    const QUrl url(feed_);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        report({UpdateCheckResult::Outcome::failed, {}, {}, QStringLiteral("The update feed address is not valid.")});
        return;
    }
    if (network_ == nullptr) {
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tapchime/%1").arg(shortVersion_));
    reply_ = network_->get(request);
    QNetworkReply *reply = reply_;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > maxFeedBytes) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void Updater::finish(QNetworkReply *reply) {
    reply->deleteLater();
    reply_ = nullptr;
    UpdateCheckResult result;
    if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->error() == QNetworkReply::OperationCanceledError
                           ? QStringLiteral("The update feed is too large or took too long.")
                           : QStringLiteral("The update feed could not be loaded (%1).").arg(reply->errorString());
        report(result);
        return;
    }
    const QByteArray body = reply->read(maxFeedBytes + 1);
    if (body.size() > maxFeedBytes) {
        result.error = QStringLiteral("The update feed is too large or took too long.");
        report(result);
        return;
    }
    QString error;
    const std::optional<AppcastItem> newest = newestAppcastItem(body, &error);
    if (!newest) {
        result.error = error;
    } else if (isNewer(*newest, shortVersion_, build_)) {
        result.outcome = UpdateCheckResult::Outcome::newer;
        result.version = newest->version;
        result.downloadLink = newest->downloadLink;
    } else {
        result.outcome = UpdateCheckResult::Outcome::upToDate;
    }
    report(result);
}

void Updater::report(const UpdateCheckResult &result) {
    if (presenter_) {
        presenter_(result);
    } else {
        present(result, versionText(shortVersion_, build_));
    }
    emit checkFinished(result);
}

void Updater::present(const UpdateCheckResult &result, const QString &runningVersion) {
    auto *box = new QMessageBox;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QStringLiteral("Software Update"));
    switch (result.outcome) {
    case UpdateCheckResult::Outcome::newer: {
        box->setIcon(QMessageBox::Information);
        box->setText(QStringLiteral("Tapchime %1 is available.").arg(result.version));
        box->setInformativeText(QStringLiteral("You have %1.").arg(runningVersion));
        if (!result.downloadLink.isEmpty()) {
            QPushButton *download = box->addButton(QStringLiteral("Download"), QMessageBox::AcceptRole);
            const QUrl link(result.downloadLink);
            connect(download, &QPushButton::clicked, box, [link] { QDesktopServices::openUrl(link); });
            box->addButton(QStringLiteral("Not Now"), QMessageBox::RejectRole);
        } else {
            box->addButton(QMessageBox::Ok);
        }
        break;
    }
    case UpdateCheckResult::Outcome::upToDate:
        box->setIcon(QMessageBox::Information);
        box->setText(QStringLiteral("You're up to date!"));
        box->setInformativeText(QStringLiteral("Tapchime %1 is the newest version.").arg(runningVersion));
        box->addButton(QMessageBox::Ok);
        break;
    case UpdateCheckResult::Outcome::failed:
        box->setIcon(QMessageBox::Warning);
        box->setText(QStringLiteral("Tapchime couldn't check for updates."));
        box->setInformativeText(result.error);
        box->addButton(QMessageBox::Ok);
        break;
    }
    box->setModal(false);
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace tc
