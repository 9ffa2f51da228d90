// How long the window's thread is held while a 64 MiB audio file is imported, on the program's own model
// (AppAssembly: the real sound library, the FFmpeg module, the document store) in a temporary home.
//
// A 1 ms timer ticks on the main thread all along; the longest gap between two ticks is how long the window
// could not paint or take input. "sync" imports with AppModel::importSound on the main thread (the way every
// import went before); "async" with AppModel::importFilesAsync, whose decode and copy run on the model's
// worker and whose result lands by signal.
//
// With --pack: the memory a share pack at the size bound costs. Three packed WAV sounds of 62 MiB make a pack
// just under PackIO::kMaxPackBytes (written by a child process, so its making is not counted); the pack is
// imported with AppModel::importFilesAsync once the built-in sounds are loaded, and the program's resident
// memory is read before, at its peak during the import (VmHWM, reset just before) and after it has landed.
//
// Usage: bench-import [runs]   (QT_QPA_PLATFORM=offscreen works; no sound server is needed)
//        bench-import --pack

#include "app/AppModel.h"
#include "app/shell/AppAssembly.h"
#include "engine/PackIO.h"
#include "model/TapchimePack.h"
#include "model/Uuid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uintmax_t kFileBytes = 64u * 1024u * 1024u; // the largest file the program reads

// A 16-bit stereo 48 kHz WAV file of exactly `fileBytes`: a 440 Hz tone under a little noise.
void writeWav(const std::string &path, std::uintmax_t fileBytes = kFileBytes) {
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(fileBytes - 44);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(48000);
    u32(48000 * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    std::vector<std::int16_t> block(2 * 48000);
    std::uint32_t noise = 12345;
    std::uint64_t frame = 0;
    std::uint64_t written = 0;
    while (written < dataBytes) {
        for (std::size_t i = 0; i < block.size(); i += 2, ++frame) {
            noise = noise * 1664525u + 1013904223u;
            const double s = 0.5 * std::sin(2 * M_PI * 440.0 * static_cast<double>(frame) / 48000.0) +
                             0.01 * (static_cast<double>(noise >> 16) / 32768.0 - 1.0);
            block[i] = block[i + 1] = static_cast<std::int16_t>(s * 32767);
        }
        const std::uint64_t bytes = std::min<std::uint64_t>(block.size() * 2, dataBytes - written);
        out.write(reinterpret_cast<const char *>(block.data()), static_cast<std::streamsize>(bytes));
        written += bytes;
    }
}

struct Figures {
    double longestGapMs = 0; // the longest the main thread went without a tick
    double totalMs = 0;      // from the start of the import until its sound is in the document
};

// Ticks every millisecond while `start` runs the import and until `done` says it has landed.
Figures measure(const std::function<void(const std::function<void()> &landed)> &start) {
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = -1;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0) {
            longest = std::max(longest, now - lastTick);
        }
        lastTick = now;
    });
    Figures figures;
    bool finished = false;
    const auto landed = [&] {
        figures.totalMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        finished = true;
        // A few more ticks, so a hold at the very end is seen too.
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
    };
    clock.start();
    ticker.start();
    QTimer::singleShot(5, [&] { start(landed); });
    loop.exec();
    ticker.stop();
    if (!finished) {
        std::fprintf(stderr, "the import did not end\n");
    }
    figures.longestGapMs = static_cast<double>(longest) / 1e6;
    return figures;
}

