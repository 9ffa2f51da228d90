// A program for the import-kill test: the application model on a real document store and sound library in a data
// folder imports files (sounds and share packs) in one task, landing and saving them as they come, as the
// program does, until the test kills it. It prints "started" once the import runs and "done" at its end.
//
//   tapchime_import_child <data folder> <file>...

#include "app/AppModelHarness.h"
#include "app/SoundCatalog.h"
#include "engine/ImportJournal.h"
#include "engine/SoundLibrary.h"
#include "support/FakeAudioDecoder.h"

#include <cstdio>
#include <string>

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tapchime_import_child <data folder> <file>...\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    tc::SoundLibrary library(std::make_shared<tc::test::FakeAudioDecoder>(), folder / "Sounds", folder / "resources");
    tc::ImportJournal journal(folder / "Sounds");
    library.setImportJournal(&journal);
    tc::SoundLibraryCatalog catalog(library);

    tc::test::Harness harness;
    harness.folderOverride = QString::fromStdString(folder.string());
    harness.catalog = &catalog;
    auto &model = harness.make();
    std::vector<tc::ImportRequest> requests;
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path file = argv[i];
        requests.push_back({file, file.extension() == ".tapchime" ? tc::ImportKind::pack : tc::ImportKind::sound});
    }
    model.importFilesAsync(std::move(requests));
    std::printf("started\n");
    std::fflush(stdout);
    // Lands what the worker finished and lets the debounced save run, as the event loop and its timers would.
    while (model.isWorking()) {
        harness.time.runPosted();
        harness.time.advance(0.05);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    harness.time.advance(tc::AppModel::kSaveDelay + 0.1);
    harness.documents->waitForWrites(std::chrono::minutes(1));
    harness.time.runPosted();
    std::printf("done\n");
    std::fflush(stdout);
    return 0;
}
