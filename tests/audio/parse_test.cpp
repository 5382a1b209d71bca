// WAV and MP3 parsing on generated files, lame-encoded fixtures and deliberately damaged copies.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include "audio/media_kind.h"
#include "audio/mp3_parse.h"
#include "audio/pcm_convert.h"
#include "audio/wav_parse.h"
#include "tests/audio/test_files.h"

static bool ParseWavBytes(const std::vector<uint8_t> &bytes, WavInfo *info) {
    MemoryBytes mem = {bytes.data(), bytes.size()};
    return ParseWav(MemorySource(&mem), info);
}

static bool IndexBytes(const std::vector<uint8_t> &bytes, Mp3Index *index) {
    MemoryBytes mem = {bytes.data(), bytes.size()};
    return BuildMp3Index(MemorySource(&mem), 0, bytes.size(), index);
}

static std::vector<uint8_t> Bytes(size_t n, uint8_t value) {
    return std::vector<uint8_t>(n, value);
}

// ---- WAV ------------------------------------------------------------------------------------

TEST(Wav, PlainPcmAndExtensibleGiveTheSameLayout) {
    std::vector<uint8_t> data = Bytes(4000, 0x11);
    for (size_t fmtBytes : {16u, 18u, 40u}) {
        std::vector<uint8_t> file =
            RiffFile({{"fmt ", FormatBody(1, 2, 44100, 16, 4, fmtBytes)}, {"data", data}});
        WavInfo w;
        ASSERT_TRUE(ParseWavBytes(file, &w)) << fmtBytes;
        EXPECT_EQ(w.tag, WAV_TAG_PCM);
        EXPECT_EQ(w.channels, 2);
        EXPECT_EQ(w.sampleRate, 44100u);
        EXPECT_EQ(w.bitsPerSample, 16);
        EXPECT_EQ(w.dataOffset, 12u + 8 + fmtBytes + 8);
        EXPECT_EQ(w.dataSize, 4000u);
        EXPECT_EQ(w.frames, 1000u);
        ASSERT_EQ(w.format.size(), 18u);  // rebuilt as a plain WAVEFORMATEX
        EXPECT_EQ(w.format[0], 1);
        EXPECT_EQ(w.format[16], 0);
    }
}

TEST(Wav, FloatAnd24BitInsideExtensible) {
    WavInfo w;
    ASSERT_TRUE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(3, 1, 48000, 32, 4, 40)}, {"data", Bytes(400, 0)}}), &w));
    EXPECT_EQ(w.tag, WAV_TAG_FLOAT);
    EXPECT_EQ(w.frames, 100u);
    ASSERT_TRUE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(1, 2, 48000, 24, 6, 40)}, {"data", Bytes(600, 0)}}), &w));
    EXPECT_EQ(w.bitsPerSample, 24);
    EXPECT_EQ(w.frames, 100u);
}

TEST(Wav, UnknownListAndOddChunksAreSkippedPaddedOrNot) {
    std::vector<uint8_t> odd = Bytes(7, 'x');
    for (bool pad : {true, false}) {
        std::vector<uint8_t> file = RiffFile({{"LIST", Bytes(26, 'i')},
                                              {"junk", odd},
                                              {"fmt ", FormatBody(1, 1, 8000, 16, 2, 16)},
                                              {"bext", Bytes(3, 'b')},
                                              {"data", Bytes(200, 0)}},
                                             pad);
        WavInfo w;
        ASSERT_TRUE(ParseWavBytes(file, &w)) << pad;
        EXPECT_EQ(w.dataOffset, file.size() - 200) << pad;
        EXPECT_EQ(w.frames, 100u);
    }
}

TEST(Wav, CutOffDataSizesReachToTheEndOfTheFile) {
    for (uint32_t claimed : {0u, 0xFFFFFFFFu, 100000u}) {
        std::vector<uint8_t> file =
            RiffFile({{"fmt ", FormatBody(1, 2, 44100, 16, 4, 16)}, {"data", Bytes(1003, 1)}});
        size_t at = file.size() - 1003 - 1 - 4;  // the data chunk's size field (body padded)
        file.pop_back();                         // a cut-off file has no pad byte
        for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(claimed >> (8 * i));
        WavInfo w;
        ASSERT_TRUE(ParseWavBytes(file, &w)) << claimed;
        EXPECT_EQ(w.dataSize, 1000u) << claimed;  // whole frames only
        EXPECT_EQ(w.frames, 250u);
    }
}

