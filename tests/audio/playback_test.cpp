// The library as the program uses it, under Wine with the ALSA file sink: a WAV whose every
// second is a different tone is played, paused, sought, resumed and stopped, and the captured
// output shows which seconds were really heard and whether getState agreed with them.
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/vbmp3.h"
#include "tests/audio/speech_like.h"
#include "tests/audio/test_files.h"

static const uint32_t kRate = 22050;
static const int kSeconds = 8;
static double ToneOf(int second) { return 400.0 + 150.0 * second; }

static std::string TonesWav() {
    std::vector<int16_t> s(size_t(kRate) * kSeconds);
    for (size_t i = 0; i < s.size(); ++i) {
        int second = int(i / kRate);
        s[i] = int16_t(
            lrint(10000 * sin(2 * 3.14159265358979 * ToneOf(second) * double(i % kRate) / kRate)));
    }
    std::string path = WorkDir() + "/tones.wav";
    return WriteFile(path, Pcm16Wav(s, 1, kRate)) ? path : std::string();
}

static std::string WinePath(const char *unix) {
    std::string p = std::string("Z:") + unix;
    for (char &c : p)
        if (c == '/') c = '\\';
    return p;
}

// The captured sound as mono samples (the sink's WAV header may not carry final sizes).
static std::vector<int16_t> ReadCapture(int *rate) {
    std::vector<int16_t> out;
    const char *env = getenv("PARLOMIX_CAPTURE");
    if (!env) return out;
    FILE *f = fopen(WinePath(env).c_str(), "rb");
    if (!f) return out;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    if (bytes.size() < 44) return out;
    int channels = bytes[22] | (bytes[23] << 8);
    *rate = int(bytes[24] | (bytes[25] << 8) | (bytes[26] << 16));
    size_t at = 12, data = 0;
    while (at + 8 <= bytes.size()) {
        uint32_t size = bytes[at + 4] | (bytes[at + 5] << 8) | (bytes[at + 6] << 16) |
                        (uint32_t(bytes[at + 7]) << 24);
        if (memcmp(&bytes[at], "data", 4) == 0) {
            data = at + 8;
            break;
        }
        at += 8 + size;
    }
    if (!data || channels < 1) return out;
    for (size_t i = data; i + 2 * size_t(channels) <= bytes.size(); i += 2 * size_t(channels))
        out.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
    return out;
}

// The sink writes its header when the device is set up: wait for it rather than read early.
static std::vector<int16_t> Captured(int *rate) {
    std::vector<int16_t> sound;
    for (int i = 0; i < 100; ++i) {
        *rate = 0;
        sound = ReadCapture(rate);
        if (*rate >= 8000 && !sound.empty()) break;
        Sleep(20);
    }
    if (*rate < 8000) sound.clear();
    return sound;
}

static double Goertzel(const int16_t *s, size_t n, double hz, int rate) {
    double w = 2 * cos(2 * 3.14159265358979 * hz / rate), a = 0, b = 0;
    for (size_t i = 0; i < n; ++i) {
        double c = s[i] + w * a - b;
        b = a;
        a = c;
    }
    return a * a + b * b - w * a * b;
}

// Which source second each 20 ms window of the capture carries (-1: silence or unclear), with
// runs of the same second collapsed into (second, windows) pairs.
static std::vector<std::pair<int, int>> HeardSeconds(const std::vector<int16_t> &s, int rate) {
    std::vector<std::pair<int, int>> runs;
    size_t window = size_t(rate) / 50;
    if (window == 0) return runs;
    for (size_t at = 0; at + window <= s.size(); at += window) {
        double energy = 0;
        for (size_t i = 0; i < window; ++i) energy += double(s[at + i]) * s[at + i];
        int best = -1;
        if (energy / window > 1e6) {
            double top = 0, total = 0;
            for (int k = 0; k < kSeconds; ++k) {
                double e = Goertzel(&s[at], window, ToneOf(k), rate);
                total += e;
                if (e > top) top = e, best = k;
            }
            if (top < 0.6 * total) best = -1;
        }
        if (best < 0) continue;
        if (!runs.empty() && runs.back().first == best) {
            ++runs.back().second;
        } else {
            runs.push_back({best, 1});
        }
    }
    // Windows astride a jump may read as a third tone: drop one-window runs.
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [](const std::pair<int, int> &r) { return r.second < 2; }),
               runs.end());
    std::vector<std::pair<int, int>> merged;
    for (auto &r : runs) {
        if (!merged.empty() && merged.back().first == r.first)
            merged.back().second += r.second;
        else
            merged.push_back(r);
    }
    return merged;
}

