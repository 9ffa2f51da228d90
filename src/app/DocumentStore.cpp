#include "app/DocumentStore.h"

#include "app/AtomicFile.h"
#include "app/DefaultDocument.h"
#include "model/Json.h"
#include "model/StarterPacks.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>

namespace tc {

namespace {

std::optional<AppData> readDocument(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > DocumentStore::kMaxDocumentBytes) {
        return std::nullopt;
    }
    const auto bytes = file.readAll();
    try {
        auto data = decodeAppData(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (data.profiles.empty()) {
            return std::nullopt;
        }
        return data;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace

DocumentStore::DocumentStore(QString folder) : DocumentStore(std::move(folder), writeFileAtomically) {}

DocumentStore::DocumentStore(QString folder, SaveWriter::WriteFunction write)
    : folder_(std::move(folder)), write_(std::move(write)),
      writer_(std::make_unique<SaveWriter>(documentPath(), write_)) {
    QDir().mkpath(folder_); // a failure shows up, silently, as a failed save
}

QString DocumentStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Tapchime";
}

QString DocumentStore::documentPath() const {
    return folder_ + "/data.json";
}

DocumentStore::Loaded DocumentStore::load() {
    auto stored = readDocument(documentPath());
    if (!stored) {
        return {makeDefaultData(), Source::fallback};
    }
    Loaded loaded{std::move(*stored), Source::file};
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
        try {
            write_(documentPath(), QByteArray::fromStdString(encodeAppData(data, false)));
        } catch (const std::exception &) {
            // Not written; the next save tries again.
        }
    }
    return loaded;
}

void DocumentStore::save(AppData snapshot) {
    writer_->enqueue(std::move(snapshot));
}

bool DocumentStore::waitForWrites(std::chrono::milliseconds timeout) {
    return writer_->waitUntilIdle(timeout);
}

void DocumentStore::exportBackup(const AppData &data, const QString &path) {
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
