// Decoding through the platform codecs under Wine: lengths, direct PCM equality, and seeking
// that lands sample-exactly on what a decode from the start gives at that point.
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>
#include <windows.h>

#include "audio/decoder.h"
#include "audio/mp3_parse.h"
#include "audio/vbmp3.h"
#include "tests/audio/test_files.h"

static std::vector<int16_t> DecodeAll(Decoder *d) {
    DecodedFormat f = GetDecodedFormat(d);
    std::vector<int16_t> all;
    std::vector<int16_t> chunk(3000 * f.channels);
    size_t n;
    while ((n = ReadDecoder(d, chunk.data(), 3000)) > 0)
        all.insert(all.end(), chunk.begin(), chunk.begin() + n * f.channels);
    return all;
}

static double Rms(const int16_t *s, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += double(s[i]) * s[i];
    return n ? sqrt(sum / n) : 0;
}

TEST(Decoder, Mp3LengthsMatchTheIndexAndTheAudioIsThere) {
    struct Case {
        const char *name;
        uint32_t rate;
        int channels;
        uint64_t frames;
    } cases[] = {
        {"cbr128.mp3", 44100, 2, 5 * 44100},
        {"vbr.mp3", 44100, 2, 5 * 44100},
        {"mpeg2_mono.mp3", 22050, 1, 5 * 22050},
        {"mpeg25.mp3", 8000, 1, 5 * 8000},
        {"mpeg25_vbr_stereo.mp3", 11025, 2, 5 * 11025},
    };
    for (const Case &c : cases) {
        Decoder *d = OpenDecoder(FixturePath(c.name).c_str());
        ASSERT_NE(d, nullptr) << c.name;
        DecodedFormat f = GetDecodedFormat(d);
        EXPECT_EQ(f.fileKind, VBMP3_FORMAT_MP3);
        EXPECT_EQ(f.rate, c.rate) << c.name;
        EXPECT_EQ(f.channels, c.channels) << c.name;
        EXPECT_EQ(f.frames, c.frames) << c.name;
        std::vector<int16_t> all = DecodeAll(d);
        EXPECT_EQ(all.size(), c.frames * c.channels) << c.name;
        // One call for everything gives the same: long reads span many codec calls.
        SeekDecoder(d, 0);
        std::vector<int16_t> once(all.size() + 64);
        EXPECT_EQ(ReadDecoder(d, once.data(), c.frames + 32), c.frames) << c.name;
        once.resize(all.size());
        EXPECT_EQ(once, all) << c.name;
        // The source's last 2 s are a 440 Hz tone at half scale: loud, never silence.
        size_t second = c.rate * c.channels;
        EXPECT_GT(Rms(all.data() + all.size() - second, second), 5000) << c.name;
        CloseDecoder(d);
    }
}

static const int kCodecRounding = 4;

TEST(Decoder, Mp3SeeksAreSampleExact) {
    for (const char *name : {"vbr.mp3", "mpeg25.mp3", "mpeg25_vbr_stereo.mp3", "vbr_notag.mp3"}) {
        Decoder *d = OpenDecoder(FixturePath(name).c_str());
        ASSERT_NE(d, nullptr) << name;
        DecodedFormat f = GetDecodedFormat(d);
        std::vector<int16_t> ref = DecodeAll(d);
        ASSERT_EQ(ref.size(), f.frames * f.channels);
        srand(7);
        uint64_t targets[24] = {0, 1, 575, 576, 1151, 1152, 1153, f.frames - 1, f.frames - 700};
        for (int i = 9; i < 24; ++i) targets[i] = (uint64_t(rand()) * 7919) % f.frames;
        for (uint64_t t : targets) {
            SeekDecoder(d, t);
            EXPECT_EQ(DecoderPosition(d), t);
            size_t want = 2000;
            std::vector<int16_t> got(want * f.channels);
            size_t n = ReadDecoder(d, got.data(), want);
            size_t expect = size_t(f.frames - t < want ? f.frames - t : want);
            ASSERT_EQ(n, expect) << name << " at " << t;
            // The platform's MP3 codec carries a rounding state through the whole stream, so
            // values may differ by a few steps; one sample of misalignment would differ by
            // hundreds on this material.
            int worst = 0;
            for (size_t k = 0; k < n * f.channels; ++k)
                worst = std::max(worst, abs(got[k] - ref[t * f.channels + k]));
            EXPECT_LE(worst, kCodecRounding) << name << " at " << t;
            if (t >= 1 && n >= 100 && Rms(&ref[t * f.channels], n * f.channels) > 1000) {
                int shifted = 0;
                for (size_t k = 0; k < n * f.channels; ++k)
                    shifted = std::max(shifted, abs(got[k] - ref[(t - 1) * f.channels + k]));
                EXPECT_GT(shifted, 20 * kCodecRounding) << name << " at " << t;
            }
        }
        SeekDecoder(d, f.frames + 1000);  // beyond the end is the end
        int16_t one[2];
        EXPECT_EQ(ReadDecoder(d, one, 1), 0u);
        CloseDecoder(d);
    }
}

