#include "app/DocumentStore.h"

#include "app/AtomicFile.h"
#include "app/DefaultDocument.h"
#include "engine/AtomicFile.h"
#include "model/Json.h"
#include "model/StarterPacks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>

namespace tc {

namespace {

constexpr int kMaxBrokenCopies = 1000; // kept files of one second; beyond that something else is wrong

// What reading data.json gave.
struct Read {
    enum class Outcome { missing, rejected, accepted };
    Outcome outcome = Outcome::missing;
    AppData data;   // accepted
    QString reason; // rejected: why, for the log
};

Read rejected(QString reason) {
    return {Read::Outcome::rejected, {}, std::move(reason)};
}

Read readDocument(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return {};
    }
    if (!info.isFile()) {
        return rejected(QStringLiteral("it is not a regular file"));
    }
    const auto tooLarge = [] {
        return rejected(QStringLiteral("it is larger than %1 bytes").arg(DocumentStore::kMaxDocumentBytes));
    };
    QByteArray bytes;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return rejected(file.errorString());
        }
        if (file.size() > DocumentStore::kMaxDocumentBytes) {
            return tooLarge();
        }
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return rejected(file.errorString());
        }
    }
    if (bytes.size() > DocumentStore::kMaxDocumentBytes) {
        return tooLarge(); // it grew while it was read
    }
    try {
        Read read{Read::Outcome::accepted,
                  decodeAppData(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))),
                  {}};
        if (read.data.profiles.empty()) {
            return rejected(QStringLiteral("it holds no profile"));
        }
        return read;
    } catch (const std::exception &error) {
        return rejected(QString::fromStdString(error.what()));
    }
}

// Moves `path` to `base`, or to base-2, base-3, … when that name is taken, never replacing a file. The new
// path, or an empty string with `error` set.
QString moveAside(const QString &path, const QString &base, QString &error) {
    for (int number = 1; number <= kMaxBrokenCopies; ++number) {
        const QString candidate = number == 1 ? base : base + QStringLiteral("-%1").arg(number);
        const QFileInfo existing(candidate);
        if (existing.exists() || existing.isSymLink()) {
            continue;
        }
        // QFile::rename never replaces an existing file, so a name taken meanwhile fails here.
        QFile file(path);
        if (file.rename(candidate)) {
            return candidate;
        }
        const QFileInfo after(candidate);
        if (!after.exists() && !after.isSymLink()) {
            error = file.errorString();
            return {};
        }
    }
    error = QStringLiteral("every name up to %1-%2 is taken").arg(base).arg(kMaxBrokenCopies);
    return {};
}

} // namespace

DocumentStore::DocumentStore(QString folder)
    : DocumentStore(std::move(folder),
                    [](const QString &path, const QByteArray &bytes) { return writeFileAtomically(path, bytes); }) {}

DocumentStore::DocumentStore(QString folder, SaveWriter::WriteFunction write)
    : folder_(std::move(folder)),
      writer_(std::make_unique<SaveWriter>(documentPath(), kMaxDocumentBytes, std::move(write))) {
    QDir().mkpath(folder_); // a failure shows up as a failed save
}

QString DocumentStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Tapchime";
}

QString DocumentStore::documentPath() const {
    return folder_ + "/data.json";
}

QString DocumentStore::brokenFileName(const QDateTime &when) {
    return QStringLiteral("data.json.broken-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

void DocumentStore::setLog(Log log) {
    log_ = log;
    writer_->setLog(std::move(log));
}

void DocumentStore::log(const std::string &line) const {
    if (log_) {
        log_(line);
    }
}

DocumentStore::Loaded DocumentStore::load(const QDateTime &now) {
    // Left by a save that was killed halfway; no save of this run has started yet.
    removeStaleTemporaries(std::filesystem::path(documentPath().toStdString()));

    auto read = readDocument(documentPath());
    if (read.outcome != Read::Outcome::accepted) {
        Loaded loaded{makeDefaultData(), Source::fallback, {}};
        if (read.outcome == Read::Outcome::rejected) {
            QString error;
            loaded.keptBrokenFile = moveAside(documentPath(), folder_ + "/" + brokenFileName(now), error);
            const std::string why = "Tapchime: data.json couldn't be used (" + read.reason.toStdString() + ")";
            if (!loaded.keptBrokenFile.isEmpty()) {
                log(why + "; it was kept as " + loaded.keptBrokenFile.toStdString() +
                    " and the default document is used");
            } else {
                // Saving now would replace the only copy.
                savesRefused_ = true;
                log(why + " and couldn't be moved aside (" + error.toStdString() +
                    "); the default document is used and nothing is saved over the file");
            }
        }
        return loaded;
    }

    Loaded loaded{std::move(read.data), Source::file, {}};
    auto &data = loaded.data;
    const auto markers = data.settings.seededPacks.size();
    StarterPacks::upgrade(data);

    // Every key edit works on the active profile, so an id that names none would make edits vanish.
    const auto active = std::find_if(data.profiles.begin(), data.profiles.end(),
                                     [&](const Profile &profile) { return profile.id == data.activeProfileID; });
    if (active == data.profiles.end()) {
        data.activeProfileID = data.profiles.front().id;
    }

    if (data.settings.seededPacks.size() != markers) {
        loaded.source = Source::upgraded;
        writer_->writeNow(data); // a failure is logged; the next save tries again
    }
    return loaded;
}

void DocumentStore::setSaveOutcome(SaveWriter::Outcome outcome) {
    outcome_ = outcome;
    writer_->setOutcome(std::move(outcome));
}

void DocumentStore::save(AppData snapshot) {
    if (savesRefused_) {
        if (outcome_) {
            outcome_(QStringLiteral("the document file there could not be moved aside, so nothing is saved over it"));
        }
        return;
    }
    writer_->enqueue(std::move(snapshot));
}

bool DocumentStore::waitForWrites(std::chrono::milliseconds timeout) {
    return writer_->waitUntilIdle(timeout);
}

void DocumentStore::exportBackup(const AppData &data, const QString &path) {
    // The user chose where the backup goes; a folder that is not there is a mistake, not one to make.
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) {
        throw BackupError("the folder " + info.absolutePath().toStdString() + " doesn't exist");
    }
    std::string text;
    try {
        text = encodeAppData(data, true);
    } catch (const std::exception &error) {
        throw BackupError(error.what());
    }
    if (const auto error = writeFileAtomically(path, QByteArray::fromStdString(text))) {
        throw BackupError(error->toStdString());
    }
}

} // namespace tc
