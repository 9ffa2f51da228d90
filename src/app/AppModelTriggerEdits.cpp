// The edit operations on triggers: adding and deleting them, and the fields of one trigger that the trigger
// screen's views change (on/off, kind, word, sound, the applications it plays in).

#include "app/AppModel.h"

#include "engine/TypedWord.h"

#include <algorithm>

namespace tc {

namespace {

// The first trigger with the id in a document, const or not; null when none has it.
template <typename Document> auto *firstTriggerWithID(Document &data, const Uuid &id) {
    const auto it = std::find_if(data.triggers.begin(), data.triggers.end(),
                                 [&](const Trigger &trigger) { return trigger.id == id; });
    return it == data.triggers.end() ? nullptr : &*it;
}

} // namespace

Uuid AppModel::addTrigger(Trigger::Kind kind, const std::string &soundID) {
    Trigger trigger;
    trigger.id = Uuid::random();
    trigger.kind = std::move(kind);
    trigger.soundID = soundID;
    trigger.enabled = true;
    const auto id = trigger.id;
    commitEdit([&](AppData &data) { data.triggers.push_back(std::move(trigger)); }, triggersPart);
    return id;
}

void AppModel::deleteTrigger(const Uuid &id) {
    commitEdit(
        [&](AppData &data) { std::erase_if(data.triggers, [&](const Trigger &trigger) { return trigger.id == id; }); },
        triggersPart);
}

const Trigger *AppModel::trigger(const Uuid &id) const {
    return firstTriggerWithID(data_, id);
}

void AppModel::editTrigger(const Uuid &id, const std::function<void(Trigger &)> &change) {
    // A view may act on a trigger that was deleted a moment ago: nothing changes then, but the edit still
    // saves and pushes like every other. Only the one trigger is compared, so typing a word copies no other.
    if (Trigger *trigger = firstTriggerWithID(data_, id)) {
        const Trigger before = *trigger;
        change(*trigger);
        if (!(*trigger == before)) {
            emit triggersChanged({id});
        }
    }
    finishEdit();
}

void AppModel::setTriggerEnabled(const Uuid &id, bool on) {
    editTrigger(id, [on](Trigger &trigger) { trigger.enabled = on; });
}

void AppModel::setTriggerKind(const Uuid &id, Trigger::Kind kind) {
    editTrigger(id, [&kind](Trigger &trigger) { trigger.kind = std::move(kind); });
}

void AppModel::setTriggerWord(const Uuid &id, const std::string &typed) {
    // The router matches the typed word by the same rule, so a stored word is always one it can match.
    std::string word = TypedWord::cleaned(typed);
    if (word.empty()) {
        return; // the trigger keeps its word
    }
    setTriggerKind(id, Trigger::Kind::word(std::move(word)));
}

void AppModel::setTriggerSound(const Uuid &id, const std::string &soundID) {
    editTrigger(id, [&soundID](Trigger &trigger) { trigger.soundID = soundID; });
}

void AppModel::addTriggerApp(const Uuid &id, const std::string &bundleID) {
    editTrigger(id, [&bundleID](Trigger &trigger) {
        auto &apps = trigger.appBundleIDs;
        if (std::find(apps.begin(), apps.end(), bundleID) == apps.end()) {
            apps.push_back(bundleID);
        }
    });
}

void AppModel::removeTriggerApp(const Uuid &id, const std::string &bundleID) {
    editTrigger(id, [&bundleID](Trigger &trigger) { std::erase(trigger.appBundleIDs, bundleID); });
}

void AppModel::allowTriggerInEveryApp(const Uuid &id) {
    editTrigger(id, [](Trigger &trigger) { trigger.appBundleIDs.clear(); });
}

} // namespace tc
