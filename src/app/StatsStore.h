#pragma once

#include <QSettings>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace tc {

// Where the day's key-press count survives a restart: "stats.day" (the day it counts, "yyyy-MM-dd") and
// "stats.count" (presses counted that day).
// Thread: the main thread.
class StatsStore {
public:
    virtual ~StatsStore() = default;
    virtual std::optional<QString> day() const = 0;
    virtual std::optional<std::int64_t> count() const = 0;
    virtual void setDay(const QString &day) = 0;
    virtual void setCount(std::int64_t count) = 0;
    // Writes what is set to disk now (the program calls it when it quits).
    virtual void sync() = 0;
};

// The Qt settings file $XDG_CONFIG_HOME/Tapchime/Tapchime.conf (or a file of the caller's choosing).
class SettingsStatsStore final : public StatsStore {
public:
    static constexpr const char *kDayKey = "stats.day";
    static constexpr const char *kCountKey = "stats.count";

    SettingsStatsStore(); // the user's settings file
    explicit SettingsStatsStore(const QString &filePath);

    std::optional<QString> day() const override;
    std::optional<std::int64_t> count() const override;
    void setDay(const QString &day) override;
    void setCount(std::int64_t count) override;
    void sync() override;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace tc