// Files of several megabytes are scanned while a second thread reads ahead: the index must be
// the one a plain scan of the same bytes gives, and the audio must play from anywhere.
TEST(Decoder, LongMp3ScannedWhileReadAheadGivesTheSameIndex) {
    std::vector<uint8_t> one = ReadFixture("vbr_notag.mp3");
    ASSERT_FALSE(one.empty());
    std::vector<uint8_t> many;
    while (many.size() < (7u << 20)) many.insert(many.end(), one.begin(), one.end());
    many.insert(many.end(), 1000, 0x55);  // trailing junk after the last frame
    std::string path = WorkDir() + "/long.mp3";
    ASSERT_TRUE(WriteFile(path, many));
    MemoryBytes mem = {many.data(), many.size()};
    Mp3Index index;
    ASSERT_TRUE(BuildMp3Index(MemorySource(&mem), 0, many.size(), &index));
    Decoder *d = OpenDecoder(path.c_str());
    ASSERT_NE(d, nullptr);
    DecodedFormat f = GetDecodedFormat(d);
    EXPECT_EQ(f.frames, index.totalSamples);
    EXPECT_EQ(f.kbps, index.averageKbps);
    EXPECT_EQ(index.totalSamples, Mp3FrameCount(index) * 1152);
    for (uint64_t t : {f.frames / 3, f.frames - 3 * 44100}) {
        SeekDecoder(d, t);
        std::vector<int16_t> got(44100 * 2);
        ASSERT_EQ(ReadDecoder(d, got.data(), 44100), 44100u);
        EXPECT_GT(Rms(got.data(), got.size()), 1000) << t;
    }
    CloseDecoder(d);
    DeleteFileA(path.c_str());
}

TEST(Decoder, PcmWavFormatsDecodeDirectly) {
    std::string work = WorkDir();
    std::vector<int16_t> samples(2 * 5000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t((i * 2654435761u) >> 16);
    std::string path = work + "/pcm16.wav";
    ASSERT_TRUE(WriteFile(path, Pcm16Wav(samples, 2, 16000)));
    Decoder *d = OpenDecoder(path.c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetDecodedFormat(d).fileKind, VBMP3_FORMAT_WAV);
    EXPECT_EQ(DecodeAll(d), samples);
    SeekDecoder(d, 1234);
    int16_t two[4];
    ASSERT_EQ(ReadDecoder(d, two, 2), 2u);
    EXPECT_EQ(two[0], samples[2468]);
    EXPECT_EQ(two[3], samples[2471]);
    CloseDecoder(d);

    // 24-bit 4-channel: down-mixed to stereo, even channels left and odd right.
    std::vector<uint8_t> data;
    for (int f = 0; f < 100; ++f)
        for (int c = 0; c < 4; ++c) {
            int32_t v = (c == 0 ? 1000 : c == 2 ? 3000 : c == 1 ? -2000 : -4000) * 256;
            data.push_back(uint8_t(v));
            data.push_back(uint8_t(v >> 8));
            data.push_back(uint8_t(v >> 16));
        }
    path = work + "/quad24.wav";
    ASSERT_TRUE(
        WriteFile(path, RiffFile({{"fmt ", FormatBody(1, 4, 48000, 24, 12, 40)}, {"data", data}})));
    d = OpenDecoder(path.c_str());
    ASSERT_NE(d, nullptr);
    std::vector<int16_t> mixed = DecodeAll(d);
    ASSERT_EQ(mixed.size(), 200u);
    EXPECT_EQ(mixed[0], 2000);
    EXPECT_EQ(mixed[1], -3000);
    CloseDecoder(d);
}

TEST(Decoder, RefusesWhatIsNotSound) {
    EXPECT_EQ(OpenDecoder("Z:\\nonexistent\\nothing.wav"), nullptr);
    std::string work = WorkDir();
    std::string path = work + "/text.mp3";
    std::vector<uint8_t> text(20000);
    for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t("not a sound file\n"[i % 17]);
    ASSERT_TRUE(WriteFile(path, text));
    EXPECT_EQ(OpenDecoder(path.c_str()), nullptr);
    path = work + "/empty.wav";
    ASSERT_TRUE(WriteFile(path, {}));
    EXPECT_EQ(OpenDecoder(path.c_str()), nullptr);
}
