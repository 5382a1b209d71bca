// Recordings that go through the platform's Media Foundation, made by ffmpeg from one signal
// (second k a tone of 400 + 150·k Hz): the stated length, every second where it belongs, seeks
// heard at the place asked for, and files that must fail quickly and cleanly.
#include <gtest/gtest.h>

#include <math.h>
#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

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
    {"tones_stereo.m4a", 44100, 2, 0},
    {"tones_mono.m4a", 22050, 1, 0},
    {"tones_video.mp4", 22050, 1, 0},
    {"tones.mov", 22050, 2, 0},
    {"tones.wma", 44100, 2, 40},  // the ASF muxer's play duration runs past the last sample
    {"tones.flac", 22050, 1, 0},
    {"tones.ogg", 22050, 1, 0},
    {"tones.opus", 24000, 1, 0},                 // the encoder's nearest rate
    {"tones_long_picture.mp4", 22050, 1, 2000},  // the picture runs on: silence to its end
};

static size_t ReadSome(Decoder *d, int16_t *out, size_t n) { return ReadDecoder(d, out, n); }
static size_t ReadSome(MediaDecoder *m, int16_t *out, size_t n) {
    return ReadMediaDecoder(m, out, n);
}
static bool Waiting(Decoder *d) { return DecoderWaiting(d); }
static bool Waiting(MediaDecoder *m) { return MediaDecoderWaiting(m); }
static size_t Channels(Decoder *d) { return size_t(GetDecodedFormat(d).channels); }
static size_t Channels(MediaDecoder *m) { return size_t(GetMediaFormat(m).channels); }

// Up to `frames` frames, waiting for the platform to deliver (reads themselves never wait).
template <class D>
static std::vector<int16_t> Read(D *d, size_t frames) {
    size_t c = Channels(d), done = 0;
    std::vector<int16_t> out(frames * c);
    for (DWORD start = GetTickCount(); done < frames && GetTickCount() - start < 10000;) {
        size_t n = ReadSome(d, out.data() + done * c, frames - done);
        done += n;
        if (n == 0 && !Waiting(d)) break;
        if (n == 0) Sleep(1);
    }
    out.resize(done * c);
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
    // Once the platform has answered: the first open of a run may wait longer.
    CloseMediaDecoder(OpenMediaDecoder(FixturePath("tones.flac").c_str(), MEDIA_FLAC));
    DWORD start = GetTickCount();
    EXPECT_EQ(OpenMediaDecoder(FixturePath("tones.flac").c_str(), MEDIA_FLAC, StallingMaker),
              nullptr);
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, DWORD(MEDIA_OPEN_TIMEOUT_MS) - 50);
    EXPECT_LT(took, DWORD(MEDIA_OPEN_TIMEOUT_MS + 500));
    for (int i = 0; i < 100 && MediaThreadsRunning() > 0; ++i) Sleep(50);
    EXPECT_EQ(MediaThreadsRunning(), 0);
}

// The platform's reader with faults put in: seeks refused from some time on, time stamps moved,
// and, after some samples, mono 16-bit sound handed out as stereo at twice the rate (as HE-AAC's
// decoder does once its second band and its parametric stereo start).
struct Faults {
    LONGLONG refuseFrom;  // seeks to this time (100 ns) or later fail; 0: none
    LONGLONG shift;       // added to every time stamp
    int changeAfter;      // samples before the change of type; 0: never
};
static Faults faults;

