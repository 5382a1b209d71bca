// The clarity stages on generated speech-like sound: what each does to levels, that nothing
// changes where nothing should, and that a restart with other settings, cross-faded as the player
// does it, never clicks.
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>

#include "audio/clarity.h"
#include "tests/audio/speech_like.h"

static const ClaritySettings OFF = {false, false, false, CLARITY_BOTH},
                             AUTO_GAIN = {true, false, false, CLARITY_BOTH},
                             NOISE = {false, true, false, CLARITY_BOTH},
                             LOW_CUT = {false, false, true, CLARITY_BOTH},
                             LEFT = {false, false, false, CLARITY_LEFT},
                             RIGHT = {false, false, false, CLARITY_RIGHT},
                             ALL = {true, true, true, CLARITY_LEFT};
struct Format {
    uint32_t rate;
    int channels;
};
static const Format FORMATS[] = {{8000, 1}, {16000, 1}, {44100, 2}};

// The stream as the player makes it: restarted at `from`, fed in uneven pieces up to `to`, and
// drained if that is the end.
static std::vector<int16_t> Stream(Clarity &c, const ClaritySettings &s,
                                   const std::vector<int16_t> &in, size_t from, size_t to) {
    size_t n = size_t(c.channels), at = size_t(ClarityRestart(c, s, from));
    std::vector<int16_t> out, piece;
    auto keep = [&](size_t frames) {
        out.insert(out.end(), piece.begin(), piece.begin() + ptrdiff_t(frames * n));
    };
    for (size_t k = 0, m; at < to; at += m, ++k) {
        m = std::min(to - at, 300 + k * 977 % 2500);
        piece.assign(in.data() + at * n, in.data() + (at + m) * n);
        keep(ClarityProcess(c, piece.data(), m));
    }
    piece.resize(ClarityLatency(c) * n);
    if (to == in.size() / n) keep(ClarityDrain(c, piece.data()));
    return out;
}
static std::vector<int16_t> Whole(const ClaritySettings &s, const std::vector<int16_t> &in,
                                  Format f) {
    Clarity c;
    ClarityOpen(c, f.channels, f.rate);
    return Stream(c, s, in, 0, in.size() / size_t(f.channels));
}

