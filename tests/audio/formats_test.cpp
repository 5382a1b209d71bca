// Compressed WAV through the codec manager (IMA and MS ADPCM, µ-law, A-law, GSM 6.10,
// MP3-in-WAV), and the file-layout cases recorders leave behind: sizes of 0 or 0xFFFFFFFF,
// data beyond 2 GB and RF64 beyond 4 GB, read through 64-bit offsets.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>
#include <windows.h>

#include <algorithm>

#include "audio/decoder.h"
#include "audio/pcm_convert.h"
#include "audio/vbmp3.h"
#include "tests/audio/test_files.h"

static std::vector<int16_t> DecodeAll(Decoder *d) {
    DecodedFormat f = GetDecodedFormat(d);
    std::vector<int16_t> all, chunk(1000 * size_t(f.channels));
    size_t n;
    while ((n = ReadDecoder(d, chunk.data(), 1000)) > 0)
        all.insert(all.end(), chunk.begin(), chunk.begin() + ptrdiff_t(n * size_t(f.channels)));
    return all;
}

// Signal-to-error ratio in dB of `got` (channel 0 of `channels`) against the mono reference.
static double Snr(const std::vector<int16_t> &ref, const std::vector<int16_t> &got, int channels) {
    double signal = 0, error = 0;
    size_t n = std::min(ref.size(), got.size() / size_t(channels));
    for (size_t i = 0; i < n; ++i) {
        double e = double(got[i * size_t(channels)]) - ref[i];
        signal += double(ref[i]) * ref[i];
        error += e * e;
    }
    return 10 * log10(signal / (error + 1));
}

TEST(Formats, LawTablesMatchG711) {
    EXPECT_EQ(MulawToPcm16(0xFF), 0);
    EXPECT_EQ(MulawToPcm16(0x7F), 0);
    EXPECT_EQ(MulawToPcm16(0x80), 32124);
    EXPECT_EQ(MulawToPcm16(0x00), -32124);
    EXPECT_EQ(AlawToPcm16(0xD5), 8);
    EXPECT_EQ(AlawToPcm16(0x55), -8);
    EXPECT_EQ(AlawToPcm16(0xAA), 32256);
    EXPECT_EQ(AlawToPcm16(0x2A), -32256);
    // Both laws are monotonic over their codes' magnitudes.
    for (int code = 1; code < 128; ++code)
        EXPECT_GT(MulawToPcm16(uint8_t(0xFF - code)), MulawToPcm16(uint8_t(0x100 - code)));
}

TEST(Formats, CompressedWavDecodesCloseToTheSourceAndSeeksExactly) {
    Decoder *src = OpenDecoder(FixturePath("source8k.wav").c_str());
    ASSERT_NE(src, nullptr);
    std::vector<int16_t> ref = DecodeAll(src);
    CloseDecoder(src);
    ASSERT_EQ(ref.size(), 16000u);
    struct Case {
        const char *name;
        int channels;
        double minSnr;
        bool exact;  // GSM's decoder state is only rebuilt by pre-roll: close, not equal
    } cases[] = {
        {"ima-adpcm.wav", 1, 20, true}, {"ima-adpcm-stereo.wav", 2, 20, true},
        {"ms-adpcm.wav", 1, 20, true},  {"u-law.wav", 1, 30, true},
        {"a-law.wav", 1, 30, true},     {"gsm-full-rate.wav", 1, 8, false},
    };
    for (const Case &c : cases) {
        Decoder *d = OpenDecoder(FixturePath(c.name).c_str());
        ASSERT_NE(d, nullptr) << c.name;
        DecodedFormat f = GetDecodedFormat(d);
        EXPECT_EQ(f.fileKind, VBMP3_FORMAT_WAV);
        EXPECT_EQ(f.rate, 8000u) << c.name;
        EXPECT_EQ(f.channels, c.channels) << c.name;
        EXPECT_GE(f.frames, 16000u) << c.name;
        EXPECT_LT(f.frames, 16000u + 512) << c.name;  // at most one block of padding
        std::vector<int16_t> all = DecodeAll(d);
        ASSERT_EQ(all.size(), f.frames * size_t(f.channels)) << c.name;
        EXPECT_GT(Snr(ref, all, c.channels), c.minSnr) << c.name;
        // One sample of misalignment is far worse than the codec's own error on this sweep.
        std::vector<int16_t> late(all.begin() + c.channels, all.end());
        EXPECT_LT(Snr(ref, late, c.channels), Snr(ref, all, c.channels) - 3) << c.name;
        std::vector<uint64_t> targets = {0, 1, 504, 505, 4321, 7000};
        // GSM's predictor restarts from silence and rebuilds from the signal: on the steady
        // tone of the last second it takes longer than any pre-roll, so only the sweep is used.
        if (c.exact)
            targets.insert(targets.end(), {9999, f.frames - 700, f.frames - 330, f.frames - 10});
        for (uint64_t t : targets) {
            SeekDecoder(d, t);
            std::vector<int16_t> got(300 * size_t(c.channels));
            size_t n = ReadDecoder(d, got.data(), 300);
            ASSERT_EQ(n, std::min<uint64_t>(300, f.frames - t)) << c.name << " at " << t;
            got.resize(n * size_t(c.channels));
            std::vector<int16_t> want(all.begin() + ptrdiff_t(t * size_t(c.channels)),
                                      all.begin() + ptrdiff_t((t + n) * size_t(c.channels)));
            if (c.exact) {
                EXPECT_EQ(got, want) << c.name << " at " << t;
            } else {
                // Channel-0 reference of the window: the seek must agree far better than a
                // one-sample slip would.
                std::vector<int16_t> mono(want), slipped(want.begin() + 1, want.end());
                EXPECT_GT(Snr(mono, got, 1), 20) << c.name << " at " << t;

                EXPECT_GT(Snr(mono, got, 1), Snr(slipped, got, 1) + 6) << c.name << " at " << t;
            }
        }
        CloseDecoder(d);
    }
}

