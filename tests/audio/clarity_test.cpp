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
static const uint32_t FORMATS[][2] = {{8000, 1}, {16000, 1}, {44100, 2}};  // rate, channels

// The stream as the player makes it: restarted at `from`, fed in uneven pieces up to `to` (0: to
// the end, and drained there).
static std::vector<int16_t> Stream(Clarity &c, const ClaritySettings &s,
                                   const std::vector<int16_t> &in, size_t from = 0, size_t to = 0) {
    size_t n = size_t(c.channels), at = size_t(ClarityRestart(c, s, from));
    std::vector<int16_t> out, piece;
    auto keep = [&](size_t frames) {
        out.insert(out.end(), piece.begin(), piece.begin() + ptrdiff_t(frames * n));
    };
    for (size_t k = 0, stop = to ? to : in.size() / n, m; at < stop; at += m, ++k) {
        m = std::min(stop - at, 300 + k * 977 % 2500);
        piece.assign(in.data() + at * n, in.data() + (at + m) * n);
        keep(ClarityProcess(c, piece.data(), m));
    }
    piece.resize(ClarityLatency(c) * n);
    if (!to) keep(ClarityDrain(c, piece.data()));
    return out;
}
static std::vector<int16_t> Whole(const ClaritySettings &s, const std::vector<int16_t> &in,
                                  uint32_t rate, uint32_t channels) {
    Clarity c;
    ClarityOpen(c, int(channels), rate);
    return Stream(c, s, in);
}

// Each output channel is one input channel, sample for sample (a mono input has only one).
TEST(Clarity, ExactWhereNothingIsShaped) {
    struct Row {
        const char *name;
        ClaritySettings settings;
        uint32_t channels;
        size_t left, right;
    } rows[] = {{"nothing on", OFF, 2, 0, 1},
                {"left on both", LEFT, 2, 0, 0},
                {"right on both", RIGHT, 2, 1, 1},
                {"a mono file ignores the channel", RIGHT, 1, 0, 0}};
    std::vector<int16_t> in(44100 * 2);
    for (int16_t &v : in) v = int16_t(rand() % 65536 - 32768);
    for (const Row &r : rows) {
        std::vector<int16_t> out = Whole(r.settings, in, 22050, r.channels);
        ASSERT_EQ(out.size(), in.size()) << r.name;
        for (size_t i = 0, n = r.channels; i < in.size(); i += n)
            ASSERT_TRUE(out[i] == in[i + r.left] && out[i + n - 1] == in[i + (n - 1) * r.right])
                << r.name << " frame " << i / n;
    }
}

TEST(Clarity, LowCutTakesHumAwayAndKeepsTheVoiceBand) {
    struct Row {
        const char *name;
        double hz, leastDb, mostDb;
    } rows[] = {
        {"mains hum", 50, -200, -20}, {"lowest voice", 300, -1, 1}, {"consonants", 3500, -1, 1}};
    for (const Row &r : rows)
        for (uint32_t rate : {8000u, 44100u}) {
            std::vector<double> tone(rate * 2);
            for (size_t i = 0; i < tone.size(); ++i)
                tone[i] = 10000 * sin(2 * PI * r.hz * i / rate);
            std::vector<int16_t> in = Mix(tone, std::vector<double>(tone.size()), 1);
            double change =
                Dbfs(Whole(LOW_CUT, in, rate, 1), 1, rate, 1, 2) - Dbfs(in, 1, rate, 1, 2);
            EXPECT_TRUE(change >= r.leastDb && change <= r.mostDb)
                << r.name << " at " << rate << ": " << change;
        }
}