static int32_t State(int32_t *position) {
    *position = -1;
    return vbmp3_getState(position);
}

class Playback : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(vbmp3_init(), 1);
        vbmp3_setClarity(0);  // the library keeps them from test to test
        vbmp3_setChannel(VBMP3_CHANNEL_BOTH);
    }
    void TearDown() override { vbmp3_free(); }
};

// Polls getState until the position reaches `second` (or the state leaves playing).
static bool WaitFor(int32_t second, int32_t wantState = VBMP3_PLAYING) {
    for (int i = 0; i < 2000; ++i) {
        int32_t pos;
        int32_t state = State(&pos);
        if (state == wantState && (wantState != VBMP3_PLAYING || pos >= second)) return true;
        if (wantState == VBMP3_PLAYING && state != VBMP3_PLAYING) return false;
        Sleep(5);
    }
    return false;
}

static std::string Order(const std::vector<std::pair<int, int>> &heard) {
    std::string order;
    for (auto &r : heard) order += char('0' + r.first);
    return order;
}

// The same tones in every kind of recording: the WAV written here, and files ffmpeg encoded at
// build time that the platform's media decoder opens.
struct Recording {
    const char *name;
    const char *fixture;  // null: the WAV above
};
static std::string PathOf(const Recording &r) {
    return r.fixture ? FixturePath(r.fixture) : TonesWav();
}
class PlaybackOf : public Playback, public ::testing::WithParamInterface<Recording> {};
INSTANTIATE_TEST_SUITE_P(
    Recordings, PlaybackOf,
    ::testing::Values(Recording{"WAV", nullptr}, Recording{"M4A_STEREO", "tones_stereo.m4a"},
                      Recording{"M4A_MONO", "tones_mono.m4a"},
                      Recording{"MP4_VIDEO", "tones_video.mp4"}, Recording{"MOV", "tones.mov"},
                      Recording{"WMA", "tones.wma"}, Recording{"FLAC", "tones.flac"},
                      Recording{"VORBIS", "tones.ogg"}, Recording{"OPUS", "tones.opus"}),
    [](const ::testing::TestParamInfo<Recording> &row) { return std::string(row.param.name); });

