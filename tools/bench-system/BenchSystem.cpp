// Encoding a full 3.0 s microphone take to AAC in .m4a (the wait between the end of a take and its
// "finished" state), and reading this machine's desktop entries (done once when the frontmost-application
// source starts, and again when an applications folder changes) and naming a window from them.

#include "engine/linux/DesktopEntries.h"
#include "engine/linux/ffmpeg/AacFileWriter.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

void encodeFullTake(benchmark::State &state) {
    constexpr int kRate = 48000;
    std::vector<float> samples(3 * kRate);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(0.3 * std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / kRate));
    }
    const auto file = std::filesystem::temp_directory_path() / ("tapchime-bench-" + std::to_string(getpid()) + ".m4a");
    std::string error;
    for (auto _ : state) {
        if (!tc::AacFileWriter::write(samples.data(), samples.size(), kRate, file, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::filesystem::remove(file);
}
BENCHMARK(encodeFullTake)->Unit(benchmark::kMillisecond);

// A desktop with 400 installed applications (a full GNOME or KDE install has 150 to 400), written once.
class Applications {
public:
    static constexpr int kCount = 400;
    Applications()
        : folder_(std::filesystem::temp_directory_path() / ("tapchime-bench-apps-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_);
        for (int i = 0; i < kCount; ++i) {
            std::ofstream(folder_ / ("org.example.App" + std::to_string(i) + ".desktop"))
                << "[Desktop Entry]\nType=Application\nName=Application " << i << "\nName[de]=Anwendung " << i
                << "\nComment=Does things\nExec=app" << i << " %U\nIcon=app" << i << "\nStartupWMClass=App" << i
                << "\nCategories=Utility;\n\n[Desktop Action New]\nName=New Window\nExec=app" << i << " --new\n";
        }
    }
    ~Applications() { std::filesystem::remove_all(folder_); }
    const std::filesystem::path &folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

const Applications &applications() {
    static const Applications apps;
    return apps;
}

void loadDesktopEntries(benchmark::State &state) {
    size_t count = 0;
    for (auto _ : state) {
        tc::DesktopEntries entries({applications().folder()}, {"de_DE", "de"});
        count = entries.installed().size();
        benchmark::DoNotOptimize(count);
    }
    state.counters["entries"] = static_cast<double>(count);
}
BENCHMARK(loadDesktopEntries)->Unit(benchmark::kMillisecond);

// Naming the active window, and the check for changed folders that precedes it on every activation.
void resolveWindow(benchmark::State &state) {
    tc::DesktopEntries entries({applications().folder()}, {});
    const tc::WindowHints hints{"", "", "app399", "App399"};
    for (auto _ : state) {
        entries.refreshIfChanged();
        benchmark::DoNotOptimize(entries.resolve(hints));
    }
}
BENCHMARK(resolveWindow)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
