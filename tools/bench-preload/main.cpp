// bench-preload: measures SoundLibrary::preloadBuiltins() with the real FFmpeg decoder, the way the program
// runs it at start-up, and the memory the filled cache holds (the sum of its buffers' sample bytes).
//
//   bench-preload [--resources DIR] [--stand-ins] [--runs N] [--threads N,...] [--cores N]
//
// --resources   the built-in recordings folder (default: the one the program itself finds)
// --stand-ins   make 43 stand-in clips (AAC, 0.4 to 2.5 s) with the ffmpeg tool in a temporary folder and
//               use those, for machines where the real recordings are not there yet
// --runs        preloads per thread count (default 7); each starts from an empty library
// --threads     thread counts to try (default 1,2 and the number of cores)
// --cores       pin the process to the first N cores first (to see a smaller machine)

#include "engine/RecordedSounds.h"
#include "engine/SoundLibrary.h"
#include "engine/linux/SoundFolders.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"

#include <sched.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tc;

namespace {

struct Options {
    fs::path resources = SoundFolders::builtinSounds();
    bool standIns = false;
    int runs = 7;
    std::vector<unsigned> threads;
    int cores = 0;
};

[[noreturn]] void usage() {
    std::cerr << "usage: bench-preload [--resources DIR] [--stand-ins] [--runs N] [--threads N,...] [--cores N]\n";
    std::exit(2);
}

Options parse(int argc, char **argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
            }
            return argv[++i];
        };
        if (arg == "--resources") {
            options.resources = value();
        } else if (arg == "--stand-ins") {
            options.standIns = true;
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::stoi(value()));
        } else if (arg == "--threads") {
            std::stringstream list(value());
            for (std::string item; std::getline(list, item, ',');) {
                options.threads.push_back(static_cast<unsigned>(std::stoul(item)));
            }
        } else if (arg == "--cores") {
            options.cores = std::stoi(value());
        } else {
            usage();
        }
    }
    return options;
}

// A temporary folder removed on exit.
struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "bench-preload-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// 43 clips shaped like the real ones: short, mono or stereo, tonal or noisy, 44.1 kHz AAC.
void makeStandIns(const fs::path &folder) {
    int index = 0;
    for (const auto &row : RecordedSounds::kAll) {
        const double seconds = 0.4 + (index * 37 % 22) / 10.0; // 0.4 to 2.5 s
        const int frequency = 200 + index * 53;
        const std::string source =
            index % 3 == 0 ? "anoisesrc=color=pink:amplitude=0.5:sample_rate=44100:duration=" + std::to_string(seconds)
                           : "sine=frequency=" + std::to_string(frequency) +
                                 ":sample_rate=44100:duration=" + std::to_string(seconds);
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i \"" + source +
                                    "\" -af \"afade=t=out:st=" + std::to_string(seconds * 0.5) +
                                    ":d=" + std::to_string(seconds * 0.5) + "\" -ac " + (index % 2 ? "2" : "1") +
                                    " -c:a aac -b:a 96k '" + (folder / (std::string(row.file) + ".m4a")).string() + "'";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("ffmpeg failed: " + command);
        }
        ++index;
    }
}

struct CacheSize {
    int sounds = 0;
    int recordings = 0;
    std::size_t buffers = 0;
    std::size_t bytes = 0;
};

CacheSize measure(const SoundLibrary &library) {
    CacheSize size;
    std::set<const AudioBuffer *> counted;
    for (const auto &item : SoundLibrary::builtinItems()) {
        const auto sound = library.loaded(item.id);
        if (!sound) {
            continue;
        }
        ++size.sounds;
        for (const auto &[role, takes] : sound->takes()) {
            for (const auto &take : takes) {
                if (counted.insert(take.get()).second) {
                    ++size.buffers;
                    size.bytes += (take->left.capacity() + take->right.capacity()) * sizeof(float);
                }
            }
        }
    }
    for (const auto &row : RecordedSounds::kAll) {
        size.recordings += library.loaded(std::string(row.id)) ? 1 : 0;
    }
    return size;
}

} // namespace

int main(int argc, char **argv) {
    Options options = parse(argc, argv);

    if (options.cores > 0) {
        cpu_set_t set;
        CPU_ZERO(&set);
        for (int cpu = 0; cpu < options.cores; ++cpu) {
            CPU_SET(cpu, &set);
        }
        if (sched_setaffinity(0, sizeof(set), &set) != 0) {
            std::perror("sched_setaffinity");
            return 1;
        }
    }
    const unsigned cores =
        options.cores > 0 ? static_cast<unsigned>(options.cores) : std::max(1u, std::thread::hardware_concurrency());
    if (options.threads.empty()) {
        options.threads = {1, 2};
        if (cores > 2) {
            options.threads.push_back(cores);
        }
    }

    TempFolder work;
    if (options.standIns) {
        options.resources = work.path / "stand-ins";
        fs::create_directories(options.resources);
        makeStandIns(options.resources);
    }
    int present = 0;
    for (const auto &row : RecordedSounds::kAll) {
        present += fs::exists(options.resources / (std::string(row.file) + ".m4a")) ? 1 : 0;
    }
    std::printf("resources: %s (%d of %zu recordings present%s)\n", options.resources.c_str(), present,
                RecordedSounds::kAll.size(), options.standIns ? ", stand-ins" : "");
    std::printf("cores: %u, runs per row: %d\n\n", cores, options.runs);
    std::printf("%8s %10s %10s %10s %8s %11s %8s %10s\n", "threads", "min ms", "median ms", "max ms", "sounds",
                "recordings", "buffers", "cache MiB");

    auto decoder = std::make_shared<FfmpegDecoder>();
    for (unsigned threads : options.threads) {
        std::vector<double> times;
        CacheSize size;
        for (int run = 0; run < options.runs; ++run) {
            SoundLibrary library(decoder, work.path / "Sounds", options.resources);
            const auto start = std::chrono::steady_clock::now();
            library.preloadBuiltins(threads);
            const auto stop = std::chrono::steady_clock::now();
            times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            size = measure(library);
        }
        std::sort(times.begin(), times.end());
        std::printf("%8u %10.1f %10.1f %10.1f %8d %11d %8zu %10.2f\n", threads, times.front(), times[times.size() / 2],
                    times.back(), size.sounds, size.recordings, size.buffers,
                    static_cast<double>(size.bytes) / (1024.0 * 1024.0));
    }
    return 0;
}