TEST(Wav, SaneDataSizeIsKeptWhenChunksFollow) {
    std::vector<uint8_t> file = RiffFile({{"fmt ", FormatBody(1, 1, 8000, 16, 2, 16)},
                                          {"data", Bytes(100, 0)},
                                          {"LIST", Bytes(300, 'x')}});
    WavInfo w;
    ASSERT_TRUE(ParseWavBytes(file, &w));
    EXPECT_EQ(w.dataSize, 100u);
}

TEST(Wav, FormatAfterDataIsFound) {
    std::vector<uint8_t> file =
        RiffFile({{"data", Bytes(100, 0)}, {"fmt ", FormatBody(1, 1, 8000, 16, 2, 16)}});
    WavInfo w;
    ASSERT_TRUE(ParseWavBytes(file, &w));
    EXPECT_EQ(w.dataOffset, 20u);
    EXPECT_EQ(w.frames, 50u);
}

TEST(Wav, Rf64TakesSizesFromDs64) {
    std::vector<uint8_t> ds64;
    PutLe32(ds64, 0);
    PutLe32(ds64, 0);  // riff size
    PutLe32(ds64, 800);
    PutLe32(ds64, 0);  // data size
    PutLe32(ds64, 200);
    PutLe32(ds64, 0);  // sample count
    PutLe32(ds64, 0);
    std::vector<uint8_t> file = RiffFile({{"ds64", ds64},
                                          {"fmt ", FormatBody(1, 2, 44100, 16, 4, 16)},
                                          {"data", Bytes(800, 0)},
                                          {"junk", Bytes(40, 0)}});
    memcpy(file.data(), "RF64", 4);
    size_t dataSizeAt = 12 + 8 + ds64.size() + 8 + 16 + 4;
    for (int i = 0; i < 4; ++i) file[dataSizeAt + i] = 0xFF;
    WavInfo w;
    ASSERT_TRUE(ParseWavBytes(file, &w));
    EXPECT_TRUE(w.rf64);
    EXPECT_EQ(w.dataSize, 800u);
    EXPECT_EQ(w.frames, 200u);
}

TEST(Wav, CompressedFormatsCountFramesPerBlock) {
    // IMA ADPCM 256-byte mono blocks hold 505 samples; the fact chunk trims the last block.
    std::vector<uint8_t> ima = FormatBody(0x11, 1, 22050, 4, 256, 20);
    ima[18] = 0xF9;
    ima[19] = 0x01;
    std::vector<uint8_t> fact;
    PutLe32(fact, 505 * 3 + 100);
    WavInfo w;
    ASSERT_TRUE(
        ParseWavBytes(RiffFile({{"fmt ", ima}, {"fact", fact}, {"data", Bytes(256 * 4, 0)}}), &w));
    EXPECT_EQ(w.tag, WAV_TAG_IMA_ADPCM);
    EXPECT_EQ(w.framesPerBlock, 505u);
    EXPECT_EQ(w.frames, 505u * 3 + 100);
    ASSERT_EQ(w.format.size(), 20u);  // the codec needs its extra bytes
    // GSM 6.10: 65 bytes for 320 samples.
    ASSERT_TRUE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(0x31, 1, 8000, 0, 65, 20)}, {"data", Bytes(650, 0)}}), &w));
    EXPECT_EQ(w.frames, 3200u);
    // mu-law: one byte a sample.
    ASSERT_TRUE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(7, 2, 8000, 8, 2, 18)}, {"data", Bytes(640, 0)}}), &w));
    EXPECT_EQ(w.frames, 320u);
}

TEST(Wav, RejectsWhatCannotPlay) {
    WavInfo w;
    std::vector<uint8_t> good =
        RiffFile({{"fmt ", FormatBody(1, 1, 8000, 16, 2, 16)}, {"data", Bytes(10, 0)}});
    ASSERT_TRUE(ParseWavBytes(good, &w));
    std::vector<uint8_t> notRiff = good;
    notRiff[0] = 'X';
    EXPECT_FALSE(ParseWavBytes(notRiff, &w));
    EXPECT_FALSE(ParseWavBytes(RiffFile({{"data", Bytes(10, 0)}}), &w));
    EXPECT_FALSE(ParseWavBytes(RiffFile({{"fmt ", FormatBody(1, 1, 8000, 16, 2, 16)}}), &w));
    EXPECT_FALSE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(1, 0, 8000, 16, 2, 16)}, {"data", Bytes(10, 0)}}), &w));
    EXPECT_FALSE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(1, 1, 8000, 12, 2, 16)}, {"data", Bytes(10, 0)}}), &w));
    EXPECT_FALSE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(0x1234, 1, 8000, 16, 2, 16)}, {"data", Bytes(10, 0)}}), &w));
    EXPECT_FALSE(ParseWavBytes(
        RiffFile({{"fmt ", FormatBody(1, 1, 8000, 16, 2, 16)}, {"data", Bytes(1, 0)}}), &w));
    for (size_t cut = 0; cut < good.size();
         ++cut) {  // truncation anywhere: no crash, and no data before 44 bytes
        std::vector<uint8_t> part(good.begin(), good.begin() + cut);
        bool ok = ParseWavBytes(part, &w);
        EXPECT_EQ(ok, cut >= 46) << cut;
    }
}

