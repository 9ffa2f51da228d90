#include "app/DefaultDocument.h"

#include "model/Modifiers.h"
#include "model/StarterPacks.h"

namespace tc {

namespace {

Trigger makeTrigger(Trigger::Kind kind, std::string soundID) {
    Trigger trigger;
    trigger.id = Uuid::random();
    trigger.kind = std::move(kind);
    trigger.soundID = std::move(soundID);
    trigger.enabled = true;
    return trigger;
}

} // namespace

AppData makeDefaultData() {
    AppData data;

    Profile plain;
    plain.id = Uuid::random();
    plain.name = "Default";
    plain.color = ProfileColor::white;
    plain.baseSoundID = "synth.cream";
    data.profiles.push_back(std::move(plain));
    data.profiles.push_back(StarterPacks::makeMeme());
    data.profiles.push_back(StarterPacks::makeAnimals());
    data.profiles.push_back(StarterPacks::makeArcade());
    data.activeProfileID = data.profiles[1].id;

    data.triggers.push_back(makeTrigger(Trigger::Kind::shortcut(1, Modifiers::kControl), "synth.tada"));
    data.triggers.push_back(makeTrigger(Trigger::Kind::shortcut(12, Modifiers::kControl), "synth.sadtrombone"));
    data.triggers.push_back(makeTrigger(Trigger::Kind::word("lol"), "synth.boing"));
    data.triggers.push_back(makeTrigger(Trigger::Kind::word("gg"), "synth.powerup"));
    data.triggers.push_back(makeTrigger(Trigger::Kind::word("wow"), "synth.airhorn"));

    // Call applications, by their desktop-entry ids, play nothing.
    data.appRules.push_back(AppRule{"Zoom", "Zoom", std::nullopt});
    data.appRules.push_back(AppRule{"org.gnome.Calls", "Calls", std::nullopt});

    data.settings.seededPacks = {std::string(StarterPacks::kMigrationMarker)};
    return data;
}

} // namespace tc
