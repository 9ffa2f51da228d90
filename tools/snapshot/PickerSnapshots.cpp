// The sound picker sheet on each tab in its states, for each kind of target, on a model built for pictures.
// The microphone is scripted: its meter and its takes move only when the picture says so.

#include "Snapshot.h"
#include "SnapshotModel.h"

#include "engine/Recorder.h"
#include "engine/RecordingBackend.h"
#include "ui/shell/MainWindow.h"
#include "ui/sounds/PickerImportPane.h"
#include "ui/sounds/PickerSoundCard.h"
#include "ui/sounds/SoundPickerSheet.h"

#include <QColor>
#include <QObject>
#include <cmath>
#include <deque>

namespace tc::snapshot {

namespace {

// Timers that fire and posted tasks that run only when told, and takes whose level follows a spoken "pop".
class ScriptedMicrophone final : public QObject, public Scheduler, public RecordingBackend {
public:
    class NoTimer final : public Timer {};

    class Take final : public RecordingTake {
    public:
        explicit Take(ScriptedMicrophone &mic) : mic_(mic) {}
        StartResult record(double, std::function<void(bool)> onFinish) override {
            mic_.finish_ = std::move(onFinish);
            return mic_.startResult;
        }
        void stop() override {}
        bool isRecording() const override { return true; }
        float averagePowerDb() override {
            const double t = static_cast<double>(mic_.ticks_) * Recorder::kMeterInterval;
            // A syllable that swells and fades, twice, over a little breath noise.
            const double envelope =
                std::exp(-std::pow((t - 0.35) / 0.18, 2)) + 0.7 * std::exp(-std::pow((t - 1.05) / 0.22, 2));
            return static_cast<float>(-44.0 + 42.0 * envelope + 3.0 * std::sin(t * 37.0));
        }
        double currentTime() const override { return static_cast<double>(mic_.ticks_) * Recorder::kMeterInterval; }

    private:
        ScriptedMicrophone &mic_;
    };

    RecordingTake::StartResult startResult = RecordingTake::StartResult::started;

    void post(std::function<void()> task) override { posted_.push_back(std::move(task)); }
    std::unique_ptr<Timer> repeat(double, std::function<void()> task) override {
        meter_ = std::move(task);
        return std::make_unique<NoTimer>();
    }
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAccess(std::function<void(bool)> answer) override { answer(true); }
    std::unique_ptr<RecordingTake> createTake(const std::filesystem::path &) override {
        return std::make_unique<Take>(*this);
    }