struct FaultyReader final : IMFSourceReader {
    LONG refs = 1;
    IMFSourceReader *real = nullptr;
    int samples = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override {
        *out = iid == IID_IUnknown || iid == IID_IMFSourceReader ? this : nullptr;
        return *out ? AddRef(), S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs);
        if (left == 0) real->Release(), delete this;
        return ULONG(left);
    }
    STDMETHODIMP GetStreamSelection(DWORD i, BOOL *b) override {
        return real->GetStreamSelection(i, b);
    }
    STDMETHODIMP SetStreamSelection(DWORD i, BOOL b) override {
        return real->SetStreamSelection(i, b);
    }
    STDMETHODIMP GetNativeMediaType(DWORD i, DWORD k, IMFMediaType **t) override {
        return real->GetNativeMediaType(i, k, t);
    }
    STDMETHODIMP GetCurrentMediaType(DWORD i, IMFMediaType **type) override {
        HRESULT hr = real->GetCurrentMediaType(i, type);
        UINT32 rate = 0;
        if (SUCCEEDED(hr) && faults.changeAfter && samples > faults.changeAfter &&
            SUCCEEDED((*type)->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate))) {
            (*type)->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, 2 * rate);
            (*type)->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, 2);
        }
        return hr;
    }
    STDMETHODIMP SetCurrentMediaType(DWORD i, DWORD *r, IMFMediaType *type) override {
        return real->SetCurrentMediaType(i, r, type);
    }
    STDMETHODIMP SetCurrentPosition(REFGUID format, REFPROPVARIANT at) override {
        if (faults.refuseFrom && at.hVal.QuadPart >= faults.refuseFrom) return E_FAIL;
        return real->SetCurrentPosition(format, at);
    }
    STDMETHODIMP ReadSample(DWORD i, DWORD control, DWORD *stream, DWORD *flags, LONGLONG *time,
                            IMFSample **sample) override {
        HRESULT hr = real->ReadSample(i, control, stream, flags, time, sample);
        *time += faults.shift;
        if (FAILED(hr) || !*sample || !faults.changeAfter || ++samples <= faults.changeAfter)
            return hr;
        if (samples == faults.changeAfter + 1) *flags |= MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED;
        IMFMediaBuffer *from = nullptr, *to = nullptr;
        BYTE *in = nullptr, *out = nullptr;
        DWORD length = 0;
        (*sample)->ConvertToContiguousBuffer(&from);
        from->Lock(&in, nullptr, &length);
        MFCreateMemoryBuffer(length * 4, &to);
        to->Lock(&out, nullptr, nullptr);
        for (DWORD b = 0; b < length * 4; ++b) out[b] = in[b / 8 * 2 + b % 2];  // each frame 2×2
        to->Unlock();
        to->SetCurrentLength(length * 4);
        from->Unlock();
        (*sample)->RemoveAllBuffers();
        (*sample)->AddBuffer(to);
        from->Release();
        to->Release();
        return hr;
    }
    STDMETHODIMP Flush(DWORD i) override { return real->Flush(i); }
    STDMETHODIMP GetServiceForStream(DWORD i, REFGUID s, REFIID iid, void **out) override {
        return real->GetServiceForStream(i, s, iid, out);
    }
    STDMETHODIMP GetPresentationAttribute(DWORD i, REFGUID key, PROPVARIANT *value) override {
        return real->GetPresentationAttribute(i, key, value);
    }
};

static long FaultyMaker(const wchar_t *path, IMFSourceReader **reader) {
    FaultyReader *faulty = new FaultyReader();
    HRESULT hr = MFCreateSourceReaderFromURL(path, nullptr, &faulty->real);
    if (FAILED(hr)) return delete faulty, hr;
    *reader = faulty;
    return hr;
}

static const LONGLONG kHnsPerSecond = 10000000;  // Media Foundation counts time in 100 ns

TEST(Media, PlatformFaultsNeitherEndNorMoveWhatIsHeard) {
    struct Case {
        const char *name;
        MediaKind kind;
        Faults atOpen, afterOpen;
        int seekTo;  // second
        bool moves;  // the seek is taken
        int heard;   // the second that then plays, and the next; -1: the stream ends
    } cases[] = {
        {"tones_mono.m4a", MEDIA_MP4, {}, {4 * kHnsPerSecond, 0, 0}, 6, false, 0},
        // A WMA sample stamped far past the end once asked for the whole gap as silence at once.
        {"tones.wma", MEDIA_ASF, {}, {0, 1000000LL * 3600 * kHnsPerSecond, 0}, 1, true, -1},
        {"tones_mono.m4a", MEDIA_MP4, {0, 0, 3}, {0, 0, 3}, 2, true, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        faults = c.atOpen;
        MediaDecoder *m = OpenMediaDecoder(FixturePath(c.name).c_str(), c.kind, FaultyMaker);
        ASSERT_NE(m, nullptr);
        faults = c.afterOpen;
        MediaFormat f = GetMediaFormat(m);
        EXPECT_EQ(SeekMediaDecoder(m, uint64_t(c.seekTo) * f.rate), c.moves);
        std::vector<int16_t> got = Read(m, 2 * f.rate);
        if (c.heard < 0) {
            EXPECT_TRUE(got.empty());
        } else {
            ASSERT_EQ(got.size(), 2 * size_t(f.rate) * size_t(f.channels));
            EXPECT_EQ(ToneAt(got, f.channels, f.rate / 10, f.rate * 8 / 10, f.rate), c.heard);
            EXPECT_EQ(ToneAt(got, f.channels, f.rate * 11 / 10, f.rate * 8 / 10, f.rate),
                      c.heard + 1);
        }
        CloseMediaDecoder(m);
    }
}
