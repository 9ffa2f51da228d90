#include "Analysis.h"

#include "Pulse.h"

#include <algorithm>
#include <cmath>

namespace tc::probe {

std::vector<Onset> findOnsets(const std::vector<float> &levels, const MonitorRecorder::Mapping &mapping,
                              const std::vector<uint64_t> &pressedAt, const OnsetOptions &options) {
    auto frameAt = [&](double ns) { return mapping.frameAt(ns); };
    std::vector<Onset> onsets(pressedAt.size());
    for (size_t i = 0; i < pressedAt.size(); ++i) {
        const auto pressed = static_cast<double>(pressedAt[i]);
        double endNs = pressed + options.searchAfterMs * 1e6;
        if (i + 1 < pressedAt.size()) {
            endNs = std::min(endNs, static_cast<double>(pressedAt[i + 1]) - options.searchBeforeMs * 1e6);
        }
        const double begin = std::max(0.0, std::floor(frameAt(pressed - options.searchBeforeMs * 1e6)));
        const double end = std::min(static_cast<double>(levels.size()), std::ceil(frameAt(endNs)));
        if (begin >= end) {
            continue; // the capture does not reach this press
        }
        const auto first = static_cast<size_t>(begin);
        if (levels[first] > options.threshold) {
            onsets[i].unmeasurable = true;
            continue;
        }
        for (auto frame = first; frame < static_cast<size_t>(end); ++frame) {
            if (levels[frame] > options.threshold) {
                const double heardNs = mapping.timeOf(static_cast<double>(frame));
                onsets[i].heard = true;
                onsets[i].latencyMs = (heardNs - pressed) / 1e6 - options.soundOffsetMs;
                break;
            }
        }
    }
    return onsets;
}

size_t countSounds(const std::vector<float> &levels, size_t begin, size_t end, float threshold, size_t quietFrames) {
    end = std::min(end, levels.size());
    size_t sounds = 0;
    size_t quiet = quietFrames; // the capture before `begin` counts as quiet
    for (size_t frame = begin; frame < end; ++frame) {
        if (levels[frame] > threshold) {
            if (quiet >= quietFrames) {
                ++sounds;
            }
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return sounds;
}

Summary summarize(std::vector<double> values) {
    Summary summary;
    std::sort(values.begin(), values.end());
    summary.count = values.size();
    if (values.empty()) {
        summary.median = summary.p95 = summary.p99 = summary.max = summary.min = std::nan("");
        return summary;
    }
    summary.median = harness::percentile(values, 50);
    summary.p95 = harness::percentile(values, 95);
    summary.p99 = harness::percentile(values, 99);
    summary.max = values.back();
    summary.min = values.front();
    return summary;
}

Breakdown breakDown(const std::vector<harness::KeyRecord> &records, const std::vector<uint64_t> &pressedAt,
                    const std::vector<Onset> &onsets) {
    Breakdown result;
    result.toRenderOf.assign(pressedAt.size(), std::nan(""));
    result.residualOf.assign(pressedAt.size(), std::nan(""));
    size_t next = 0;
    for (size_t i = 0; i < pressedAt.size(); ++i) {
        const uint64_t pressed = pressedAt[i];
        const uint64_t until = i + 1 < pressedAt.size() ? pressedAt[i + 1] : pressed + 1'000'000'000ull;
        while (next < records.size() && records[next].received < pressed) {
            ++next;
        }
        if (next >= records.size() || records[next].received >= until) {
            ++result.unmatched;
            continue;
        }
        const harness::KeyRecord &record = records[next++];
        auto ms = [](double ns) { return ns / 1e6; };
        result.delivery.push_back(ms(static_cast<double>(record.received - pressed)));
        result.routing.push_back(ms(static_cast<double>(record.returned - record.received)));
        if (record.rendered == 0) {
            continue;
        }
        result.toRender.push_back(ms(static_cast<double>(record.rendered) - static_cast<double>(record.returned)));
        result.toRenderOf[i] = result.toRender.back();
        if (record.latencyUs < 0) {
            continue;
        }
        result.queued.push_back(static_cast<double>(record.latencyUs) / 1e3);
        const double predicted =
            ms(static_cast<double>(record.rendered) - static_cast<double>(pressed)) + result.queued.back();
        result.predicted.push_back(predicted);
        if (onsets[i].heard) {
            result.residual.push_back(onsets[i].latencyMs - predicted);
            result.residualOf[i] = result.residual.back();
        }
    }
    return result;
}

} // namespace tc::probe