// The sink drains as fast as Wine hands it sound, so the test follows getState, not the clock.
TEST_P(PlaybackOf, PlayPauseSeekResumeStopAndEndAsHeard) {
    std::string path = PathOf(GetParam());
    ASSERT_FALSE(path.empty());
    Vbmp3FileInfo info;
    memset(&info, 0xAB, sizeof info);
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    EXPECT_EQ(info.length, kSeconds);
    EXPECT_EQ(info.format, GetParam().fixture ? VBMP3_FORMAT_MEDIA : VBMP3_FORMAT_WAV);
    int32_t pos;
    EXPECT_EQ(State(&pos), VBMP3_STOPPED);
    EXPECT_EQ(pos, 0);

    ASSERT_NE(vbmp3_play(), 0);
    ASSERT_TRUE(WaitFor(1));
    Sleep(60);
    ASSERT_NE(vbmp3_pause(), 0);
    int32_t pausedAt;
    EXPECT_EQ(State(&pausedAt), VBMP3_PAUSED);
    EXPECT_GE(pausedAt, 1);
    Sleep(200);
    EXPECT_EQ(State(&pos), VBMP3_PAUSED);
    EXPECT_EQ(pos, pausedAt);  // held

    ASSERT_NE(vbmp3_seek(5), 0);
    EXPECT_EQ(State(&pos), VBMP3_PAUSED);
    EXPECT_EQ(pos, 5);
    ASSERT_NE(vbmp3_restart(), 0);
    ASSERT_TRUE(WaitFor(6));
    Sleep(40);
    ASSERT_NE(vbmp3_stop(), 0);
    int32_t stoppedAt;
    EXPECT_EQ(State(&stoppedAt), VBMP3_STOPPED);
    EXPECT_EQ(stoppedAt, 6);  // stop keeps the place

    ASSERT_NE(vbmp3_play(), 0);  // on from there to the end
    EXPECT_TRUE(WaitFor(0, VBMP3_STOPPED));
    EXPECT_EQ(State(&pos), VBMP3_STOPPED);
    EXPECT_EQ(pos, 0);  // the end rewinds
    vbmp3_close();

    int rate = 0;
    std::vector<int16_t> sound = Captured(&rate);
    ASSERT_GT(sound.size(), size_t(rate) * 3) << "nothing captured";
    std::vector<std::pair<int, int>> heard = HeardSeconds(sound, rate);
    std::string expect;
    for (int k = 0; k <= pausedAt; ++k) expect += char('0' + k);
    expect += "567";
    ASSERT_EQ(Order(heard), expect);
    auto seconds = [](int windows) { return windows / 50.0; };
    EXPECT_NEAR(seconds(heard[0].second), 1.0, 0.08);  // 0 whole
    size_t five = size_t(pausedAt) + 1;
    EXPECT_NEAR(seconds(heard[five].second), 1.0, 0.08);  // 5 whole, from the exact start of 5
    // 6 was stopped midway and played on from the same place: still one second in all.
    EXPECT_NEAR(seconds(heard[five + 1].second), 1.0, 0.08);
    EXPECT_NEAR(seconds(heard[five + 2].second), 1.0, 0.08);
    // The last second heard before the pause is the one getState reported.
    EXPECT_EQ(heard[five - 1].first, pausedAt);
}

// At a jump the sound fades out to silence and fades in again: at the first quiet point in
// [from, to), the 2 ms on either side stay well below the tones' level (10000); an unfaded cut
// has no quiet point at all. Where the fade-out starts depends on how exactly the device reports
// its position, so that edge is not judged.
// A resume that goes back (pause, seek earlier, restart) is reported at the new place at once,
// while the pause's fade-out may still be sounding.
TEST_P(PlaybackOf, ResumeEarlierIsReportedAtOnce) {
    std::string path = PathOf(GetParam());
    ASSERT_FALSE(path.empty());
    Vbmp3FileInfo info;
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    ASSERT_NE(vbmp3_play(), 0);
    ASSERT_TRUE(WaitFor(4));
    ASSERT_NE(vbmp3_pause(), 0);
    int32_t pos;
    ASSERT_EQ(State(&pos), VBMP3_PAUSED);
    ASSERT_GE(pos, 4);
    ASSERT_NE(vbmp3_seek(1), 0);
    ASSERT_NE(vbmp3_restart(), 0);
    EXPECT_EQ(State(&pos), VBMP3_PLAYING);
    EXPECT_EQ(pos, 1);
    Sleep(30);
    EXPECT_EQ(State(&pos), VBMP3_PLAYING);
    EXPECT_EQ(pos, 1);
    vbmp3_close();
}

static bool FadesThrough(const std::vector<int16_t> &s, size_t from, size_t to, int rate) {
    size_t ramp = size_t(rate) / 500;
    to = std::min(to, s.size());
    for (size_t i = from + ramp; i + 5 + ramp < to; ++i) {
        bool quiet = true;
        for (size_t k = i; k < i + 5 && quiet; ++k) quiet = abs(s[k]) < 100;
        if (!quiet) continue;
        int before = 0, after = 0;
        for (size_t k = i - ramp; k < i; ++k) before = std::max(before, abs(s[k]));
        for (size_t k = i + 5; k < i + 5 + ramp; ++k) after = std::max(after, abs(s[k]));
        return before < 3000 && after < 3000;
    }
    return false;
}

