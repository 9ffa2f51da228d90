#include "ui/sounds/SoundsScreenState.h"

#include "model/KeyLayout.h"
#include "ui/kit/ShownText.h"

#include <algorithm>
#include <set>
#include <utility>

namespace tc {

void SoundsScreenState::setFilter(std::optional<SoundCategory> filter) {
    if (filter_ != filter) {
        filter_ = filter;
        emit filterChanged();
    }
}

void SoundsScreenState::setSearch(const QString &search) {
    if (search_ != search) {
        search_ = search;
        emit searchChanged();
    }
}

void SoundsScreenState::setDropTargeted(bool targeted) {
    if (dropTargeted_ != targeted) {
        dropTargeted_ = targeted;
        emit dropTargetedChanged();
    }
}

void SoundsScreenState::setErrorText(std::optional<QString> text) {
    if (errorText_ != text) {
        errorText_ = std::move(text);
        emit errorTextChanged();
    }
}

void SoundsScreenState::setRenaming(std::optional<SoundItem> sound) {
    if (renaming_ != sound) {
        renaming_ = std::move(sound);
        emit renamingChanged();
    }
}

void SoundsScreenState::setNewName(const QString &name) {
    if (newName_ != name) {
        newName_ = name;
        emit newNameChanged();
    }
}

QString SoundsScreenState::headerDetail(std::size_t soundCount, std::size_t profileCount) {
    return QStringLiteral("%1 sounds \u00B7 %2 packs").arg(soundCount).arg(profileCount);
}

std::vector<SoundItem> SoundsScreenState::filtered(const std::vector<SoundItem> &sounds,
                                                   const std::optional<SoundCategory> &filter, const QString &search) {
    std::vector<SoundItem> shown;
    for (const SoundItem &sound : sounds) {
        if (filter && sound.category != *filter) {
            continue;
        }
        if (!search.isEmpty() && !QString::fromStdString(sound.name).contains(search, Qt::CaseInsensitive)) {
            continue;
        }
        shown.push_back(sound);
    }
    return shown;
}

QString SoundsScreenState::emptyText(const std::optional<SoundCategory> &filter, const QString &search,
                                     bool hasUserSounds) {
    if (filter == SoundCategory::mine && !hasUserSounds) {
        return QStringLiteral("Import or record your first sound.");
    }
    return QStringLiteral("Nothing matches \u201C%1\u201D.").arg(search);
}

QString SoundsScreenState::selectionLabel(const KeySet &keys) {
    if (keys.size() == 1) {
        return QString::fromStdString(KeyLayout::label(*keys.begin())).toUpper();
    }
    return QStringLiteral("%1 keys").arg(keys.size());
}

QString SoundsScreenState::assignHelp(const KeySet &keys) {
    if (keys.empty()) {
        return QStringLiteral("Select a key on the Keys screen first");
    }
    return QStringLiteral("Put this sound on ") + selectionLabel(keys);
}

QString SoundsScreenState::keysText(const std::vector<std::string> &labels) {
    QStringList shown;
    for (std::size_t i = 0; i < labels.size() && i < 4; ++i) {
        shown << QString::fromStdString(labels[i]);
    }
    return shown.join(QStringLiteral("  "));
}

QString SoundsScreenState::durationText(double seconds) {
    return QString::asprintf("%.2fs", seconds);
}

std::array<SoundCategory, 4>
SoundsScreenState::packCategories(const Profile &profile,
                                  const std::function<std::optional<SoundItem>(const std::string &)> &soundForID) {
    std::set<std::string> names; // raw values sort as the caps are ordered
    for (const auto &[key, assignment] : profile.keys) {
        if (const auto sound = soundForID(assignment.soundID)) {
            names.insert(toString(sound->category));
        }
    }
    std::array<SoundCategory, 4> caps;
    caps.fill(SoundCategory::mechanical);
    std::size_t index = 0;
    for (const std::string &name : names) {
        if (index == caps.size()) {
            break;
        }
        caps[index++] = soundCategoryFromString(name).value_or(SoundCategory::mechanical);
    }
    return caps;
}

QString SoundsScreenState::customKeysText(std::size_t count) {
    return QStringLiteral("%1 custom keys").arg(count);
}

std::optional<QString> SoundsScreenState::importErrorText(const std::vector<Failure> &failures) {
    if (failures.empty()) {
        return std::nullopt;
    }
    if (failures.size() == 1) {
        return failures.front().reason;
    }
    // Files that failed alike share a line, in the order their reasons first came.
    std::vector<std::pair<QString, QStringList>> groups;
    for (const Failure &failure : failures) {
        const auto group = std::find_if(groups.begin(), groups.end(),
                                        [&](const auto &entry) { return entry.first == failure.reason; });
        if (group == groups.end()) {
            groups.emplace_back(failure.reason, QStringList{failure.fileName});
        } else {
            group->second << failure.fileName;
        }
    }
    QStringList lines;
    qsizetype untold = 0;
    for (const auto &[reason, names] : groups) {
        if (std::cmp_greater_equal(lines.size(), kReasonsTold)) {
            untold += names.size();
            continue;
        }
        QStringList shown;
        for (qsizetype i = 0; i < names.size() && std::cmp_less(i, kNamesPerReason); ++i) {
            shown << ShownText::bounded(names[i], kNameCharacters);
        }
        QString files = shown.join(QStringLiteral(", "));
        if (std::cmp_greater(names.size(), kNamesPerReason)) {
            files += QStringLiteral(" and %1 more").arg(names.size() - static_cast<qsizetype>(kNamesPerReason));
        }
        lines << files + QStringLiteral(": ") + reason;
    }
    if (untold > 0) {
        lines << (untold == 1 ? QStringLiteral("and 1 more file") : QStringLiteral("and %1 more files").arg(untold));
    }
    return lines.join(QLatin1Char('\n'));
}

QString SoundsScreenState::importingText(int done, int total) {
    if (total <= 1) {
        return QStringLiteral("Importing\u2026");
    }
    return QStringLiteral("Importing %1 of %2\u2026").arg(std::min(done + 1, total)).arg(total);
}

} // namespace tc