    // Lets the meter run for `ticks` readings.
    void run(int ticks) {
        for (int i = 0; i < ticks && meter_; ++i) {
            ++ticks_;
            meter_();
        }
    }
    // Ends the take the way the platform does, and delivers the report.
    void end(bool successfully) {
        if (finish_) {
            finish_(successfully);
            finish_ = nullptr;
        }
        while (!posted_.empty()) {
            auto task = std::move(posted_.front());
            posted_.pop_front();
            task();
        }
    }

private:
    std::function<void()> meter_;
    std::function<void(bool)> finish_;
    std::deque<std::function<void()>> posted_;
    int ticks_ = 0;
};

using Prepare = std::function<void(SoundPickerSheet &, ScriptedMicrophone &)>;

SoundPickerTarget oneKey() {
    return SoundPickerTarget::keys({0}); // A
}

SoundPickerTarget twoKeys() {
    return SoundPickerTarget::keys({0, 49}); // A and Space
}

Snapshot picker(const QString &name, std::function<SoundPickerTarget(AppModel &)> target, const Prepare &prepare = {},
                RecordingTake::StartResult start = RecordingTake::StartResult::started) {
    return {name,
            [target, prepare, start] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                return new ModelHost(std::move(model), [&](SnapshotModel &m) {
                    AppModel &app = m.model();
                    app.assign("rec.boing", {0});
                    app.assign("rec.bark", {49});
                    auto *mic = new ScriptedMicrophone;
                    mic->startResult = start;
                    auto *sheet = new SoundPickerSheet(target(app), app, std::make_unique<Recorder>(*mic, *mic), [] {});
                    mic->setParent(sheet); // outlives the sheet's recorder
                    if (prepare) {
                        prepare(*sheet, *mic);
                    }
                    m.finishWork();
                    return sheet;
                });
            },
            QColor(Qt::white), QSize(SoundPickerSheet::kWidth, SoundPickerSheet::kHeight), 0};
}

SoundPickerTarget keysA(AppModel &) {
    return oneKey();
}
SoundPickerTarget keysTwo(AppModel &) {
    return twoKeys();
}
SoundPickerTarget brush(AppModel &) {
    return SoundPickerTarget::brush();
}
SoundPickerTarget trigger(AppModel &model) {
    return SoundPickerTarget::trigger(model.addTrigger(Trigger::Kind::word("hello"), "rec.kaching"));
}
SoundPickerTarget freshKeys(AppModel &) {
    return SoundPickerTarget::keys({1, 2}); // S and D: no sounds of their own
}

void onTab(SoundPickerSheet &sheet, SoundPickerTab tab) {
    sheet.state().setTab(tab);
}

// The picker for the A key, which plays the 71st of a hundred and twenty sounds of the user's own: it opens on
// My sounds, scrolled to that sound's card, which has the focus.
Snapshot manyOwnSounds(const QString &name) {
    Snapshot shot{name,
                  [] {
                      auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                      return new ModelHost(std::move(model), [](SnapshotModel &m) {
                          AppModel &app = m.model();
                          app.commitEdit([](AppData &data) {
                              for (int i = 0; i < 120; ++i) {
                                  const std::string id = "user.many." + std::to_string(i);
                                  data.userSounds.push_back({id, "Take " + std::to_string(i + 1), SoundCategory::mine,
                                                             id + ".wav", 0.2 + 0.01 * (i % 37)});
                              }
                          });
                          app.assign("user.many.70", {0});
                          auto *mic = new ScriptedMicrophone;
                          auto *sheet =
                              new SoundPickerSheet(oneKey(), app, std::make_unique<Recorder>(*mic, *mic), [] {});
                          mic->setParent(sheet);
                          m.finishWork();
                          return sheet;
                      });
                  },
                  QColor(Qt::white), QSize(SoundPickerSheet::kWidth, SoundPickerSheet::kHeight), 0};
    shot.focus = [](QWidget *view) -> QWidget * {
        for (auto *card : view->findChildren<PickerSoundCard *>()) {
            if (card->isRinged()) {
                return card;
            }
        }
        return nullptr;
    };
    return shot;
}

// The main window at a size with the picker over it, centred on the window as a window-modal dialog opens.
Snapshot overWindow(const QString &name, QSize size) {
    return {name,
            [size] {
                auto model = std::make_unique<SnapshotModel>(SnapshotModel::Options{});
                return new ModelHost(std::move(model), [size](SnapshotModel &m) {
                    auto *screen = new QWidget;
                    auto *window = new MainWindow(m.model(), {}, screen);
                    window->setWindowFlags(Qt::Widget);
                    window->setGeometry(QRect(QPoint(0, 0), size));
                    auto *mic = new ScriptedMicrophone;
                    auto *sheet = new SoundPickerSheet(
                        SoundPickerTarget::keys({0}), m.model(), std::make_unique<Recorder>(*mic, *mic), [] {}, screen);
                    mic->setParent(sheet);
                    sheet->setWindowFlags(Qt::Widget);
                    sheet->setGeometry(QRect(QPoint((size.width() - SoundPickerSheet::kWidth) / 2,
                                                    (size.height() - SoundPickerSheet::kHeight) / 2),
                                             QSize(SoundPickerSheet::kWidth, SoundPickerSheet::kHeight)));
                    SnapshotModel::settle();
                    return screen;
                });
            },
            QColor(Qt::white), size, 0};
}

} // namespace

