#include "Actions.h"

#include "Holds.h"

#include "app/AppModel.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RuleCard.h"
#include "ui/editor/BaseSoundMenu.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/Inspector.h"
#include "ui/editor/InspectorControls.h"
#include "ui/editor/TitleBlock.h"
#include "ui/kit/PillToggle.h"
#include "ui/shell/Header.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ProfileSwitcher.h"
#include "ui/sounds/PickerTabBar.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundPickerSheet.h"
#include "ui/sounds/SoundsView.h"
#include "ui/triggers/FlowChips.h"
#include "ui/triggers/SegmentedSwitch.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QSlider>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace tc::bench {

namespace {

void print(const std::string &what, const std::string &suffix, const Hold &hold) {
    std::printf("longest hold, %s%s\t%.1f\tms\n", what.c_str(), suffix.c_str(), hold.longestMs);
    std::printf("until idle, %s%s\t%.1f\tms\n", what.c_str(), suffix.c_str(), hold.idleMs);
    std::fflush(stdout);
}

// Closes every menu that is open (as a click elsewhere does).
void closeMenus() {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *menu = qobject_cast<QMenu *>(widget); menu != nullptr && menu->isVisible()) {
            menu->close();
        }
    }
}

// The action of a menu that is open now whose text starts with `text`, or null.
QAction *openMenuAction(const QString &text) {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *menu = qobject_cast<QMenu *>(widget); menu != nullptr && menu->isVisible()) {
            for (QAction *action : menu->actions()) {
                if (action->text().startsWith(text)) {
                    return action;
                }
            }
        }
    }
    return nullptr;
}

class Runner {
public:
    Runner(MainWindow &window, AppModel &model, std::string suffix, int rounds)
        : window_(window), model_(model), suffix_(std::move(suffix)), rounds_(rounds) {}

    // Times `step` `rounds` times, with `undo` (timed as `undoName` when it has one) after each.
    void pair(const std::string &name, const std::function<void()> &step, const std::string &undoName,
              const std::function<void()> &undo) {
        Hold worst;
        Hold worstUndo;
        for (int round = 0; round < rounds_; ++round) {
            const Hold hold = timeStep(step);
            worst.longestMs = std::max(worst.longestMs, hold.longestMs);
            worst.idleMs = std::max(worst.idleMs, hold.idleMs);
            const Hold back = timeStep(undo);
            worstUndo.longestMs = std::max(worstUndo.longestMs, back.longestMs);
            worstUndo.idleMs = std::max(worstUndo.idleMs, back.idleMs);
        }
        print(name, suffix_, worst);
        if (!undoName.empty()) {
            print(undoName, suffix_, worstUndo);
        }
    }

    void open(AppSection section) {
        window_.openSection(section);
        timeStep([] {});
    }

    MainWindow &window_;
    AppModel &model_;
    std::string suffix_;
    int rounds_;
};

void triggers(Runner &run) {
    AppModel &model = run.model_;
    run.open(AppSection::triggers);
    auto *view = dynamic_cast<TriggersView *>(run.window_.page());
    if (view == nullptr) {
        return;
    }
    const auto select = [&](bool word) {
        for (const Trigger &trigger : model.data().triggers) {
            if (trigger.kind.isWord() == word) {
                view->setSelectedID(trigger.id);
                break;
            }
        }
        timeStep([] {});
    };
    run.pair(
        "Triggers: Graph to List", [&] { view->viewToggle()->button(1)->click(); }, "Triggers: List to Graph",
        [&] { view->viewToggle()->button(0)->click(); });
    for (const bool list : {true, false}) {
        const std::string mode = list ? "Triggers, list shown: " : "Triggers, graph shown: ";
        view->setShowsGraph(!list);
        timeStep([] {});
        // A new trigger is selected; "Delete" in the editor removes it again.
        run.pair(
            mode + "press Word", [&] { view->addWordButton()->click(); }, mode + "delete a trigger",
            [&] { view->editor()->deleteButton()->click(); });
        run.pair(
            mode + "press Shortcut", [&] { view->addShortcutButton()->click(); }, "",
            [&] { view->editor()->deleteButton()->click(); });
        select(true);
        run.pair(
            mode + "kind Word to Shortcut", [&] { view->editor()->kindSwitch()->button(0)->click(); },
            mode + "kind Shortcut to Word", [&] { view->editor()->kindSwitch()->button(1)->click(); });
        run.pair(
            mode + "switch a trigger off", [&] { view->editor()->onOffSwitch()->click(); },
            mode + "switch a trigger on", [&] { view->editor()->onOffSwitch()->click(); });
        const Uuid id = *view->editor()->triggerID();
        run.pair(
            mode + "limit to an app", [&] { model.addTriggerApp(id, "org.example.app7"); }, mode + "remove an app chip",
            [&] {
                for (QAbstractButton *button : view->editor()->chips()->findChildren<QAbstractButton *>()) {
                    if (button != view->editor()->chips()->addButton() && button->isVisible()) {
                        button->click();
                        return;
                    }
                }
            });
        run.pair(
            mode + "open the \"+ App\" menu", [&] { view->editor()->chips()->addButton()->click(); }, "", closeMenus);
        run.pair(
            mode + "open the sound menu", [&] { view->editor()->soundButton()->click(); }, "", closeMenus);
    }
    view->setShowsGraph(true);
    timeStep([] {});
}