// A pack of three 62 MiB WAV sounds on three keys, just under the pack size bound; written by a child process.
void writePackAtTheBound(const std::string &path, const std::string &scratch) {
    const pid_t child = fork();
    if (child == 0) {
        tc::TapchimePack pack;
        pack.profile.id = tc::Uuid::random();
        pack.profile.name = "At the bound";
        pack.profile.baseSoundID = "none";
        const std::uint16_t keys[] = {0, 1, 2}; // A, S, D
        for (int i = 0; i < 3; ++i) {
            writeWav(scratch, 62u * 1024u * 1024u);
            std::ifstream in(scratch, std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            const std::string id = "user." + tc::Uuid::random().toString();
            pack.sounds.push_back(
                {tc::SoundItem{id, "Tone " + std::to_string(i + 1), tc::SoundCategory::mine, id + ".wav", 12.0},
                 std::move(bytes)});
            tc::KeyAssignment assignment;
            assignment.soundID = id;
            pack.profile.keys[std::to_string(keys[i])] = assignment;
        }
        std::ofstream(path, std::ios::binary) << tc::encodePack(pack);
        std::remove(scratch.c_str());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

// A line of /proc/self/status ("VmRSS", "VmHWM") in MB.
double statusMB(const char *field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(std::string(field) + ":", 0) == 0) {
            std::istringstream value(line.substr(line.find(':') + 1));
            double kB = 0;
            value >> kB;
            return kB / 1024.0;
        }
    }
    return 0;
}

int benchPack(tc::AppModel &model, const QString &home) {
    const std::string pack = (home + "/bound.tapchime").toStdString();
    writePackAtTheBound(pack, (home + "/scratch.wav").toStdString());
    std::ifstream measured(pack, std::ios::binary | std::ios::ate);
    std::printf("pack: %s, %lld bytes (bound %ju)\n", pack.c_str(), static_cast<long long>(measured.tellg()),
                static_cast<std::uintmax_t>(tc::PackIO::kMaxPackBytes));
    if (!model.soundsReady()) {
        QEventLoop ready;
        QObject::connect(&model, &tc::AppModel::soundsReadyChanged, &ready, &QEventLoop::quit);
        ready.exec();
    }
    const double before = statusMB("VmRSS");
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak from here on
    QEventLoop loop;
    bool failed = false;
    const int task = model.importFilesAsync({{pack, tc::ImportKind::pack}});
    QObject::connect(&model, &tc::AppModel::importFinished, &loop, [&](const tc::ImportResult &result) {
        if (result.task == task) {
            failed = result.files.empty() || result.files[0].error.has_value();
            loop.quit();
        }
    });
    loop.exec();
    const double peak = statusMB("VmHWM");
    const double after = statusMB("VmRSS");
    std::printf("pack import %s: resident before %.0f MB, peak %.0f MB, after %.0f MB; user sounds %zu\n",
                failed ? "FAILED" : "landed", before, peak, after, model.data().userSounds.size());
    model.prepareToQuit();
    return failed ? 1 : 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    const bool packMode = argc > 1 && std::string(argv[1]) == "--pack";
    const int runs = argc > 1 && !packMode ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    tc::AppAssembly assembly;
    tc::AppModel &model = assembly.model();
    if (packMode) {
        model.start();
        return benchPack(model, home.path());
    }

    const std::string file = (home.path() + "/big.wav").toStdString();
    writeWav(file);
    std::printf("file: %s, %ju bytes\n", file.c_str(), static_cast<std::uintmax_t>(kFileBytes));

    std::vector<double> syncGap, syncTotal, asyncGap, asyncTotal;
    for (int run = 0; run < runs; ++run) {
        const Figures sync = measure([&](const std::function<void()> &landed) {
            try {
                model.importSound(file);
            } catch (const std::exception &error) {
                std::fprintf(stderr, "sync import failed: %s\n", error.what());
            }
            landed();
        });
        syncGap.push_back(sync.longestGapMs);
        syncTotal.push_back(sync.totalMs);

        QMetaObject::Connection connection;
        const Figures async = measure([&](const std::function<void()> &landed) {
            const int task = model.importFilesAsync({{file, tc::ImportKind::sound}});
            connection =
                QObject::connect(&model, &tc::AppModel::importFinished, [landed, task](const tc::ImportResult &r) {
                    if (r.task == task) {
                        if (!r.files.empty() && r.files[0].error) {
                            std::fprintf(stderr, "async import failed: %s\n", r.files[0].error->c_str());
                        }
                        landed();
                    }
                });
        });
        QObject::disconnect(connection);
        asyncGap.push_back(async.longestGapMs);
        asyncTotal.push_back(async.totalMs);
        std::printf("run %d: sync longest hold %.1f ms (import %.1f ms); async longest hold %.1f ms (import %.1f ms)\n",
                    run + 1, sync.longestGapMs, sync.totalMs, async.longestGapMs, async.totalMs);
    }
    std::printf("median of %d: sync longest hold %.1f ms, import %.1f ms; async longest hold %.1f ms, import %.1f ms\n",
                runs, median(syncGap), median(syncTotal), median(asyncGap), median(asyncTotal));
    std::printf("user sounds in the document: %zu\n", model.data().userSounds.size());
    model.prepareToQuit();
    return 0;
}
