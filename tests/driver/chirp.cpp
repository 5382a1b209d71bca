// Reading a chirp recording: the spacing of its cycles over a 46 ms window is its frequency, and
// the frequency is the source time.
#include "tests/driver/chirp.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace driver {

static const double PI = 3.14159265358979;
static const double AMPLITUDE = 12000;
static const size_t WINDOW = 2048;
// The times at a stretch's edges are read this far inside and carried out to the edge: a fade, or
// a click where the sound stops, would spoil the count of cycles.
static const size_t EDGE = WINDOW / 2;
static const int SILENCE = 60;  // the chirp's level is AMPLITUDE, a silent sink's exactly 0
static const double MIN_GAP = 0.15;

static double Phase(double t) { return 2 * PI * (200 * t + 75 * t * t); }

std::vector<int16_t> ChirpSamples(double seconds) {
    std::vector<int16_t> samples(size_t(seconds * CHIRP_RATE));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(lrint(AMPLITUDE * sin(Phase(double(i) / CHIRP_RATE))));
    return samples;
}

std::vector<int16_t> RecordedSamples(const std::vector<unsigned char> &wav, uint32_t *rate) {
    std::vector<int16_t> samples;
    *rate = 0;
    if (wav.size() < 12 || memcmp(wav.data(), "RIFF", 4) != 0) return samples;
    uint16_t channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= wav.size();) {
        uint32_t size;
        memcpy(&size, &wav[at + 4], 4);
        if (memcmp(&wav[at], "fmt ", 4) == 0 && at + 24 <= wav.size()) {
            memcpy(&channels, &wav[at + 10], 2);
            memcpy(rate, &wav[at + 12], 4);
            memcpy(&bits, &wav[at + 22], 2);
        } else if (memcmp(&wav[at], "data", 4) == 0) {
            if (bits != 16 || channels == 0 || *rate < 1000) break;
            for (size_t i = at + 8; i + 2u * channels <= wav.size(); i += 2u * channels) {
                int16_t sample;
                memcpy(&sample, &wav[i], 2);
                samples.push_back(sample);
            }
            break;
        }
        at += 8 + size_t(size) + (size & 1);
    }
    return samples;
}

std::vector<int16_t> CaptureSamples(const std::vector<unsigned char> &wav) {
    uint32_t rate;
    std::vector<int16_t> samples = RecordedSamples(wav, &rate);
    if (rate != uint32_t(CHIRP_RATE)) samples.clear();
    return samples;
}

// The source time at the start of WINDOW samples from `x`. The chirp's rising zero crossings
// fall where whole cycles have passed: cycles(t0 + tau) = c + n, so n - 75·tau² = a + b·tau
// with b = 200 + 150·t0; a straight-line fit over the window gives b. Crossings are placed
// between samples by linear interpolation and counted with hysteresis, so that a quiet edge
// does not add any; a skipped cycle is counted from the spacing of the ones before.
static double WindowTime(const int16_t *x) {
    double count = 0, previous = -1, period = 0;
    double sumT = 0, sumY = 0, sumTT = 0, sumTY = 0, crossings = 0;
    bool armed = false;
    for (size_t k = 1; k < WINDOW; ++k) {
        if (x[k - 1] <= -SILENCE) armed = true;
        if (!armed || x[k - 1] > 0 || x[k] <= 0) continue;
        armed = false;
        double tau = (double(k - 1) + double(x[k - 1]) / (x[k - 1] - x[k])) / CHIRP_RATE;
        if (previous >= 0) {
            double cycles = period > 0 ? fmax(1.0, double(lround((tau - previous) / period))) : 1;
            count += cycles;
            period = (tau - previous) / cycles;
        }
        previous = tau;
        double y = count - 75 * tau * tau;
        sumT += tau, sumY += y, sumTT += tau * tau, sumTY += tau * y, crossings += 1;
    }
    double spread = crossings * sumTT - sumT * sumT;
    if (crossings < 3 || spread <= 0) return NAN;
    double b = (crossings * sumTY - sumT * sumY) / spread;
    return (b - 200) / 150;
}

double SourceTimeAt(const std::vector<int16_t> &capture, size_t at) {
    if (at + WINDOW <= capture.size()) return WindowTime(&capture[at]);
    if (at + 1 < WINDOW || at >= capture.size()) return NAN;
    return WindowTime(&capture[at + 1 - WINDOW]) + double(WINDOW - 1) / CHIRP_RATE;
}

std::vector<HeardStretch> HeardStretches(const std::vector<int16_t> &x) {
    std::vector<HeardStretch> stretches;
    const size_t gap = size_t(MIN_GAP * CHIRP_RATE);
    for (size_t i = 0; i < x.size();) {
        if (abs(x[i]) < SILENCE) {
            ++i;
            continue;
        }
        size_t first = i, last = i;
        for (; i < x.size() && i - last < gap; ++i)
            if (abs(x[i]) >= SILENCE) last = i;
        size_t end = last + 1;
        if (end - first < WINDOW + 2 * EDGE) continue;
        int peak = 0;
        for (size_t k = first; k < end; ++k) peak = std::max(peak, abs(x[k]));
        size_t from = first, to = end;
        while (abs(x[from]) * 2 < peak) ++from;
        while (abs(x[to - 1]) * 2 < peak) --to;
        size_t a = first + EDGE, b = end - EDGE - WINDOW;
        stretches.push_back({from, to, WindowTime(&x[a]) - double(a - from) / CHIRP_RATE,
                             WindowTime(&x[b]) + double(to - b) / CHIRP_RATE});
    }
    return stretches;
}

bool IsHeardSecond(int32_t second, double heard) {
    return second == int32_t(floor(heard - 0.02)) || second == int32_t(floor(heard + 0.02));
}

std::string Describe(const std::vector<HeardStretch> &stretches) {
    std::string text;
    for (const HeardStretch &s : stretches) {
        char part[64];
        snprintf(part, sizeof part, "%s%.3f-%.3f", text.empty() ? "" : " ", s.from, s.to);
        text += part;
    }
    return text;
}

}  // namespace driver