TEST(Wav, SampleFormatsConvertToSixteenBits) {
    int16_t out[4];
    const uint8_t u8[] = {0x00, 0x80, 0xFF, 0x81};
    ConvertToPcm16(u8, 4, WAV_TAG_PCM, 8, 1, out);
    EXPECT_EQ(out[0], -32768);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 32512);
    EXPECT_EQ(out[3], 256);
    const uint8_t s24[] = {0xFF, 0x34, 0x12, 0x00, 0x00, 0x80};  // 0x1234FF, then full negative
    ConvertToPcm16(s24, 2, WAV_TAG_PCM, 24, 1, out);
    EXPECT_EQ(out[0], 0x1234);
    EXPECT_EQ(out[1], -32768);
    const uint8_t s32[] = {0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x01, 0x80};
    ConvertToPcm16(s32, 2, WAV_TAG_PCM, 32, 1, out);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32767);
    float f[4] = {0.5f, -1.0f, 2.0f, -0.25f};  // beyond full scale clips
    ConvertToPcm16(reinterpret_cast<const uint8_t *>(f), 4, WAV_TAG_FLOAT, 32, 1, out);
    EXPECT_EQ(out[0], 16384);
    EXPECT_EQ(out[1], -32768);
    EXPECT_EQ(out[2], 32767);
    EXPECT_EQ(out[3], -8192);
    // Six channels become two: the even ones left, the odd ones right, each averaged.
    int16_t six[6] = {300, -30, 600, -60, 900, -90};
    ConvertToPcm16(reinterpret_cast<const uint8_t *>(six), 1, WAV_TAG_PCM, 16, 6, out);
    EXPECT_EQ(out[0], 600);
    EXPECT_EQ(out[1], -60);
    EXPECT_EQ(OutputChannels(1), 1);
    EXPECT_EQ(OutputChannels(6), 2);
}

// ---- MP3 headers ----------------------------------------------------------------------------

TEST(Mp3Header, DecodesVersionsRatesAndSizes) {
    Mp3Header h;
    const uint8_t mpeg1[4] = {0xFF, 0xFB, 0x90, 0x64};  // 128 kbit/s, 44.1 kHz, joint stereo
    ASSERT_TRUE(ParseMp3Header(mpeg1, &h));
    EXPECT_EQ(h.version, 1);
    EXPECT_EQ(h.bitrateKbps, 128);
    EXPECT_EQ(h.sampleRate, 44100);
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(h.frameBytes, 417);
    EXPECT_EQ(h.samplesPerFrame, 1152);
    EXPECT_EQ(h.sideInfoBytes, 32);
    EXPECT_FALSE(h.crc);
    const uint8_t padded[4] = {0xFF, 0xFB, 0x92, 0x64};
    ASSERT_TRUE(ParseMp3Header(padded, &h));
    EXPECT_EQ(h.frameBytes, 418);
    const uint8_t mpeg2Mono[4] = {0xFF, 0xF2, 0x40,
                                  0xC0};  // MPEG-2, CRC, 32 kbit/s, 22.05 kHz, mono
    ASSERT_TRUE(ParseMp3Header(mpeg2Mono, &h));
    EXPECT_EQ(h.version, 2);
    EXPECT_TRUE(h.crc);
    EXPECT_EQ(h.sampleRate, 22050);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.frameBytes, 104);
    EXPECT_EQ(h.samplesPerFrame, 576);
    EXPECT_EQ(h.sideInfoBytes, 9);
    const uint8_t mpeg25[4] = {0xFF, 0xE3, 0x18,
                               0xC4};  // MPEG-2.5, 8 kbit/s, 8 kHz... rate index 2
    ASSERT_TRUE(ParseMp3Header(mpeg25, &h));
    EXPECT_EQ(h.version, 25);
    EXPECT_EQ(h.sampleRate, 8000);
    EXPECT_EQ(h.frameBytes, 72 * 8 * 1000 / 8000);
}