// Seeking while playing: the new place is reported at once and heard next, and the jump and the
// pause and resume after it fade out and in.
TEST_F(Playback, SeekWhilePlayingIsHeardAtOnceWithoutClicks) {
    std::string path = TonesWav();
    Vbmp3FileInfo info;
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    ASSERT_NE(vbmp3_play(), 0);
    ASSERT_TRUE(WaitFor(1));
    Sleep(30);
    int32_t beforeSeek;
    EXPECT_EQ(State(&beforeSeek), VBMP3_PLAYING);
    ASSERT_NE(vbmp3_seek(4), 0);
    int32_t pos;
    EXPECT_EQ(State(&pos), VBMP3_PLAYING);
    EXPECT_EQ(pos, 4);
    ASSERT_TRUE(WaitFor(5));
    Sleep(30);
    ASSERT_NE(vbmp3_pause(), 0);
    int32_t pausedAt;
    EXPECT_EQ(State(&pausedAt), VBMP3_PAUSED);
    ASSERT_NE(vbmp3_restart(), 0);
    ASSERT_TRUE(WaitFor(6));
    ASSERT_NE(vbmp3_stop(), 0);
    vbmp3_close();
    int rate = 0;
    std::vector<int16_t> sound = Captured(&rate);
    ASSERT_GT(sound.size(), size_t(rate)) << "nothing captured";
    std::vector<std::pair<int, int>> heard = HeardSeconds(sound, rate);
    std::string order = Order(heard);
    // The stop comes as 6 begins: a few windows of it may or may not reach the sink.
    ASSERT_TRUE(order == "0145" || order == "01456") << order;
    EXPECT_EQ(heard[1].first, beforeSeek);  // heard last before the jump, as getState said
    // Where the capture turns from 1 to 4: a fade, not a cut.
    size_t window = size_t(rate) / 50;
    size_t four = size_t(heard[0].second + heard[1].second) * window;
    EXPECT_TRUE(FadesThrough(sound, four - 10 * window, four + 10 * window, rate));
    // And so where the pause and resume meet inside 5 (the capture just joins them).
    size_t five = four + size_t(heard[2].second) * window;
    EXPECT_TRUE(FadesThrough(sound, five + window, five + size_t(heard[3].second) * window, rate));
}

// Double and half speed: every second in order with its own tone, lasting half or twice as long.
TEST_P(PlaybackOf, SpeedsKeepTheTones) {
    std::string path = PathOf(GetParam());
    for (int percent : {200, 50}) {
        SCOPED_TRACE(percent);
        Vbmp3FileInfo info;
        ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
        ASSERT_NE(vbmp3_setPitch(percent), 0);
        EXPECT_EQ(vbmp3_getPitch(), percent);
        ASSERT_NE(vbmp3_play(), 0);
        int32_t pos;
        EXPECT_TRUE(WaitFor(0, VBMP3_STOPPED));
        EXPECT_EQ(State(&pos), VBMP3_STOPPED);
        EXPECT_EQ(pos, 0);
        vbmp3_close();
        vbmp3_setPitch(100);
        int rate = 0;
        std::vector<int16_t> sound = Captured(&rate);
        ASSERT_GT(sound.size(), size_t(rate) * 3) << "nothing captured";
        std::vector<std::pair<int, int>> heard = HeardSeconds(sound, rate);
        ASSERT_EQ(Order(heard), "01234567");
        for (size_t k = 1; k + 1 < heard.size(); ++k)
            EXPECT_NEAR(heard[k].second / 50.0, 100.0 / percent, percent < 100 ? 0.12 : 0.06) << k;
    }
}

