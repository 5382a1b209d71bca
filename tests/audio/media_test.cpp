// Recordings that go through the platform's Media Foundation, made by ffmpeg from one signal
// (second k a tone of 400 + 150·k Hz): the stated length, every second where it belongs, seeks
// heard at the place asked for, and files that must fail quickly and cleanly.
#include <gtest/gtest.h>

#include <math.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/decoder.h"
#include "audio/media_decoder.h"
#include "audio/vbmp3.h"
#include "tests/audio/test_files.h"

static const int kSeconds = 8;
static double ToneOf(int second) { return 400.0 + 150.0 * second; }

struct MediaFile {
    const char *name;
    uint32_t rate;
    int channels;
    int overMs;  // how much longer than the sound the container says it is
};
static const MediaFile kFiles[] = {
    {"tones_stereo.m4a", 44100, 2, 0}, {"tones_mono.m4a", 22050, 1, 0},
    {"tones_video.mp4", 22050, 1, 0},  {"tones.mov", 22050, 2, 0},
    {"tones.wma", 44100, 2, 40},  // the ASF muxer's play duration runs past the last sample
    {"tones.flac", 22050, 1, 0},       {"tones.ogg", 22050, 1, 0},
    {"tones.opus", 24000, 1, 0},  // the encoder's nearest rate
};

static std::vector<int16_t> Read(Decoder *d, size_t frames) {
    int c = GetDecodedFormat(d).channels;
    std::vector<int16_t> out(frames * size_t(c));
    out.resize(ReadDecoder(d, out.data(), frames) * size_t(c));
    return out;
}

static double Goertzel(const int16_t *s, int channels, size_t n, double hz, uint32_t rate) {
    double w = 2 * cos(2 * 3.14159265358979 * hz / rate), a = 0, b = 0;
    for (size_t i = 0; i < n; ++i) {
        double c = s[i * size_t(channels)] + w * a - b;
        b = a;
        a = c;
    }
    return a * a + b * b - w * a * b;
}

// The second whose tone rules `n` frames from `at` (-1: none clearly does).
static int ToneAt(const std::vector<int16_t> &s, int channels, size_t at, size_t n, uint32_t rate) {
    double top = 0, total = 0;
    int best = -1;
    for (int k = 0; k < kSeconds; ++k) {
        double e = Goertzel(&s[at * size_t(channels)], channels, n, ToneOf(k), rate);
        total += e;
        if (e > top) top = e, best = k;
    }
    return top > 0.8 * total ? best : -1;
}

// The frame where tone `from` gives way to tone `to`, by 10 ms windows moved 1 ms at a time.
static double SwitchAt(const std::vector<int16_t> &s, int channels, uint32_t rate, int from,
                       int to) {
    size_t window = rate / 100, step = rate / 1000, frames = s.size() / size_t(channels);
    for (size_t at = 0; at + window <= frames; at += step) {
        const int16_t *p = &s[at * size_t(channels)];
        if (Goertzel(p, channels, window, ToneOf(to), rate) >
            Goertzel(p, channels, window, ToneOf(from), rate))
            return double(at + window / 2);
    }
    return -1;
}

static const double kLandsWithinMs = 20;

TEST(Media, EverySecondIsWhereItBelongsFromTheStartAndAfterSeeks) {
    for (const MediaFile &file : kFiles) {
        SCOPED_TRACE(file.name);
        Decoder *d = OpenDecoder(FixturePath(file.name).c_str());
        ASSERT_NE(d, nullptr);
        DecodedFormat f = GetDecodedFormat(d);
        EXPECT_EQ(f.fileKind, VBMP3_FORMAT_MEDIA);
        EXPECT_EQ(f.rate, file.rate);
        EXPECT_EQ(f.channels, file.channels);
        // The length the file states, in whole seconds what the listener hears.
        EXPECT_GE(f.frames, uint64_t(kSeconds) * file.rate);
        EXPECT_LE(f.frames, uint64_t(kSeconds) * file.rate + file.rate * file.overMs / 1000);
        EXPECT_GT(f.kbps, 0u);
        std::vector<int16_t> all = Read(d, size_t(f.frames) + 1000);
        ASSERT_EQ(all.size(), size_t(f.frames) * size_t(f.channels));
        EXPECT_EQ(DecoderPosition(d), f.frames);
        EXPECT_TRUE(Read(d, 100).empty());
        // Each second carries its own tone, and each change comes on the second: a decoder delay
        // left in at the start would move every one of them.
        for (int k = 0; k < kSeconds; ++k) {
            EXPECT_EQ(
                ToneAt(all, f.channels, size_t(k) * f.rate + f.rate / 10, f.rate * 8 / 10, f.rate),
                k)
                << "second " << k;
            if (k == 0) continue;
            std::vector<int16_t> around(
                all.begin() + ptrdiff_t((size_t(k) * f.rate - f.rate / 4) * size_t(f.channels)),
                all.begin() + ptrdiff_t((size_t(k) * f.rate + f.rate / 4) * size_t(f.channels)));
            EXPECT_NEAR(SwitchAt(around, f.channels, f.rate, k - 1, k) * 1000 / f.rate, 250,
                        kLandsWithinMs)
                << "second " << k;
        }
        // Half a second before a change, forward and back: the change is heard half a second on.
        for (int second : {5, 2, 7, 1, 6, 3}) {
            uint64_t target = uint64_t(second) * f.rate - f.rate / 2;
            SeekDecoder(d, target);
            EXPECT_EQ(DecoderPosition(d), target);
            std::vector<int16_t> got = Read(d, f.rate);
            ASSERT_EQ(got.size(), size_t(f.rate) * size_t(f.channels)) << "seek to " << second;
            EXPECT_EQ(DecoderPosition(d), target + f.rate);
            EXPECT_NEAR(SwitchAt(got, f.channels, f.rate, second - 1, second) * 1000 / f.rate, 500,
                        kLandsWithinMs)
                << "seek to " << second;
        }
        // The end: what is left, then nothing; beyond it is the end.
        SeekDecoder(d, f.frames - 300);
        EXPECT_EQ(Read(d, 1000).size(), 300u * size_t(f.channels));
        EXPECT_TRUE(Read(d, 1000).empty());
        SeekDecoder(d, f.frames + 5000);
        EXPECT_EQ(DecoderPosition(d), f.frames);
        EXPECT_TRUE(Read(d, 1000).empty());
        CloseDecoder(d);
    }
    EXPECT_EQ(MediaThreadsRunning(), 0);
}