TEST(Formats, Mp3InsideWav) {
    std::vector<uint8_t> mp3 = ReadFixture("vbr.mp3");
    ASSERT_FALSE(mp3.empty());
    std::vector<uint8_t> fmt;
    PutLe16(fmt, 0x55);
    PutLe16(fmt, 2);
    PutLe32(fmt, 44100);
    PutLe32(fmt, 16000);
    PutLe16(fmt, 1);
    PutLe16(fmt, 0);
    PutLe16(fmt, 12);
    PutLe16(fmt, 1);    // wID
    PutLe32(fmt, 2);    // fdwFlags
    PutLe16(fmt, 417);  // nBlockSize
    PutLe16(fmt, 1);
    PutLe16(fmt, 1393);
    std::vector<uint8_t> fact;
    PutLe32(fact, 5 * 44100);
    std::string path = WorkDir() + "/mp3.wav";
    ASSERT_TRUE(WriteFile(path, RiffFile({{"fmt ", fmt}, {"fact", fact}, {"data", mp3}})));
    Decoder *d = OpenDecoder(path.c_str());
    ASSERT_NE(d, nullptr);
    DecodedFormat f = GetDecodedFormat(d);
    EXPECT_EQ(f.fileKind, VBMP3_FORMAT_WAV);
    EXPECT_EQ(f.frames, 5u * 44100);  // the LAME tag inside still trims
    Decoder *plain = OpenDecoder(FixturePath("vbr.mp3").c_str());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(DecodeAll(d), DecodeAll(plain));
    CloseDecoder(plain);
    CloseDecoder(d);
}

// A sparse file: header, then a marked stretch of samples at a far offset, nothing between.
static bool WriteSparseWav(const std::string &path, const std::vector<uint8_t> &header,
                           uint64_t markAt, const std::vector<int16_t> &mark, uint64_t totalSize) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done;
    bool ok = WriteFile(h, header.data(), DWORD(header.size()), &done, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(markAt);
    ok = ok && SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    ok = ok && WriteFile(h, mark.data(), DWORD(mark.size() * 2), &done, nullptr);
    at.QuadPart = LONGLONG(totalSize);
    ok = ok && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

TEST(Formats, HugeFilesAreReadWith64BitOffsets) {
    std::vector<int16_t> mark(1000);
    for (size_t i = 0; i < mark.size(); ++i) mark[i] = int16_t(i * 31 - 15000);
    std::vector<uint8_t> fmt = FormatBody(1, 1, 8000, 16, 2, 16);
    struct Case {
        const char *name;
        bool rf64;
        uint32_t dataField;
        uint64_t size;
    } cases[] = {
        {"cut_ffffffff.wav", false, 0xFFFFFFFFu, 2300000000ull},  // a recorder cut off past 2 GB
        {"cut_zero.wav", false, 0, 2300000000ull},
        {"big.rf64", true, 0xFFFFFFFFu, 4600000000ull},  // past 4 GB
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> header;
        PutId(header, c.rf64 ? "RF64" : "RIFF");
        PutLe32(header, 0xFFFFFFFFu);
        PutId(header, "WAVE");
        if (c.rf64) {
            PutId(header, "ds64");
            PutLe32(header, 28);
            PutLe32(header, uint32_t(c.size - 8));
            PutLe32(header, uint32_t((c.size - 8) >> 32));
            uint64_t data = c.size - 12 - 36 - 24 - 8;
            PutLe32(header, uint32_t(data));
            PutLe32(header, uint32_t(data >> 32));
            PutLe32(header, uint32_t(data / 2));
            PutLe32(header, uint32_t((data / 2) >> 32));
            PutLe32(header, 0);
        }
        PutId(header, "fmt ");
        PutLe32(header, 16);
        header.insert(header.end(), fmt.begin(), fmt.end());
        PutId(header, "data");
        PutLe32(header, c.dataField);
        uint64_t dataStart = header.size();
        uint64_t frames = (c.size - dataStart) / 2;
        uint64_t markFrame = frames - 5000;
        std::string path = WorkDir() + "/" + c.name;
        ASSERT_TRUE(WriteSparseWav(path, header, dataStart + markFrame * 2, mark, c.size))
            << c.name;
        Decoder *d = OpenDecoder(path.c_str());
        ASSERT_NE(d, nullptr) << c.name;
        EXPECT_EQ(GetDecodedFormat(d).frames, frames) << c.name;
        SeekDecoder(d, markFrame - 10);
        std::vector<int16_t> got(1020);
        ASSERT_EQ(ReadDecoder(d, got.data(), 1020), 1020u) << c.name;
        EXPECT_EQ(got[9], 0) << c.name;
        EXPECT_TRUE(std::equal(mark.begin(), mark.end(), got.begin() + 10)) << c.name;
        EXPECT_EQ(got[1010], 0) << c.name;
        CloseDecoder(d);
        DeleteFileA(path.c_str());
    }
}
