#include "app/StatsStore.h"

namespace tc {

SettingsStatsStore::SettingsStatsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Tapchime", "Tapchime")) {}

SettingsStatsStore::SettingsStatsStore(const QString &filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

std::optional<QString> SettingsStatsStore::day() const {
    const auto value = settings_->value(kDayKey);
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<std::int64_t> SettingsStatsStore::count() const {
    const auto value = settings_->value(kCountKey);
    bool ok = false;
    const auto number = value.toLongLong(&ok);
    if (!value.isValid() || !ok) {
        return std::nullopt;
    }
    return number;
}

void SettingsStatsStore::setDay(const QString &day) {
    settings_->setValue(kDayKey, day);
}

void SettingsStatsStore::setCount(std::int64_t count) {
    settings_->setValue(kCountKey, static_cast<qlonglong>(count));
}

void SettingsStatsStore::sync() {
    settings_->sync();
}

} // namespace tc