// An MP3 plays through the codec to its exact end, at its own rate, and the tone is there.
TEST_F(Playback, Mp3PlaysToItsEnd) {
    Vbmp3FileInfo info;
    ASSERT_NE(vbmp3_open(FixturePath("vbr.mp3").c_str(), &info), 0);
    EXPECT_EQ(info.format, VBMP3_FORMAT_MP3);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.length, 5);
    ASSERT_NE(vbmp3_play(), 0);
    EXPECT_TRUE(WaitFor(0, VBMP3_STOPPED));
    vbmp3_close();
    int rate = 0;
    std::vector<int16_t> sound = Captured(&rate);
    EXPECT_EQ(rate, 44100);
    // All five seconds (the sink keeps whole device periods, so allow a little over).
    EXPECT_GE(sound.size(), size_t(5 * 44100) - 441);
    EXPECT_LE(sound.size(), size_t(5 * 44100) + 4410);
    // The source ends with two seconds of a 440 Hz tone at half scale.
    size_t second = 44100, at = size_t(5 * 44100) - 2 * second;
    ASSERT_GE(sound.size(), at + second);
    double tone = Goertzel(&sound[at], second, 440, rate),
           other = Goertzel(&sound[at], second, 660, rate);
    EXPECT_GT(tone, 1000 * other);
}

// Changing the speed while playing: every second is still heard in order with its own tone, and
// the moves in and out of normal speed never step further than the tones themselves do.
TEST_F(Playback, SpeedChangesWhilePlayingAreSmooth) {
    std::string path = TonesWav();
    Vbmp3FileInfo info;
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    ASSERT_NE(vbmp3_play(), 0);
    ASSERT_TRUE(WaitFor(1));
    ASSERT_NE(vbmp3_setPitch(150), 0);
    ASSERT_TRUE(WaitFor(3));
    ASSERT_NE(vbmp3_setPitch(100), 0);
    ASSERT_TRUE(WaitFor(5));
    ASSERT_NE(vbmp3_setPitch(60), 0);
    ASSERT_TRUE(WaitFor(6));
    ASSERT_NE(vbmp3_setPitch(100), 0);
    EXPECT_TRUE(WaitFor(0, VBMP3_STOPPED));
    vbmp3_close();
    int rate = 0;
    std::vector<int16_t> sound = Captured(&rate);
    ASSERT_GT(sound.size(), size_t(rate) * 3) << "nothing captured";
    EXPECT_EQ(Order(HeardSeconds(sound, rate)), "01234567");
    int worst = 0;
    for (size_t i = 1; i < sound.size(); ++i) worst = std::max(worst, abs(sound[i] - sound[i - 1]));
    double toneStep = 10000 * 2 * 3.14159265358979 * ToneOf(kSeconds - 1) / kRate;
    EXPECT_LE(worst, int(toneStep * 1.3));
}

// The clarity calls change what is heard while playing: a quiet voice on the left, silence on the
// right; the automatic volume brings the voice up, then the right side alone leaves silence.
TEST_F(Playback, ClarityChangesWhatIsHeardWhilePlaying) {
    EXPECT_EQ(vbmp3_setClarity(VBMP3_LOW_CUT * 2), 0);
    EXPECT_EQ(vbmp3_setChannel(VBMP3_CHANNEL_RIGHT + 1), 0);
    SpeechLike s = MakeSpeechLike(kRate, {{0.5, NO_VOICE, false}, {7.5, -40, false}}, -70);
    std::vector<int16_t> stereo = Mix(s.voice, s.noise, 2);
    for (size_t i = 1; i < stereo.size(); i += 2) stereo[i] = 0;
    std::string path = WorkDir() + "/voice.wav";
    ASSERT_TRUE(WriteFile(path, Pcm16Wav(stereo, 2, kRate)));
    Vbmp3FileInfo info;
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    ASSERT_NE(vbmp3_play(), 0);
    ASSERT_TRUE(WaitFor(2));
    ASSERT_NE(vbmp3_setClarity(VBMP3_AUTO_GAIN), 0);
    ASSERT_TRUE(WaitFor(5));
    ASSERT_NE(vbmp3_setChannel(VBMP3_CHANNEL_RIGHT), 0);
    ASSERT_TRUE(WaitFor(7));
    vbmp3_close();
    int rate = 0;
    std::vector<int16_t> sound = Captured(&rate);
    // The left output's quarter seconds as silent, quiet (as recorded) or loud, in runs.
    std::string heard;
    for (double t = 0; t + 0.25 <= double(sound.size()) / rate; t += 0.25) {
        double db = Dbfs(sound, 1, uint32_t(rate), t, t + 0.25);
        char kind = db < -60 ? 's' : db > -45 && db < -35 ? 'q' : db > -24 ? 'L' : '-';
        if (kind != '-' && (heard.empty() || heard.back() != kind)) heard += kind;
    }
    EXPECT_EQ(heard, "sqLs");
}