TEST(Mp3Header, RejectsInvalidFields) {
    Mp3Header h;
    const uint8_t bad[][4] = {
        {0xFF, 0xFB, 0x00, 0x64},  // free format
        {0xFF, 0xFB, 0xF0, 0x64},  // bitrate index 15
        {0xFF, 0xFB, 0x9C, 0x64},  // rate index 3
        {0xFF, 0xEB, 0x90, 0x64},  // reserved version
        {0xFF, 0xFD, 0x90, 0x64},  // Layer II
        {0xFF, 0xE5, 0x90, 0x64},  // MPEG-2.5 Layer II
        {0xFE, 0xFB, 0x90, 0x64},  // no sync
    };
    for (const auto &b : bad) EXPECT_FALSE(ParseMp3Header(b, &h)) << int(b[1]) << " " << int(b[2]);
}

TEST(Mp3Header, Id3v2SizesAreSyncsafeWithOptionalFooter) {
    uint8_t tag[10] = {'I', 'D', '3', 4, 0, 0, 0, 0, 0x02, 0x01};
    EXPECT_EQ(Id3v2Size(tag, 10), 257u + 10);
    tag[5] = 0x10;
    EXPECT_EQ(Id3v2Size(tag, 10), 257u + 20);
    tag[8] = 0x80;
    EXPECT_EQ(Id3v2Size(tag, 10), 0u);
    EXPECT_EQ(Id3v2Size(tag, 9), 0u);
}

// ---- MP3 index on lame's files ----------------------------------------------------------------

static const uint64_t kSourceFrames44 = 5 * 44100;

TEST(Mp3Index, TaggedFilesGiveTheSourceLengthExactly) {
    struct Case {
        const char *name;
        uint64_t samples;
        int version, rate, channels;
    } cases[] = {
        {"cbr128.mp3", kSourceFrames44, 1, 44100, 2},
        {"vbr.mp3", kSourceFrames44, 1, 44100, 2},
        {"crc.mp3", kSourceFrames44, 1, 44100, 2},
        {"mpeg2_mono.mp3", 5 * 22050, 2, 22050, 1},
        {"mpeg25.mp3", 5 * 8000, 25, 8000, 1},
        {"mpeg25_vbr_stereo.mp3", 5 * 11025, 25, 11025, 2},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> bytes = ReadFixture(c.name);
        ASSERT_FALSE(bytes.empty()) << c.name;
        Mp3Index index;
        ASSERT_TRUE(IndexBytes(bytes, &index)) << c.name;
        EXPECT_TRUE(index.hasInfoFrame) << c.name;
        EXPECT_TRUE(index.hasLameTag) << c.name;
        EXPECT_EQ(index.infoFrames, Mp3FrameCount(index)) << c.name;
        EXPECT_EQ(index.totalSamples, c.samples) << c.name;
        EXPECT_EQ(index.first.version, c.version) << c.name;
        EXPECT_EQ(index.first.sampleRate, c.rate) << c.name;
        EXPECT_EQ(index.first.channels, c.channels) << c.name;
        // Frames follow one another without gaps after the info frame.
        for (size_t f = 1; f < Mp3FrameCount(index); ++f)
            ASSERT_EQ(index.offsets[f], index.offsets[f - 1] + index.sizes[f - 1])
                << c.name << " " << f;
        EXPECT_EQ(index.offsets.back() + index.sizes.back(), bytes.size()) << c.name;
    }
}

TEST(Mp3Index, VbrWithoutInfoFrameIsCountedFrameByFrame) {
    Mp3Index tagged, untagged;
    ASSERT_TRUE(IndexBytes(ReadFixture("vbr.mp3"), &tagged));
    ASSERT_TRUE(IndexBytes(ReadFixture("vbr_notag.mp3"), &untagged));
    EXPECT_FALSE(untagged.hasInfoFrame);
    EXPECT_EQ(Mp3FrameCount(untagged), Mp3FrameCount(tagged));
    EXPECT_EQ(untagged.totalSamples, Mp3FrameCount(tagged) * 1152);
    // Really variable: frames of several sizes.
    std::vector<uint16_t> sizes = untagged.sizes;
    std::sort(sizes.begin(), sizes.end());
    EXPECT_GT(std::unique(sizes.begin(), sizes.end()) - sizes.begin(), 4);

    // Small CBR frames get no info frame at all; the raw length then covers the source and
    // lame's delay and padding, less than two frames more.
    Mp3Index small;
    ASSERT_TRUE(IndexBytes(ReadFixture("mpeg25_cbr_untagged.mp3"), &small));
    EXPECT_FALSE(small.hasInfoFrame);
    EXPECT_EQ(small.totalSamples, Mp3FrameCount(small) * 576);
    EXPECT_GE(small.totalSamples, 5u * 8000 + 576);
    EXPECT_LT(small.totalSamples, 5u * 8000 + 576 + 529 + 2 * 576);
}

