// The clarity stages on generated speech-like sound: what each does to levels, that nothing
// changes where nothing should, and that a restart with other settings, cross-faded as the player
// does it, never clicks. Also the FFT under them against the direct transform.
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>

#include "audio/clarity.h"
#include "tests/audio/speech_like.h"

static const ClaritySettings OFF = {false, false, false, CLARITY_BOTH};
static const ClaritySettings AUTO_GAIN = {true, false, false, CLARITY_BOTH};
static const ClaritySettings NOISE = {false, true, false, CLARITY_BOTH};
static const ClaritySettings LOW_CUT = {false, false, true, CLARITY_BOTH};
static const ClaritySettings LEFT = {false, false, false, CLARITY_LEFT};
static const ClaritySettings RIGHT = {false, false, false, CLARITY_RIGHT};
static const ClaritySettings ALL = {true, true, true, CLARITY_LEFT};

struct Format {
    uint32_t rate;
    int channels;
};
static const Format FORMATS[] = {{8000, 1}, {16000, 1}, {44100, 2}};

// The stream as the player makes it: restarted at `from`, fed in uneven pieces up to `to`, and
// drained if that is the end.
static std::vector<int16_t> Stream(Clarity &c, const ClaritySettings &s,
                                   const std::vector<int16_t> &in, size_t from, size_t to) {
    size_t n = size_t(c.channels), at = size_t(ClarityRestart(c, s, from)), piece = 0;
    std::vector<int16_t> out, buffer;
    while (at < to) {
        size_t m = std::min(to - at, 300 + (piece++ * 977) % 2500);
        buffer.assign(in.begin() + ptrdiff_t(at * n), in.begin() + ptrdiff_t((at + m) * n));
        out.insert(out.end(), buffer.begin(),
                   buffer.begin() + ptrdiff_t(ClarityProcess(c, buffer.data(), m) * n));
        at += m;
    }
    if (to == in.size() / n) {
        buffer.resize(ClarityLatency(c) * n);
        out.insert(out.end(), buffer.begin(),
                   buffer.begin() + ptrdiff_t(ClarityDrain(c, buffer.data()) * n));
    }
    return out;
}

static std::vector<int16_t> Whole(const ClaritySettings &s, const std::vector<int16_t> &in,
                                  Format f) {
    Clarity c;
    ClarityOpen(c, f.channels, f.rate);
    return Stream(c, s, in, 0, in.size() / size_t(f.channels));
}

TEST(Fft, MatchesTheDirectTransformAndInvertsIt) {
    for (size_t size : {8, 256, 2048}) {
        Fft f;
        ASSERT_TRUE(FftInit(f, size));
        std::vector<float> x(size), re(size / 2 + 1), im(size / 2 + 1), back(size);
        for (float &v : x) v = float(rand() % 2001 - 1000) / 1000;
        FftForward(f, x.data(), re.data(), im.data());
        for (size_t k = 0; k <= size / 2; k += size / 8) {
            double r = 0, i = 0;
            for (size_t t = 0; t < size; ++t) {
                r += x[t] * cos(2 * M_PI * double(k * t) / double(size));
                i -= x[t] * sin(2 * M_PI * double(k * t) / double(size));
            }
            EXPECT_NEAR(re[k], r, 1e-3) << size << " bin " << k;
            EXPECT_NEAR(im[k], i, 1e-3) << size << " bin " << k;
        }
        FftInverse(f, re.data(), im.data(), back.data());
        for (size_t t = 0; t < size; ++t) ASSERT_NEAR(back[t], x[t], 1e-5) << size;
    }
    Fft f;
    EXPECT_FALSE(FftInit(f, 96));
}

// Each output channel is one input channel, sample for sample (-1: a mono input's only one).
TEST(Clarity, ExactWhereNothingIsShaped) {
    struct Row {
        const char *name;
        ClaritySettings settings;
        int channels, left, right;
    } rows[] = {{"nothing on", OFF, 2, 0, 1},
                {"left on both", LEFT, 2, 0, 0},
                {"right on both", RIGHT, 2, 1, 1},
                {"a mono file ignores the channel", RIGHT, 1, 0, -1}};
    std::vector<int16_t> in(44100 * 2);
    for (int16_t &v : in) v = int16_t(rand() % 65536 - 32768);
    for (const Row &r : rows) {
        Format f = {22050, r.channels};
        std::vector<int16_t> out = Whole(r.settings, in, f);
        ASSERT_EQ(out.size(), in.size()) << r.name;
        size_t n = size_t(r.channels);
        for (size_t i = 0; i < in.size() / n; ++i) {
            ASSERT_EQ(out[i * n], in[i * n + size_t(r.left)]) << r.name << " frame " << i;
            if (n == 2) {
                ASSERT_EQ(out[i * n + 1], in[i * n + size_t(r.right)]) << r.name << " frame " << i;
            }
        }
    }
}

TEST(Clarity, LowCutTakesHumAwayAndKeepsTheVoiceBand) {
    struct Row {
        const char *name;
        double hz, leastDb, mostDb;
    } rows[] = {{"mains hum", 50, -200, -20},
                {"lowest voice", 300, -1, 1},
                {"vowels", 1000, -1, 1},
                {"consonants", 3500, -1, 1}};
    for (const Row &r : rows) {
        for (uint32_t rate : {8000u, 44100u}) {
            std::vector<int16_t> in(rate * 2);
            for (size_t i = 0; i < in.size(); ++i)
                in[i] = int16_t(lrint(10000 * sin(2 * M_PI * r.hz * double(i) / rate)));
            std::vector<int16_t> out = Whole(LOW_CUT, in, {rate, 1});
            double change = Dbfs(out, 1, rate, 1, 2) - Dbfs(in, 1, rate, 1, 2);
            EXPECT_GE(change, r.leastDb) << r.name << " at " << rate;
            EXPECT_LE(change, r.mostDb) << r.name << " at " << rate;
        }
    }
}