// The platform recognises the content, whatever the name says.
TEST(Media, ANameWithoutTheRightExtensionStillOpens) {
    std::string path = WorkDir() + "/recording";
    ASSERT_TRUE(WriteFile(path, ReadFixture("tones_mono.m4a")));
    Decoder *d = OpenDecoder(path.c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetDecodedFormat(d).fileKind, VBMP3_FORMAT_MEDIA);
    EXPECT_EQ(GetDecodedFormat(d).frames, uint64_t(kSeconds) * 22050);
    CloseDecoder(d);
}

// Overwrites the body of the first top-level box named `type`.
static bool Garble(std::vector<uint8_t> &bytes, const char *type) {
    for (size_t at = 0; at + 8 <= bytes.size();) {
        size_t size = size_t(bytes[at]) << 24 | size_t(bytes[at + 1]) << 16 |
                      size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (size < 8 || at + size > bytes.size()) return false;
        if (memcmp(&bytes[at + 4], type, 4) == 0) {
            for (size_t i = at + 8; i < at + size; ++i) bytes[i] = uint8_t(i * 97 + 13);
            return true;
        }
        at += size;
    }
    return false;
}

TEST(Media, WhatCannotBeDecodedFailsQuickly) {
    std::vector<uint8_t> damaged = ReadFixture("tones_stereo.m4a");
    ASSERT_TRUE(Garble(damaged, "moov"));
    std::vector<uint8_t> flac = ReadFixture("tones.flac");
    ASSERT_FALSE(flac.empty());
    std::vector<uint8_t> truncated(flac.begin(), flac.begin() + ptrdiff_t(flac.size() * 2 / 5));
    std::vector<uint8_t> text(30000);
    for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t("no sound in here\n"[i % 17]);
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"damaged.m4a", damaged},
        {"truncated.flac", truncated},
        {"no_sound.mp4", ReadFixture("no_sound.mp4")},
        {"text.ogg", text},
        {"header_only.flac", std::vector<uint8_t>(flac.begin(), flac.begin() + 8)},
    };
    for (const Case &c : cases) {
        ASSERT_FALSE(c.bytes.empty()) << c.name;
        std::string path = WorkDir() + "/" + c.name;
        ASSERT_TRUE(WriteFile(path, c.bytes)) << c.name;
        DWORD start = GetTickCount();
        EXPECT_EQ(OpenDecoder(path.c_str()), nullptr) << c.name;
        EXPECT_LT(GetTickCount() - start, DWORD(MEDIA_OPEN_TIMEOUT_MS)) << c.name;
    }
    EXPECT_EQ(MediaThreadsRunning(), 0);
}

static long StallingMaker(const wchar_t *, IMFSourceReader **) {
    Sleep(MEDIA_OPEN_TIMEOUT_MS + 1500);
    return E_FAIL;
}

// A platform that does not answer: the open gives up in time, and the thread it left behind
// ends by itself once the platform lets go.
TEST(Media, AnOpenThePlatformHoldsGivesUpInTime) {
    DWORD start = GetTickCount();
    EXPECT_EQ(OpenMediaDecoder(FixturePath("tones.flac").c_str(), MEDIA_FLAC, StallingMaker),
              nullptr);
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, DWORD(MEDIA_OPEN_TIMEOUT_MS) - 50);
    EXPECT_LT(took, DWORD(MEDIA_OPEN_TIMEOUT_MS + 500));
    for (int i = 0; i < 100 && MediaThreadsRunning() > 0; ++i) Sleep(50);
    EXPECT_EQ(MediaThreadsRunning(), 0);
}