std::vector<Snapshot> pickerSnapshots() {
    std::vector<Snapshot> shots;
    // Library: on each target's own sound, in another category, and a category with no sounds yet.
    shots.push_back(picker("picker-library-one-key", keysA));
    Snapshot focused = picker("focus-picker-library", keysA);
    // The sheet opens with focus on the chosen sound's card.
    focused.focus = [](QWidget *view) -> QWidget * {
        for (auto *card : view->findChildren<PickerSoundCard *>()) {
            if (card->isRinged()) {
                return card;
            }
        }
        return nullptr;
    };
    shots.push_back(focused);
    shots.push_back(picker("picker-library-two-keys", keysTwo));
    shots.push_back(picker("picker-library-trigger", trigger));
    shots.push_back(picker("picker-library-brush", brush));
    shots.push_back(picker("picker-library-nothing-chosen", freshKeys));
    shots.push_back(picker("picker-library-mechanical", keysA, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        sheet.state().setCategory(SoundCategory::mechanical);
    }));
    shots.push_back(
        picker("picker-library-my-sounds-empty", freshKeys,
               [](SoundPickerSheet &sheet, ScriptedMicrophone &) { sheet.state().setCategory(SoundCategory::mine); }));

    // Record: ready, a take running with its meter, saved, stopped badly, refused by the server.
    shots.push_back(picker("picker-record-ready", keysA, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        onTab(sheet, SoundPickerTab::record);
    }));
    shots.push_back(picker("picker-record-recording", brush, [](SoundPickerSheet &sheet, ScriptedMicrophone &mic) {
        onTab(sheet, SoundPickerTab::record);
        sheet.recorder().start();
        mic.run(42);
    }));
    shots.push_back(
        picker("picker-record-recording-scrolled", trigger, [](SoundPickerSheet &sheet, ScriptedMicrophone &mic) {
            onTab(sheet, SoundPickerTab::record);
            sheet.recorder().start();
            mic.run(85);
        }));
    shots.push_back(picker("picker-record-saved", keysTwo, [](SoundPickerSheet &sheet, ScriptedMicrophone &mic) {
        onTab(sheet, SoundPickerTab::record);
        sheet.recorder().start();
        mic.run(60);
        mic.end(true);
    }));
    shots.push_back(picker("picker-record-failed", freshKeys, [](SoundPickerSheet &sheet, ScriptedMicrophone &mic) {
        onTab(sheet, SoundPickerTab::record);
        sheet.recorder().start();
        mic.run(20);
        mic.end(false);
    }));
    shots.push_back(picker(
        "picker-record-refused", keysA,
        [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
            onTab(sheet, SoundPickerTab::record);
            sheet.recorder().start();
        },
        RecordingTake::StartResult::refused));

    // Import: waiting, a file hovering, a file that is no audio, and one imported.
    shots.push_back(picker("picker-import-idle", keysA, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        onTab(sheet, SoundPickerTab::importFile);
    }));
    shots.push_back(picker("picker-import-hovering", brush, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        onTab(sheet, SoundPickerTab::importFile);
        sheet.state().setDropTargeted(true);
    }));
    shots.push_back(picker("picker-import-failed", freshKeys, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        onTab(sheet, SoundPickerTab::importFile);
        sheet.importPane()->importFile("/tmp/broken notes.mp3");
    }));
    shots.push_back(picker("picker-import-done", trigger, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        onTab(sheet, SoundPickerTab::importFile);
        sheet.importPane()->importFile("/tmp/broken notes.mp3");
        sheet.importPane()->importFile("/tmp/Door knock.wav");
    }));
    shots.push_back(picker("picker-library-after-import", trigger, [](SoundPickerSheet &sheet, ScriptedMicrophone &) {
        sheet.importPane()->importFile("/tmp/Door knock.wav");
    }));
    shots.push_back(manyOwnSounds("picker-library-many-own-sounds"));
    shots.push_back(overWindow("picker-over-window", QSize(1400, 880)));
    shots.push_back(overWindow("picker-over-window-1366x768", QSize(1366, 768)));
    return shots;
}

} // namespace tc::snapshot