// Each output channel is one input channel, sample for sample (a mono input has only one).
TEST(Clarity, ExactWhereNothingIsShaped) {
    struct Row {
        const char *name;
        ClaritySettings settings;
        int channels;
        size_t left, right;
    } rows[] = {{"nothing on", OFF, 2, 0, 1},
                {"left on both", LEFT, 2, 0, 0},
                {"right on both", RIGHT, 2, 1, 1},
                {"a mono file ignores the channel", RIGHT, 1, 0, 0}};
    std::vector<int16_t> in(44100 * 2);
    for (int16_t &v : in) v = int16_t(rand() % 65536 - 32768);
    for (const Row &r : rows) {
        std::vector<int16_t> out = Whole(r.settings, in, {22050, r.channels});
        ASSERT_EQ(out.size(), in.size()) << r.name;
        size_t n = size_t(r.channels);
        for (size_t i = 0; i < in.size(); i += n)
            ASSERT_TRUE(out[i] == in[i + r.left] && out[i + n - 1] == in[i + (n - 1) * r.right])
                << r.name << " frame " << i / n;
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
    for (const Row &r : rows)
        for (uint32_t rate : {8000u, 44100u}) {
            std::vector<double> tone(rate * 2);
            for (size_t i = 0; i < tone.size(); ++i)
                tone[i] = 10000 * sin(2 * PI * r.hz * i / rate);
            std::vector<int16_t> in = Mix(tone, std::vector<double>(tone.size()), 1),
                                 out = Whole(LOW_CUT, in, {rate, 1});
            double change = Dbfs(out, 1, rate, 1, 2) - Dbfs(in, 1, rate, 1, 2);
            EXPECT_TRUE(change >= r.leastDb && change <= r.mostDb)
                << r.name << " at " << rate << ": " << change;
        }
}

TEST(Clarity, AutoGainBringsQuietSpeechUpHoldsThroughPausesAndNeverClips) {
    // The voice starts at 1 s, pauses for 5 s from 5 s, and comes back loud at 10 s.
    std::vector<SpeechPart> parts = {
        {1, NO_VOICE, false}, {4, -40, false}, {5, NO_VOICE, false}, {3, -3, true}};
    for (Format f : FORMATS) {
        SpeechLike s = MakeSpeechLike(f.rate, parts, -70);
        std::vector<int16_t> out = Whole(AUTO_GAIN, Mix(s.voice, s.noise, f.channels), f);
        EXPECT_NEAR(Dbfs(out, f.channels, f.rate, 3, 5), -20, 3) << f.rate;
        EXPECT_LE(Dbfs(out, f.channels, f.rate, 9.5, 10) - Dbfs(out, f.channels, f.rate, 5.5, 6),
                  10)
            << f.rate;
        EXPECT_LE(20 * log10(abs(*std::max_element(out.begin(), out.end(),
                                                   [](int a, int b) { return abs(a) < abs(b); })) /
                             32768.0),
                  -1)
            << f.rate;
    }
}

TEST(Clarity, NoiseReductionQuietensPausesAndKeepsTheVoice) {
    // Noise 5 dB below the voice; the last pause is judged once the noise has been learnt.
    std::vector<SpeechPart> parts = {{1, NO_VOICE, false},
                                     {2, -25, false},
                                     {1, NO_VOICE, false},
                                     {2, -25, false},
                                     {2, NO_VOICE, false}};
    for (Format f : FORMATS) {
        SpeechLike s = MakeSpeechLike(f.rate, parts, -30);
        std::vector<double> silence(s.voice.size());
        std::vector<int16_t> in = Mix(s.voice, s.noise, f.channels), out = Whole(NOISE, in, f),
                             voice = Mix(s.voice, silence, 1), error;
        for (size_t i = 0; i < voice.size(); ++i)
            error.push_back(int16_t(out[i * size_t(f.channels)] - voice[i]));
        EXPECT_LE(Dbfs(out, f.channels, f.rate, 6.5, 8), Dbfs(in, f.channels, f.rate, 6.5, 8) - 12)
            << f.rate;
        EXPECT_NEAR(Dbfs(out, f.channels, f.rate, 4, 6), Dbfs(voice, 1, f.rate, 4, 6), 3) << f.rate;
        // In step with the voice: what differs from it is well below it.
        EXPECT_LE(Dbfs(error, 1, f.rate, 4, 6), Dbfs(voice, 1, f.rate, 4, 6) - 6) << f.rate;
    }
}

// The player restarts the stream where the listener is and cross-fades into it. At the point
// where the two settings differ most, the output stays as smooth as the sound of either setting.
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
    const size_t fade = f.rate / 100, n = 2;
    SpeechLike s = MakeSpeechLike(f.rate, {{1, NO_VOICE, false}, {4, -30, false}}, -50);
    std::vector<int16_t> voice = Mix(s.voice, s.noise, 1), in;
    for (size_t i = 0; i < voice.size(); ++i) {
        in.push_back(voice[i]);
        in.push_back(int16_t(voice[i * 3 / 2 % voice.size()] / 2));  // another voice on the right
    }
    auto steepest = [&](const std::vector<int16_t> &v, size_t at) {
        int most = 0;
        for (size_t i = (at - fade) * n; i < (at + 2 * fade) * n; ++i)
            most = std::max(most, abs(v[i + n] - v[i]));
        return most;
    };
    for (const Row &r : rows) {
        std::vector<int16_t> before = Whole(r.before, in, f), after = Whole(r.after, in, f);
        size_t at = 3 * f.rate;
        for (size_t i = at * n; i < (3 * f.rate + fade) * n; ++i)
            if (abs(before[i] - after[i]) > abs(before[at * n] - after[at * n])) at = i / n;
        Clarity c;
        ClarityOpen(c, f.channels, f.rate);
        std::vector<int16_t> heard = Stream(c, r.before, in, 0, at + f.rate / 4),
                             fresh = Stream(c, r.after, in, at, at + f.rate / 4);
        ClarityFadeIn(fresh.data(), &heard[at * n], fade, 2, 0, uint32_t(fade));
        heard.resize(at * n);
        heard.insert(heard.end(), fresh.begin(), fresh.end());
        EXPECT_LE(steepest(heard, at),
                  std::max(steepest(before, at), steepest(after, at)) * 11 / 10)
            << r.name;
    }
}
