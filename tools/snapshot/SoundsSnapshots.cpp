// The Sounds page in the main window, in its states, and its two alerts, on a model built for pictures.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "ui/shell/MainWindow.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsAlert.h"
#include "ui/sounds/SoundsScreenState.h"
#include "ui/sounds/SoundsView.h"

#include <QAbstractButton>
#include <QColor>
#include <QCoreApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace tc::snapshot {

namespace {

// Three packs (the second active, with keys on several kinds of sound), two sounds of the user's own, and a
// sound the user made with a name that looks like markup.
void fillLibrary(AppModel &model) {
    model.commitEdit([](AppData &data) {
        data.userSounds.push_back({"user.1", "Desk tap", SoundCategory::mine, "user.1.wav", 0.42});
        data.userSounds.push_back({"user.2", "<b>Clap & snap</b>", SoundCategory::mine, "user.2.m4a", 1.07});
        Profile cats = data.profiles.front();
        cats.id = Uuid::random();
        cats.name = "Cat café";
        cats.color = ProfileColor::yellow;
        cats.keys.clear();
        for (const auto &[code, id] : std::vector<std::pair<std::string, std::string>>{{"49", "synth.meow"},
                                                                                       {"36", "synth.boing"},
                                                                                       {"51", "rec.bark"},
                                                                                       {"12", "user.1"},
                                                                                       {"13", "synth.coin"},
                                                                                       {"14", "rec.bikebell"}}) {
            cats.keys[code] = KeyAssignment{.soundID = id};
        }
        Profile empty = data.profiles.front();
        empty.id = Uuid::random();
        empty.name = "Quiet office with a long name";
        empty.keys.clear();
        data.profiles.push_back(cats);
        data.profiles.push_back(empty);
        data.activeProfileID = cats.id;
    });
}

// A hundred and twenty sounds of the user's own, of several lengths.
void fillManyOwnSounds(AppModel &model) {
    model.commitEdit([](AppData &data) {
        for (int i = 0; i < 120; ++i) {
            const std::string id = "user.many." + std::to_string(i);
            data.userSounds.push_back(
                {id, "Take " + std::to_string(i + 1), SoundCategory::mine, id + ".wav", 0.2 + 0.01 * (i % 37)});
        }
    });
}

// The main window on the Sounds page, with `prepare` run on the page.
Snapshot soundsWindow(const QString &name, QSize size, const std::function<void(AppModel &)> &prepareModel,
                      const std::function<void(SoundsView &)> &preparePage = {}) {
    return {name,
            [prepareModel, preparePage] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                model->model().setSection(AppSection::sounds);
                if (prepareModel) {
                    prepareModel(model->model());
                }
                return new ModelHost(std::move(model), [preparePage](SnapshotModel &m) {
                    auto *window = new MainWindow(m.model());
                    if (auto *page = dynamic_cast<SoundsView *>(window->page()); page && preparePage) {
                        preparePage(*page);
                    }
                    return window;
                });
            },
            QColor(Qt::white), size, 0};
}

const QSize kWindow(1400, 880);
const QSize kSmallScreen(1366, 768);

} // namespace

std::vector<Snapshot> soundsSnapshots() {
    std::vector<Snapshot> shots;
    shots.push_back(soundsWindow("sounds-library", kWindow, fillLibrary));
    shots.push_back(soundsWindow("sounds-library-1366x768", kSmallScreen, fillLibrary));
    shots.push_back(soundsWindow("sounds-fresh-document", kWindow, {}));
    shots.push_back(soundsWindow(
        "sounds-animals-keys-selected", kWindow,
        [](AppModel &model) {
            fillLibrary(model);
            model.setSelectedKeys({49, 12, 13});
        },
        [](SoundsView &page) { page.state().setFilter(SoundCategory::animals); }));
    shots.push_back(soundsWindow("sounds-my-sounds", kWindow, fillLibrary,
                                 [](SoundsView &page) { page.state().setFilter(SoundCategory::mine); }));
    shots.push_back(soundsWindow("sounds-my-sounds-empty", kWindow, {},
                                 [](SoundsView &page) { page.state().setFilter(SoundCategory::mine); }));
    shots.push_back(soundsWindow("sounds-search-results", kWindow, fillLibrary,
                                 [](SoundsView &page) { page.searchField()->setText(QStringLiteral("BELL")); }));
    shots.push_back(soundsWindow("sounds-search-nothing", kWindow, fillLibrary,
                                 [](SoundsView &page) { page.searchField()->setText(QStringLiteral("<i>tuba</i>")); }));
    shots.push_back(soundsWindow("sounds-my-sounds-search-nothing", kWindow, fillLibrary, [](SoundsView &page) {
        page.state().setFilter(SoundCategory::mine);
        page.searchField()->setText(QStringLiteral("tuba"));
    }));
    shots.push_back(soundsWindow("sounds-drop-highlight", kWindow, fillLibrary,
                                 [](SoundsView &page) { page.state().setDropTargeted(true); }));
    // A long list of the user's own sounds scrolled part way, a row's play button in the middle focused.
    Snapshot scrolled = soundsWindow("sounds-many-own-sounds-scrolled", kWindow, fillManyOwnSounds);
    scrolled.focus = [](QWidget *view) -> QWidget * {
        auto *page = view->findChild<SoundsView *>();
        if (page == nullptr) {
            return nullptr;
        }
        page->state().setFilter(SoundCategory::mine);
        QCoreApplication::processEvents();
        page->libraryPanel()->scrollArea()->verticalScrollBar()->setValue(2000);
        QCoreApplication::processEvents();
        SoundLibraryRow *row = page->libraryPanel()->rowFor("user.many.38");
        return row != nullptr ? row->playButton() : nullptr;
    };
    shots.push_back(scrolled);

    shots.push_back({"sounds-alert-import",
                     [] { return SoundsAlert::importError(QStringLiteral("This file is silent."), nullptr); },
                     QColor(Qt::white), QSize(), 24});
    shots.push_back(
        {"sounds-alert-import-several",
         [] {
             return SoundsAlert::importError(
                 SoundsScreenState::importErrorText(
                     {{QStringLiteral("notes.txt"),
                       QStringLiteral("This file isn't an audio format Tapchime can read.")},
                      {QStringLiteral("hush.wav"), QStringLiteral("This file is silent.")},
                      {QStringLiteral("friend.tapchime"), QStringLiteral("This .tapchime file couldn't be read.")}})
                     .value_or(QString()),
                 nullptr);
         },
         QColor(Qt::white), QSize(), 24});
    shots.push_back({"sounds-alert-rename", [] { return SoundsAlert::rename(QStringLiteral("Desk tap"), nullptr); },
                     QColor(Qt::white), QSize(), 24});
    return shots;
}

} // namespace tc::snapshot