TEST(Clarity, AutoGainBringsQuietSpeechUpHoldsThroughPausesAndNeverClips) {
    // Voice starts at 1 s, pauses 5 s from 5 s, returns loud at 10 s.
    std::vector<SpeechPart> parts = {
        {1, NO_VOICE, false}, {4, -40, false}, {5, NO_VOICE, false}, {3, -3, true}};
    for (Format f : FORMATS) {
        std::vector<int16_t> out =
            Whole(AUTO_GAIN, Mix(MakeSpeechLike(f.rate, parts, -70), f.channels), f);
        EXPECT_NEAR(Dbfs(out, f.channels, f.rate, 3, 5), -20, 3) << f.rate;
        double pauseStart = Dbfs(out, f.channels, f.rate, 5.5, 6),
               pauseEnd = Dbfs(out, f.channels, f.rate, 9.5, 10);
        EXPECT_LE(pauseEnd - pauseStart, 10) << f.rate;
        int peak = 0;
        for (int16_t v : out) peak = std::max(peak, abs(v));
        EXPECT_LE(20 * log10(peak / 32768.0), -1) << f.rate;
    }
}

TEST(Clarity, NoiseReductionQuietensPausesAndKeepsTheVoice) {
    // 5 dB below the voice's level; the last pause is judged once the noise has been learnt.
    std::vector<SpeechPart> parts = {{1, NO_VOICE, false},
                                     {2, -25, false},
                                     {1, NO_VOICE, false},
                                     {2, -25, false},
                                     {2, NO_VOICE, false}};
    for (Format f : FORMATS) {
        SpeechLike s = MakeSpeechLike(f.rate, parts, -30);
        std::vector<int16_t> in = Mix(s, f.channels), out = Whole(NOISE, in, f);
        ASSERT_EQ(out.size(), in.size());
        EXPECT_LE(Dbfs(out, f.channels, f.rate, 6.5, 8), Dbfs(in, f.channels, f.rate, 6.5, 8) - 12)
            << f.rate;
        EXPECT_NEAR(Dbfs(out, f.channels, f.rate, 4, 6), Dbfs(s.voice, f.rate, 4, 6), 3) << f.rate;
        // In step with the voice: what differs from it is well below it.
        std::vector<float> error(s.voice.size());
        for (size_t i = 0; i < error.size(); ++i)
            error[i] = out[i * size_t(f.channels)] / 32768.0f - s.voice[i];
        EXPECT_LE(Dbfs(error, f.rate, 4, 6), Dbfs(s.voice, f.rate, 4, 6) - 6) << f.rate;
    }
}

// The player restarts the stream where the listener is and cross-fades into it; at the place where
// the two settings differ most, the output stays as smooth as the sound of either setting.
TEST(Clarity, ASwitchOverNeverClicks) {
    struct Row {
        const char *name;
        ClaritySettings before, after;
    } rows[] = {{"auto gain on", OFF, AUTO_GAIN},
                {"auto gain off", AUTO_GAIN, OFF},
                {"noise reduction on", OFF, NOISE},
                {"noise reduction off", NOISE, OFF},
                {"low cut on", OFF, LOW_CUT},
                {"left only", OFF, LEFT},
                {"all on", OFF, ALL},
                {"all off", ALL, OFF}};
    const Format f = {44100, 2};
    const size_t fade = f.rate / 100, ahead = f.rate / 4, n = 2;
    std::vector<int16_t> in =
        Mix(MakeSpeechLike(f.rate, {{1, NO_VOICE, false}, {4, -30, false}}, -50), 2);
    // A different voice on the right, so that choosing a channel changes something.
    for (size_t i = 0; i < in.size() / 2; ++i)
        in[2 * i + 1] = int16_t(in[2 * ((i * 3 / 2) % (in.size() / 2))] / 2);
    auto steepest = [&](const std::vector<int16_t> &v, size_t from, size_t to) {
        int most = 0;
        for (size_t i = from; i + 1 < to; ++i)
            for (size_t ch = 0; ch < n; ++ch)
                most = std::max(most, abs(v[(i + 1) * n + ch] - v[i * n + ch]));
        return most;
    };
    for (const Row &r : rows) {
        std::vector<int16_t> before = Whole(r.before, in, f), after = Whole(r.after, in, f);
        size_t at = 0;
        int widest = -1;
        for (size_t i = 3 * n * f.rate; i < (3 * f.rate + fade) * n; ++i)
            if (abs(before[i] - after[i]) > widest) widest = abs(before[i] - after[i]), at = i / n;
        Clarity c;
        ClarityOpen(c, f.channels, f.rate);
        std::vector<int16_t> heard = Stream(c, r.before, in, 0, at + ahead);
        std::vector<int16_t> fresh = Stream(c, r.after, in, at, at + ahead);
        ClarityFadeIn(fresh.data(), &heard[at * n], fade, 2, 0, uint32_t(fade));
        heard.resize(at * n);
        heard.insert(heard.end(), fresh.begin(), fresh.end());
        int own = std::max(steepest(before, at - fade, at + 2 * fade),
                           steepest(after, at - fade, at + 2 * fade));
        EXPECT_LE(steepest(heard, at - fade, at + 2 * fade), own * 11 / 10) << r.name;
    }
}
