// Time-stretch: passthrough is bit-exact, durations follow the tempo, a pure tone keeps its
// pitch at both ends of the range, tempo changes never click, and the source positions the
// stretch reports for its output follow the tempo.
#include <gtest/gtest.h>

#include <math.h>

#include <algorithm>

#include "audio/stretch.h"

static const double kPi = 3.14159265358979323846;

static std::vector<int16_t> Tone(double hz, uint32_t rate, size_t frames, int channels,
                                 double amplitude = 12000) {
    std::vector<int16_t> v(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[i * size_t(channels) + size_t(c)] =
                int16_t(lrint(amplitude * sin(2 * kPi * hz * double(i) / rate)));
    return v;
}

// Feeds `input` in uneven pieces, switching tempo at the given input frames, and collects all.
struct Change {
    size_t atInput;
    double tempo;
};
static std::vector<int16_t> StretchAll(const std::vector<int16_t> &input, int channels,
                                       uint32_t rate, double tempo,
                                       std::vector<Change> changes = {},
                                       std::vector<double> *positions = nullptr) {
    Stretch s = {};
    s.tempo = tempo;
    StretchReset(s, channels, rate, 0);
    std::vector<int16_t> out, buffer(4096 * size_t(channels));
    size_t frames = input.size() / size_t(channels), fed = 0, piece = 0;
    size_t next = 0;
    auto drain = [&]() {
        double from, to;
        size_t n;
        while ((n = StretchTake(s, buffer.data(), 700, &from, &to)) > 0) {
            out.insert(out.end(), buffer.begin(), buffer.begin() + ptrdiff_t(n * size_t(channels)));
            if (positions) positions->push_back(to);
        }
    };
    while (fed < frames) {
        if (next < changes.size() && fed >= changes[next].atInput)
            StretchSetTempo(s, changes[next++].tempo);
        size_t n = std::min<size_t>(frames - fed, 300 + (piece++ * 977) % 2500);
        StretchPut(s, input.data() + fed * size_t(channels), n);
        fed += n;
        drain();
    }
    StretchFinish(s);
    drain();
    return out;
}

// Frequency from the mean period between upward zero crossings in the middle of the signal.
static double Frequency(const std::vector<int16_t> &v, int channels, uint32_t rate) {
    size_t frames = v.size() / size_t(channels);
    size_t from = frames / 5, to = frames * 4 / 5;
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        int a = v[(i - 1) * size_t(channels)], b = v[i * size_t(channels)];
        if (a < 0 && b >= 0) {
            double at = double(i - 1) + double(-a) / double(b - a);
            if (first < 0)
                first = at;
            else
                ++crossings;
            last = at;
        }
    }
    return crossings ? rate * crossings / (last - first) : 0;
}

static int MaxStep(const std::vector<int16_t> &v, int channels) {
    int worst = 0;
    for (size_t i = size_t(channels); i < v.size(); ++i)
        worst = std::max(worst, abs(v[i] - v[i - size_t(channels)]));
    return worst;
}

TEST(Stretch, NormalSpeedIsTheInputItself) {
    std::vector<int16_t> noise(44100 * 2);
    uint32_t x = 1;
    for (int16_t &s : noise) s = int16_t((x = x * 1664525u + 1013904223u) >> 16);
    EXPECT_EQ(StretchAll(noise, 2, 44100, 1.0), noise);
}

TEST(Stretch, DurationFollowsTheTempo) {
    for (uint32_t rate : {8000u, 22050u, 44100u})
        for (int channels : {1, 2})
            for (double tempo : {0.5, 0.75, 1.5, 2.0, 3.0}) {
                std::vector<int16_t> in = Tone(300, rate, rate * 4, channels);
                for (size_t i = 0; i < in.size(); i += 7)
                    in[i] = int16_t(in[i] / 2);  // not a pure tone
                size_t outFrames = StretchAll(in, channels, rate, tempo).size() / size_t(channels);
                double ratio = double(outFrames) / (rate * 4 / tempo);
                EXPECT_NEAR(ratio, 1.0, 0.01)
                    << rate << " Hz " << channels << " ch tempo " << tempo;
            }
}

TEST(Stretch, ToneKeepsItsPitchAtHalfAndTripleSpeed) {
    for (double tempo : {0.5, 3.0})
        for (double hz : {220.0, 1000.0}) {
            std::vector<int16_t> out = StretchAll(Tone(hz, 22050, 22050 * 3, 1), 1, 22050, tempo);
            EXPECT_NEAR(Frequency(out, 1, 22050), hz, hz * 0.01)
                << "tempo " << tempo << " at " << hz;
        }
    // A speed change by resampling would move the tone: check the measure itself would see it.
    std::vector<int16_t> doubled = Tone(440, 22050, 22050, 1);
    std::vector<int16_t> decimated;
    for (size_t i = 0; i < doubled.size(); i += 2) decimated.push_back(doubled[i]);
    EXPECT_NEAR(Frequency(decimated, 1, 22050), 880, 9);
}

TEST(Stretch, TempoChangesAreSmooth) {
    const uint32_t rate = 44100;
    std::vector<int16_t> in = Tone(440, rate, rate * 4, 2);
    int toneStep = MaxStep(in, 2);
    std::vector<double> positions;
    std::vector<int16_t> out = StretchAll(
        in, 2, rate, 1.0,
        {{rate / 2, 1.5}, {rate, 1.0}, {rate * 3 / 2, 0.5}, {rate * 2, 3.0}, {rate * 5 / 2, 1.0}},
        &positions);
    EXPECT_LE(MaxStep(out, 2), toneStep * 13 / 10);
    EXPECT_TRUE(
        std::is_sorted(positions.begin(), positions.end()));  // the reported place never goes back
    EXPECT_NEAR(positions.back(), rate * 4, 1);
    // And an unfaded jump in the same tone is caught by the measure.
    std::vector<int16_t> jump(in.begin(), in.begin() + 2 * 1000);
    jump.insert(jump.end(), in.begin() + 2 * 1025, in.begin() + 2 * 3000);
    EXPECT_GT(MaxStep(jump, 2), toneStep * 13 / 10);
}

TEST(Stretch, ReportedSourcePositionsFollowTheTempo) {
    const uint32_t rate = 16000;
    std::vector<double> positions;
    std::vector<int16_t> out =
        StretchAll(Tone(200, rate, rate * 6, 1), 1, rate, 0.5, {}, &positions);
    ASSERT_FALSE(positions.empty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_NEAR(positions.back(), rate * 6, 1);
    // Halfway through the output, the source is halfway through.
    size_t half = positions.size() / 2;
    EXPECT_NEAR(positions[half] / (rate * 6), 0.5, 0.02);
}
