#pragma once

// A sound picker sheet on the application tests' model, with a recorder on the model's clock and a
// microphone the test drives by hand.

#include "support/FakeRecordingBackend.h"
#include "ui/ModelStates.h"
#include "ui/sounds/SoundPickerSheet.h"

#include <QSignalSpy>
#include <memory>

namespace tc::test {

// Lets layouts that a change asked for take effect, as the event loop would before the next click.
inline void relayout() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

struct PickerFixture {
    PickerFixture() { shellApp(); }
    ~PickerFixture() {
        sheet.reset();
        flushDeletes();
    }

    AppModel &start() {
        AppModel &model = harness.started();
        return model;
    }

    SoundPickerSheet &open(const SoundPickerTarget &target) {
        sheet = std::make_unique<SoundPickerSheet>(
            target, *harness.model, std::make_unique<Recorder>(harness.time, microphone), [this] { ++settingsOpened; });
        sheet->show(); // laid out, so that clicks land where they would on screen
        return *sheet;
    }

    // The changes of the document since the call.
    std::unique_ptr<DocumentSignals> watchEdits() { return std::make_unique<DocumentSignals>(*harness.model); }

    Harness harness;
    FakeRecordingBackend microphone;
    int settingsOpened = 0;
    std::unique_ptr<SoundPickerSheet> sheet;
};

} // namespace tc::test