void appRules(Runner &run) {
    AppModel &model = run.model_;
    run.open(AppSection::apps);
    run.pair(
        "App rules to Triggers", [&] { run.window_.openSection(AppSection::triggers); }, "Triggers to App rules",
        [&] { run.window_.openSection(AppSection::apps); });
    auto *view = dynamic_cast<AppRulesView *>(run.window_.page());
    if (view == nullptr) {
        return;
    }
    const std::string first = model.data().appRules.front().bundleID;
    run.pair(
        "App rules: open a card's profile menu", [&] { view->cardFor(first)->menuButton()->click(); }, "", closeMenus);
    run.pair(
        "App rules: choose Muted in a card's menu",
        [&] {
            view->cardFor(first)->menuButton()->click();
            if (QAction *muted = openMenuAction(QStringLiteral("Muted"))) {
                muted->trigger();
            }
            closeMenus();
        },
        "App rules: choose a profile in a card's menu",
        [&] { model.setRule(first, model.data().appRules.front().appName, model.data().profiles[3].id); });
    run.pair(
        "App rules: open the Add app menu", [&] { view->addAppCard()->click(); }, "", closeMenus);
    int added = 0;
    run.pair(
        "App rules: add a rule", [&] { model.addRule("org.example.added" + std::to_string(++added), "Added app"); },
        "App rules: remove a rule",
        [&] {
            if (RuleCard *card = view->cardFor("org.example.added" + std::to_string(added))) {
                card->removeButton()->click();
            }
        });
}

void keys(Runner &run) {
    run.open(AppSection::keyboard);
    auto *view = dynamic_cast<EditorView *>(run.window_.page());
    if (view == nullptr) {
        return;
    }
    run.pair(
        "Keys: open the base-sound menu", [&] { view->titleBlock()->baseSoundMenu()->click(); }, "", closeMenus);
    if (ProfileSwitcher *switcher = run.window_.header()->profileSwitcher()) {
        run.pair(
            "Keys: open the more menu", [&] { switcher->moreButton()->click(); }, "", closeMenus);
        run.pair(
            "Keys: open a profile chip's menu",
            [&] { switcher->makeProfileMenu(run.model_.data().profiles[2].id, switcher)->popup(QPoint(400, 60)); }, "",
            closeMenus);
    }
}