static void Insert(std::vector<uint8_t> &v, size_t at, const std::vector<uint8_t> &what) {
    v.insert(v.begin() + at, what.begin(), what.end());
}

TEST(Mp3Index, SurvivesTagsGarbageAndCutOffs) {
    std::vector<uint8_t> clean = ReadFixture("cbr128.mp3");
    Mp3Index ref;
    ASSERT_TRUE(IndexBytes(clean, &ref));
    size_t frames = Mp3FrameCount(ref);

    // ID3v2 (with footer, and a fake frame sync inside) twice at the start, ID3v1 and APE at the
    // end.
    std::vector<uint8_t> tagged = clean;
    std::vector<uint8_t> id3 = {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 40};
    std::vector<uint8_t> body(40 + 10, 0);
    body[5] = 0xFF, body[6] = 0xFB, body[7] = 0x90, body[8] = 0x64;
    id3.insert(id3.end(), body.begin(), body.end());
    Insert(tagged, 0, id3);
    Insert(tagged, 0, id3);
    std::vector<uint8_t> ape(64, 0);
    memcpy(ape.data() + 32, "APETAGEX", 8);
    ape[32 + 12] = 32;    // tag size without its header
    ape[32 + 23] = 0x80;  // has a header
    memcpy(ape.data(), "APETAGEX", 8);
    tagged.insert(tagged.end(), ape.begin(), ape.end());
    std::vector<uint8_t> v1(128, 0xFF);
    memcpy(v1.data(), "TAG", 3);
    tagged.insert(tagged.end(), v1.begin(), v1.end());
    Mp3Index index;
    ASSERT_TRUE(IndexBytes(tagged, &index));
    EXPECT_EQ(Mp3FrameCount(index), frames);
    EXPECT_EQ(index.totalSamples, ref.totalSamples);
    EXPECT_EQ(index.offsets[0], ref.offsets[0] + 2 * id3.size());

    // Garbage with false syncs between two frames: no frame lost, none invented.
    std::vector<uint8_t> garbage = clean;
    std::vector<uint8_t> junk(700);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = (i % 97 == 0) ? 0xFF : uint8_t(i * 37);
    Insert(garbage, ref.offsets[100], junk);
    ASSERT_TRUE(IndexBytes(garbage, &index));
    EXPECT_EQ(Mp3FrameCount(index), frames);
    EXPECT_EQ(index.offsets[100], ref.offsets[100] + junk.size());

    // A zeroed stretch loses the frames it covers and nothing else.
    std::vector<uint8_t> zeroed = clean;
    std::fill(zeroed.begin() + ref.offsets[50] + 1, zeroed.begin() + ref.offsets[53] + 1, 0);
    ASSERT_TRUE(IndexBytes(zeroed, &index));
    EXPECT_EQ(Mp3FrameCount(index), frames - 4);  // 50..53: the zeros reach into 53's header

    // A cut-off last frame is dropped.
    std::vector<uint8_t> cut(clean.begin(), clean.end() - 100);
    ASSERT_TRUE(IndexBytes(cut, &index));
    EXPECT_EQ(Mp3FrameCount(index), frames - 1);

    // Not MP3 at all.
    EXPECT_FALSE(IndexBytes(std::vector<uint8_t>(5000, 0xFF), &index));
    std::vector<uint8_t> noise(1 << 20);
    uint32_t x = 12345;
    for (uint8_t &b : noise) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
    EXPECT_FALSE(IndexBytes(noise, &index));
    // A few real frames lost in a large file of something else are not an MP3 file either...
    std::vector<uint8_t> stray(1 << 20, 0);
    std::copy(clean.begin() + ref.offsets[10], clean.begin() + ref.offsets[14],
              stray.begin() + 1000);
    EXPECT_FALSE(IndexBytes(stray, &index));
    // ...while a file half of which was wiped still plays what is left.
    std::vector<uint8_t> half = clean;
    std::fill(half.begin() + ref.offsets[frames / 4], half.begin() + ref.offsets[frames * 3 / 4],
              0);
    ASSERT_TRUE(IndexBytes(half, &index));
    EXPECT_EQ(Mp3FrameCount(index), frames - (frames * 3 / 4 - frames / 4));
    std::vector<uint8_t> wav = Pcm16Wav(std::vector<int16_t>(4000, 1000), 1, 8000);
    EXPECT_FALSE(IndexBytes(wav, &index));
}