TEST(Clarity, AutoGainBringsQuietSpeechUpHoldsThroughPausesAndNeverClips) {
    // The voice starts at 1 s, pauses for 5 s from 5 s, and comes back loud at 10 s.
    std::vector<SpeechPart> parts = {
        {1, NO_VOICE, false}, {4, -40, false}, {5, NO_VOICE, false}, {3, -3, true}};
    for (auto f : FORMATS) {
        SpeechLike s = MakeSpeechLike(f[0], parts, -70);
        std::vector<int16_t> out = Whole(AUTO_GAIN, Mix(s.voice, s.noise, int(f[1])), f[0], f[1]);
        EXPECT_NEAR(Dbfs(out, int(f[1]), f[0], 3, 5), -20, 3) << f[0];
        EXPECT_LE(Dbfs(out, int(f[1]), f[0], 9.5, 10) - Dbfs(out, int(f[1]), f[0], 5.5, 6), 10)
            << f[0];
        auto louder = [](int16_t a, int16_t b) { return abs(a) < abs(b); };
        EXPECT_LE(20 * log10(abs(*std::max_element(out.begin(), out.end(), louder)) / 32768.0), -1)
            << f[0];
    }
}

TEST(Clarity, NoiseReductionQuietensPausesAndKeepsTheVoice) {
    // Noise 5 dB below the voice; the last pause is judged once the noise has been learnt.
    std::vector<SpeechPart> parts = {{1, NO_VOICE, false},
                                     {2, -25, false},
                                     {1, NO_VOICE, false},
                                     {2, -25, false},
                                     {2, NO_VOICE, false}};
    for (auto f : FORMATS) {
        SpeechLike s = MakeSpeechLike(f[0], parts, -30);
        int n = int(f[1]);
        std::vector<int16_t> in = Mix(s.voice, s.noise, n), out = Whole(NOISE, in, f[0], f[1]),
                             voice = Mix(s.voice, std::vector<double>(s.voice.size()), 1), error;
        for (size_t i = 0; i < voice.size(); ++i)
            error.push_back(int16_t(out[i * f[1]] - voice[i]));
        EXPECT_LE(Dbfs(out, n, f[0], 6.5, 8), Dbfs(in, n, f[0], 6.5, 8) - 12) << f[0];
        EXPECT_NEAR(Dbfs(out, n, f[0], 4, 6), Dbfs(voice, 1, f[0], 4, 6), 3) << f[0];
        // In step with the voice: what differs from it is well below it.
        EXPECT_LE(Dbfs(error, 1, f[0], 4, 6), Dbfs(voice, 1, f[0], 4, 6) - 6) << f[0];
    }
}

// The player restarts the stream where the listener is and cross-fades into it. Where the two
// settings differ most, the output stays as smooth as the sound of either setting.
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
    const uint32_t rate = 44100, fade = rate / 100;
    SpeechLike s = MakeSpeechLike(rate, {{1, NO_VOICE, false}, {4, -30, false}}, -50);
    std::vector<int16_t> voice = Mix(s.voice, s.noise, 1), in;
    for (size_t i = 0; i < voice.size(); ++i) {
        in.push_back(voice[i]);
        in.push_back(int16_t(voice[i * 3 / 2 % voice.size()] / 2));  // another voice on the right
    }
    auto steepest = [&](const std::vector<int16_t> &v, size_t at) {
        int most = 0;
        for (size_t i = (at - fade) * 2; i < (at + 2 * fade) * 2; ++i)
            most = std::max(most, abs(v[i + 2] - v[i]));
        return most;
    };
    for (const Row &r : rows) {
        std::vector<int16_t> before = Whole(r.before, in, rate, 2),
                             after = Whole(r.after, in, rate, 2);
        size_t at = 3 * rate;
        for (size_t i = at * 2; i < (3 * rate + fade) * 2; ++i)
            if (abs(before[i] - after[i]) > abs(before[at * 2] - after[at * 2])) at = i / 2;
        Clarity c;
        ClarityOpen(c, 2, rate);
        std::vector<int16_t> heard = Stream(c, r.before, in, 0, at + rate / 4),
                             fresh = Stream(c, r.after, in, at, at + rate / 4);
        ClarityFadeIn(fresh.data(), &heard[at * 2], fade, 2, 0, fade);
        heard.resize(at * 2);
        heard.insert(heard.end(), fresh.begin(), fresh.end());
        EXPECT_LE(steepest(heard, at),
                  std::max(steepest(before, at), steepest(after, at)) * 11 / 10)
            << r.name;
    }
}