// Opening Keys from another section, "Use as tray sound" on one of the user's sounds (it opens Keys with the
// Paint tool and that sound as the brush), and the steps of a drag of the inspector's volume slider on a key
// that plays one of the user's sounds.
void keysFromSounds(Runner &run) {
    AppModel &model = run.model_;
    run.open(AppSection::sounds);
    run.pair(
        "Sounds to Keys", [&] { run.window_.openSection(AppSection::keyboard); }, "Keys to Sounds",
        [&] { run.window_.openSection(AppSection::sounds); });
    const std::string sound = model.data().userSounds[120].id;
    run.pair(
        "Sounds: use as tray sound",
        [&] {
            auto *view = dynamic_cast<SoundsView *>(run.window_.page());
            SoundLibraryRow *row = view != nullptr ? view->libraryPanel()->rowFor(sound) : nullptr;
            if (row == nullptr) {
                return;
            }
            const auto menu = row->makeContextMenu();
            for (QAction *action : menu->actions()) {
                if (action->text() == QStringLiteral("Use as tray sound")) {
                    action->trigger();
                }
            }
        },
        "",
        [&] {
            model.setTool(EditTool::select);
            run.window_.openSection(AppSection::sounds);
        });

    run.open(AppSection::keyboard);
    model.assign(model.data().userSounds[250].id, {0});
    model.setSelectedKeys({0});
    timeStep([] {});
    auto *view = dynamic_cast<EditorView *>(run.window_.page());
    QSlider *volume = view != nullptr && view->inspector()->controls() != nullptr
                          ? view->inspector()->controls()->volumeSlider()
                          : nullptr;
    if (volume == nullptr) {
        return;
    }
    // As a drag does: the slider held down, its value following the pointer.
    volume->setSliderDown(true);
    run.pair(
        "Keys: a volume drag's step down", [&] { volume->setValue(volume->value() - 7); },
        "Keys: a volume drag's step up", [&] { volume->setValue(volume->value() + 7); });
    volume->setSliderDown(false);
    model.setSelectedKeys({});
    timeStep([] {});
}

void sounds(Runner &run, const std::filesystem::path &pack) {
    AppModel &model = run.model_;
    run.open(AppSection::sounds);
    const Uuid active = model.data().activeProfileID;
    run.pair(
        "Sounds: duplicate a pack", [&] { model.duplicateProfile(active); }, "Sounds: delete a pack",
        [&] {
            const Uuid copy = model.data().profiles.back().id;
            model.deleteProfile(copy);
            model.setActiveProfile(active);
        });
    run.pair(
        "Sounds: import a pack",
        [&] {
            model.importFilesAsync({{pack, ImportKind::pack}});
            while (model.isWorking()) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            }
        },
        "",
        [&] {
            model.deleteProfile(model.data().profiles.back().id);
            model.setActiveProfile(active);
        });
}

void picker(Runner &run) {
    AppModel &model = run.model_;
    run.open(AppSection::keyboard);
    model.assign(model.data().userSounds[250].id, {0});
    timeStep([] {});
    run.pair(
        "Picker: open on My sounds", [&] { model.setSoundPicker(SoundPickerTarget::keys({0})); }, "Picker: close",
        [&] { model.setSoundPicker(std::nullopt); });
    model.setSoundPicker(SoundPickerTarget::keys({0}));
    timeStep([] {});
    auto *sheet = dynamic_cast<SoundPickerSheet *>(run.window_.soundPickerSheet());
    if (sheet == nullptr) {
        return;
    }
    run.pair(
        "Picker: Record tab", [&] { sheet->tabBar()->button(SoundPickerTab::record)->click(); }, "Picker: Import tab",
        [&] { sheet->tabBar()->button(SoundPickerTab::importFile)->click(); });
    run.pair(
        "Picker: Library tab", [&] { sheet->tabBar()->button(SoundPickerTab::library)->click(); }, "",
        [&] { sheet->tabBar()->button(SoundPickerTab::record)->click(); });
    model.setSoundPicker(std::nullopt);
    timeStep([] {});
}

void onboarding(Runner &run) {
    run.pair(
        "Onboarding sheet: open", [&] { run.model_.setShowOnboarding(true); }, "Onboarding sheet: close",
        [&] { run.model_.setShowOnboarding(false); });
}

} // namespace

void measureActions(MainWindow &window, AppModel &model, const std::string &suffix, int rounds) {
    Runner run(window, model, suffix, rounds);
    // A pack to import (the model's stand-in library reads no file: it makes a profile named after it).
    const std::filesystem::path pack = std::filesystem::temp_directory_path() / "Imported pack.tapchime";
    triggers(run);
    appRules(run);
    keys(run);
    keysFromSounds(run);
    sounds(run, pack);
    picker(run);
    onboarding(run);
}

} // namespace tc::bench
