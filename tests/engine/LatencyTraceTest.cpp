// The key path's diagnostic trace: what each record says, in which order, and that it is off by default.

#include "engine/LatencyTrace.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace tc;
using namespace tc::test;

namespace {

// One line of the trace as name → value, plus its kind ("key" or "mark") and, for marks, the name.
struct Line {
    std::string kind;
    std::string name;
    std::map<std::string, long long> values;
};

std::vector<Line> readLines(const std::string &path) {
    std::vector<Line> lines;
    std::ifstream in(path);
    for (std::string text; std::getline(in, text);) {
        std::istringstream words(text);
        Line line;
        words >> line.kind;
        for (std::string word; words >> word;) {
            const auto equals = word.find('=');
            if (equals == std::string::npos) {
                line.name = word;
            } else {
                line.values[word.substr(0, equals)] = std::stoll(word.substr(equals + 1));
            }
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(LatencyTrace, RecordsEachPlayFromArrivalToRenderInSerialOrder) {
    TempDir dir;
    const std::string path = (dir.path() / "trace.log").string();
    const uint64_t start = LatencyTrace::now();
    {
        LatencyTrace trace(std::fopen(path.c_str(), "w"));
        trace.mark("assembly");
        trace.keyReceived();
        trace.beginPost(1);
        trace.posted(1);
        // Serial 2 is a stop command: no record. Serial 3 plays, serial 4 is never rendered.
        trace.beginPost(3);
        trace.posted(3);
        trace.beginPost(4);
        trace.posted(4);
        trace.beginRender(1500); // the render that starts 1 and 3 waits 1.5 ms in the stream
        trace.applied(3);
        trace.mark("soundsReady");
    } // the last records are written when the trace goes

    const std::vector<Line> lines = readLines(path);
    std::vector<Line> keys;
    std::vector<std::string> marks;
    for (const Line &line : lines) {
        if (line.kind == "key") {
            keys.push_back(line);
        } else {
            ASSERT_EQ(line.kind, "mark");
            marks.push_back(line.name);
            EXPECT_GE(line.values.at("time"), static_cast<long long>(start));
        }
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"assembly", "soundsReady"}));
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].values.at("serial"), 1);
    EXPECT_EQ(keys[1].values.at("serial"), 3);
    EXPECT_EQ(keys[2].values.at("serial"), 4);
    for (size_t i = 0; i < 2; ++i) {
        const auto &v = keys[i].values;
        EXPECT_GE(v.at("received"), static_cast<long long>(start)) << i;
        EXPECT_LE(v.at("received"), v.at("returned")) << i;
        EXPECT_LE(v.at("returned"), v.at("rendered")) << i;
        EXPECT_EQ(v.at("latency_us"), 1500) << i;
    }
    EXPECT_EQ(keys[2].values.at("rendered"), 0) << "never rendered";
    EXPECT_EQ(keys[2].values.at("latency_us"), -1);
}

TEST(LatencyTrace, PlaysFromAThreadWithoutKeyEventsAndRendersWithoutALatencyReport) {
    TempDir dir;
    const std::string path = (dir.path() / "trace.log").string();
    {
        LatencyTrace trace(std::fopen(path.c_str(), "w"));
        std::thread([&] {
            trace.beginPost(1); // a preview on another thread: no key arrived there
            trace.posted(1);
        }).join();
        trace.applied(1); // an output that reports no latency
        trace.flush();
    }
    const std::vector<Line> lines = readLines(path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].values.at("received"), 0);
    EXPECT_GT(lines[0].values.at("rendered"), 0);
    EXPECT_EQ(lines[0].values.at("latency_us"), -1);
}

TEST(LatencyTrace, IsMadeOnlyWhenTheEnvironmentNamesAWritableFile) {
    TempDir dir;
    const std::string missing = (dir.path() / "missing" / "trace.log").string();
    const std::string writable = (dir.path() / "trace.log").string();
    const std::pair<const char *, bool> cases[] = {
        {nullptr, false}, {"", false}, {missing.c_str(), false}, {writable.c_str(), true}};
    for (const auto &[value, made] : cases) {
        ScopedEnv env(LatencyTrace::kEnvironmentVariable, value);
        EXPECT_EQ(LatencyTrace::fromEnvironment() != nullptr, made) << (value ? value : "(unset)");
    }
}