TEST_F(Playback, CallsThatDoNotApplyChangeNothing) {
    int32_t pos;
    EXPECT_EQ(State(&pos), VBMP3_STOPPED);  // no file
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_seek(3), 0);
    Vbmp3FileInfo info;
    EXPECT_EQ(vbmp3_open("Z:\\no\\such\\file.wav", &info), 0);
    std::string path = TonesWav();
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    EXPECT_EQ(vbmp3_pause(), 0);  // stopped
    EXPECT_EQ(vbmp3_restart(), 0);
    EXPECT_EQ(vbmp3_seek(3), 0);
    EXPECT_EQ(vbmp3_stop(), 0);
    ASSERT_NE(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_play(), 0);  // playing
    EXPECT_EQ(vbmp3_restart(), 0);
    ASSERT_NE(vbmp3_pause(), 0);
    EXPECT_EQ(vbmp3_pause(), 0);  // paused
    EXPECT_EQ(vbmp3_play(), 0);
    // Seeks clamp: below 0 is 0, beyond the end is the end.
    ASSERT_NE(vbmp3_seek(-5), 0);
    EXPECT_EQ(State(&pos), VBMP3_PAUSED);
    EXPECT_EQ(pos, 0);
    ASSERT_NE(vbmp3_seek(1000), 0);
    EXPECT_EQ(State(&pos), VBMP3_PAUSED);
    EXPECT_EQ(pos, kSeconds);
    ASSERT_NE(vbmp3_seek(3), 0);
    ASSERT_NE(vbmp3_stop(), 0);  // from paused: stopped, the place kept
    EXPECT_EQ(State(&pos), VBMP3_STOPPED);
    EXPECT_EQ(pos, 3);
    // Pitch: only 50..300; a refusal keeps the old value; the value outlives the file.
    EXPECT_EQ(vbmp3_setPitch(49), 0);
    EXPECT_EQ(vbmp3_setPitch(301), 0);
    EXPECT_EQ(vbmp3_getPitch(), 100);
    EXPECT_NE(vbmp3_setPitch(50), 0);
    EXPECT_NE(vbmp3_setPitch(300), 0);
    EXPECT_NE(vbmp3_close(), 0);
    EXPECT_EQ(vbmp3_getPitch(), 300);
    EXPECT_EQ(vbmp3_close(), 0);
    EXPECT_EQ(State(&pos), VBMP3_STOPPED);
    EXPECT_EQ(pos, 0);
    vbmp3_setPitch(100);
    // Opening a file that is not sound fails and leaves no file open.
    std::string text = WorkDir() + "/text.wav";
    ASSERT_TRUE(WriteFile(text, std::vector<uint8_t>(5000, 'x')));
    EXPECT_EQ(vbmp3_open(text.c_str(), &info), 0);
    EXPECT_EQ(vbmp3_play(), 0);
}

TEST(PlaybackLifecycle, CallsAfterFreeAreSafe) {
    ASSERT_EQ(vbmp3_init(), 1);
    std::string path = TonesWav();
    Vbmp3FileInfo info;
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    ASSERT_NE(vbmp3_play(), 0);
    vbmp3_free();  // with a file playing
    int32_t pos = -1;
    EXPECT_EQ(vbmp3_getState(&pos), 0);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_open(path.c_str(), &info), 0);
    EXPECT_EQ(vbmp3_setPitch(150), 0);
    EXPECT_EQ(vbmp3_getPitch(), 0);
    EXPECT_EQ(vbmp3_free(), 0);
    ASSERT_EQ(vbmp3_init(), 1);  // and it starts again
    EXPECT_NE(vbmp3_open(path.c_str(), &info), 0);
    vbmp3_free();
}