TEST(Mp3Index, PrerollCoversTheReservoirOfTheFrameBefore) {
    for (const char *name : {"vbr.mp3", "mpeg25.mp3", "crc.mp3"}) {
        Mp3Index index;
        ASSERT_TRUE(IndexBytes(ReadFixture(name), &index)) << name;
        EXPECT_EQ(Mp3PrerollFrame(index, 0), 0u);
        EXPECT_EQ(Mp3PrerollFrame(index, 1), 0u);
        bool someReservoir = false;
        for (size_t f = 2; f < Mp3FrameCount(index); ++f) {
            size_t start = Mp3PrerollFrame(index, f);
            ASSERT_LE(start, f - 2) << name << " " << f;
            uint32_t covered = 0;
            for (size_t k = start; k + 1 < f; ++k) covered += Mp3MainDataBytes(index, k);
            if (start > 0) {
                EXPECT_GE(covered, index.reservoir[f - 1]) << name << " " << f;
            }
            someReservoir = someReservoir || index.reservoir[f] > 0;
        }
        EXPECT_TRUE(someReservoir) << name;
    }
}

static std::vector<uint8_t> Head(const char *text, size_t size) {
    std::vector<uint8_t> v(text, text + size);
    return v;
}

TEST(MediaKind, ContainersAreKnownByTheirFirstBytes) {
    struct Case {
        const char *name;
        std::vector<uint8_t> head;
        MediaKind kind;
    } cases[] = {
        {"m4a made by ffmpeg", ReadFixture("tones_stereo.m4a"), MEDIA_MP4},
        {"mp4 with video", ReadFixture("tones_video.mp4"), MEDIA_MP4},
        {"mov", ReadFixture("tones.mov"), MEDIA_MP4},
        {"wma", ReadFixture("tones.wma"), MEDIA_ASF},
        {"flac", ReadFixture("tones.flac"), MEDIA_FLAC},
        {"ogg vorbis", ReadFixture("tones.ogg"), MEDIA_OGG},
        {"ogg opus", ReadFixture("tones.opus"), MEDIA_OGG},
        {"old quicktime opening with wide", Head("\0\0\0\x08wide\0\0\0\x10mdat", 16), MEDIA_MP4},
        {"quicktime box running to the end", Head("\0\0\0\0mdat", 8), MEDIA_MP4},
        {"ftyp with an impossible size", Head("\0\0\0\x04ftypM4A ", 12), MEDIA_UNKNOWN},
        {"mp3 behind an id3 tag", ReadFixture("vbr.mp3"), MEDIA_UNKNOWN},
        {"wav", ReadFixture("source8k.wav"), MEDIA_UNKNOWN},
        {"asf guid cut short", Head("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), MEDIA_UNKNOWN},
        {"three bytes", Head("fLa", 3), MEDIA_UNKNOWN},
        {"nothing", {}, MEDIA_UNKNOWN},
    };
    for (const Case &c : cases) {
        size_t n = std::min<size_t>(c.head.size(), MEDIA_SNIFF_BYTES);
        EXPECT_EQ(SniffMedia(c.head.data(), n), c.kind) << c.name;
    }
}

TEST(MediaKind, OnlyWmaLeavesADelayOfOneTransformFrame) {
    struct Case {
        MediaKind kind;
        uint32_t rate, frames;
    } cases[] = {
        {MEDIA_ASF, 8000, 512},    {MEDIA_ASF, 16000, 512},  {MEDIA_ASF, 22050, 1024},
        {MEDIA_ASF, 32000, 2048},  {MEDIA_ASF, 44100, 2048}, {MEDIA_ASF, 48000, 2048},
        {MEDIA_MP4, 44100, 0},     {MEDIA_OGG, 48000, 0},    {MEDIA_FLAC, 44100, 0},
        {MEDIA_UNKNOWN, 44100, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LeftInCodecDelay(c.kind, c.rate), c.frames) << c.kind << " at " << c.rate;
}
