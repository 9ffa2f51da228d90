#pragma once

#include "model/AppData.h"

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace tc {

class AppModelSignals;

// The parts of a document an edit may change, copied before the edit, so that afterwards the model signals exactly the
// parts that differ, with the ids of the records that changed in place. Only the parts named are copied and compared:
// an edit of one trigger's word copies no profile.
class DocumentParts {
public:
    // `parts` is a set of AppModel::Part flags.
    DocumentParts(const AppData &before, unsigned parts);

    // Emits the change signal of every copied part that differs in `after`, in the order profiles, keys, triggers, app
    // rules, user sounds, settings.
    void signalChanges(const AppData &after, AppModelSignals &model) const;

    // The ids of the records that changed between two lists: nothing when the lists are equal; an empty list when the
    // list itself changed (its ids differ in number or order); else the ids of the records that differ, in list order.
    template <typename Record, typename IdOf>
    static std::optional<std::vector<std::invoke_result_t<IdOf, const Record &>>>
    changedIDs(const std::vector<Record> &before, const std::vector<Record> &after, IdOf idOf) {
        using Id = std::invoke_result_t<IdOf, const Record &>;
        if (before.size() != after.size()) {
            return std::vector<Id>();
        }
        std::vector<Id> changed;
        bool any = false;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (idOf(before[i]) != idOf(after[i])) {
                return std::vector<Id>();
            }
            if (!(before[i] == after[i])) {
                changed.push_back(idOf(after[i]));
                any = true;
            }
        }
        if (!any) {
            return std::nullopt;
        }
        return changed;
    }

private:
    struct Profiles {
        std::vector<Profile> list;
        Uuid activeID;
    };
    std::optional<Profiles> profiles_;
    std::optional<std::vector<Trigger>> triggers_;
    std::optional<std::vector<AppRule>> appRules_;
    std::optional<std::vector<SoundItem>> userSounds_;
    std::optional<AppSettings> settings_;
};

} // namespace tc
