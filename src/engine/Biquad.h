#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tc {

// A second-order filter of the audio-EQ-cookbook form at 48 kHz, used by the synthesizer. The state
// starts at zero; `set` may be called again while running (the moving filters of the synthesizer
// recompute their coefficients every few samples and keep the state). Single-threaded, no allocation.
class Biquad {
public:
    enum class Kind {
        lowPass,
        highPass,
        bandPass, // constant 0 dB peak gain
    };

    Biquad() = default;
    Biquad(Kind kind, double frequency, double q) { set(kind, frequency, q); }

    // Frequencies at or below 20 Hz are treated as 20 Hz and frequencies above 21.6 kHz as 21.6 kHz,
    // which keeps every coefficient finite.
    void set(Kind kind, double frequency, double q) {
        constexpr double kRate = 48000.0;
        const double f = std::min(frequency, 21600.0);
        const double w0 = 2.0 * std::numbers::pi * (f <= 20.0 ? 20.0 : f) / kRate;
        const double cosW = std::cos(w0);
        const double alpha = std::sin(w0) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        double b0 = 0.0;
        double b1 = 0.0;
        double b2 = 0.0;
        switch (kind) {
        case Kind::lowPass:
            b0 = (1.0 - cosW) / 2.0;
            b1 = 1.0 - cosW;
            b2 = b0;
            break;
        case Kind::highPass:
            b0 = (1.0 + cosW) / 2.0;
            b1 = -(1.0 + cosW);
            b2 = b0;
            break;
        case Kind::bandPass:
            b0 = alpha;
            b1 = 0.0;
            b2 = -alpha;
            break;
        }
        b0_ = b0 / a0;
        b1_ = b1 / a0;
        b2_ = b2 / a0;
        a1_ = -2.0 * cosW / a0;
        a2_ = (1.0 - alpha) / a0;
    }

    // One sample through the filter (direct form I).
    double process(double x) {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_ = 1.0, b1_ = 0.0, b2_ = 0.0, a1_ = 0.0, a2_ = 0.0;
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
};

} // namespace tc
