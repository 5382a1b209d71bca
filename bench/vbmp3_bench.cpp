// Benchmark of the audio library on long files: open time against one plain read of the file,
// seek time and accuracy, decode-and-stretch throughput at three speeds, play-to-first-sample
// latency at the sound sink, and peak memory while playing; the clarity stages' figures and cost.
// The outline band's reading: its time on long files against a plain decode of the whole file,
// its memory, and what it does to playing (CPU, pause/restart) in the same run. Prints one line
// per figure.
#include <windows.h>
#include <psapi.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/clarity.h"
#include "audio/decoder.h"
#include "audio/outline.h"
#include "audio/stretch.h"
#include "audio/vbmp3.h"
#include "tests/audio/speech_like.h"

static double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

// One sequential read of the whole file in 1 MB blocks (the baseline for the open time).
static double PlainRead(const char *path) {
    double start = Now();
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    std::vector<char> buffer(1 << 20);
    DWORD got;
    while (ReadFile(h, buffer.data(), DWORD(buffer.size()), &got, nullptr) && got) {
    }
    CloseHandle(h);
    return Now() - start;
}

static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Open time against one plain read of the file, each the median of five.
static void OpenFigures(const char *label, const char *path) {
    PlainRead(path);  // into the cache first
    std::vector<double> plain, open;
    DecodedFormat f = {};
    for (int i = 0; i < 5; ++i) {
        plain.push_back(PlainRead(path));
        double start = Now();
        Decoder *d = OpenDecoder(path);
        open.push_back(Now() - start);
        if (!d) {
            printf("%s: cannot open %s\n", label, path);
            exit(1);
        }
        f = GetDecodedFormat(d);
        CloseDecoder(d);
    }
    printf("%s: %.0f s, %u Hz, %d ch\n", label, double(f.frames) / f.rate, f.rate, f.channels);
    printf("%s open: %.1f ms (plain read of the file %.1f ms, ratio %.2f; medians of 5)\n", label,
           Median(open) * 1000, Median(plain) * 1000, Median(open) / Median(plain));
}

// 100 random seeks: time until the first 1152 frames are decoded, and whether they equal a
// decode that ran into the target from three seconds before it.
static void SeekFigures(const char *label, const char *path, int tolerance) {
    Decoder *d = OpenDecoder(path);
    DecodedFormat f = GetDecodedFormat(d);
    int c = f.channels;
    std::vector<int16_t> got(1152 * size_t(c)), lead(size_t(f.rate) * 3 * size_t(c)),
        ref(1152 * size_t(c));
    srand(12345);
    double total = 0, worstTime = 0;
    int exact = 0, within = 0, worstDiff = 0;
    for (int i = 0; i < 100; ++i) {
        uint64_t target =
            (uint64_t(rand()) * 32768 + uint64_t(rand())) % (f.frames - 2 * f.rate) + f.rate * 3;
        double start = Now();
        SeekDecoder(d, target);
        size_t n = ReadDecoder(d, got.data(), 1152);
        double took = Now() - start;
        total += took;
        worstTime = std::max(worstTime, took);
        SeekDecoder(d, target - uint64_t(f.rate) * 3);
        ReadDecoder(d, lead.data(), size_t(f.rate) * 3);
        size_t m = ReadDecoder(d, ref.data(), 1152);
        int diff = n == m ? 0 : 65536;
        for (size_t k = 0; k < std::min(n, m) * size_t(c); ++k)
            diff = std::max(diff, abs(got[k] - ref[k]));
        exact += diff == 0;
        within += diff <= tolerance;
        worstDiff = std::max(worstDiff, diff);
    }
    printf(
        "%s seek: mean %.2f ms, worst %.2f ms over 100 targets; %d/100 identical, %d/100 within %d "
        "(largest difference %d)\n",
        label, total / 100 * 1000, worstTime * 1000, exact, within, tolerance, worstDiff);
    CloseDecoder(d);
}

// Decodes `seconds` of audio from the start through the stretch at `percent`, and through the
// clarity stages before it if given; returns the seconds of audio per second taken.
static double Throughput(const char *path, int percent, double seconds,
                         const ClaritySettings *clarity = nullptr) {
    Decoder *d = OpenDecoder(path);
    DecodedFormat f = GetDecodedFormat(d);
    uint64_t frames = std::min<uint64_t>(f.frames, uint64_t(seconds * f.rate));
    Stretch s = {};
    s.tempo = percent / 100.0;
    StretchReset(s, f.channels, f.rate, 0);
    Clarity c;
    ClarityOpen(c, f.channels, f.rate);
    if (clarity) ClarityRestart(c, *clarity, 0);
    std::vector<int16_t> in(4096 * size_t(f.channels)), out(8192 * size_t(f.channels));
    double start = Now();
    uint64_t done = 0;
    while (done < frames) {
        size_t n = ReadDecoder(d, in.data(), 4096);
        if (!n) break;
        done += n;
        StretchPut(s, in.data(), clarity ? ClarityProcess(c, in.data(), n) : n);
        double a, b;
        while (StretchTake(s, out.data(), 8192, &a, &b)) {
        }
    }
    double took = Now() - start;
    CloseDecoder(d);
    return double(done) / f.rate / took;
}

static std::string WinePath(const char *unix) {
    std::string p = std::string("Z:") + unix;
    for (char &ch : p)
        if (ch == '/') ch = '\\';
    return p;
}

static uint64_t FileSize(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return 0;
    return (uint64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// Committed private memory of the process (what the library allocates shows here).
static size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS m = {};
    m.cb = sizeof m;
    GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
    return m.PagefileUsage;
}

// Latency: vbmp3_play until the sink's file grows past what it held. Memory: private bytes
// while the long file plays and seeks, against the process before the file was opened.
static void PlayerFigures(const char *label, const char *path) {
    const char *capture = getenv("PARLOMIX_CAPTURE");
    if (!vbmp3_init()) {
        printf("player: no audio device\n");
        return;
    }
    size_t before = PrivateBytes();
    Vbmp3FileInfo info;
    if (!vbmp3_open(path, &info)) {
        printf("player: cannot open\n");
        return;
    }
    size_t peak = PrivateBytes();
    std::vector<double> latencies;
    for (int round = 0; round < 10 && capture; ++round) {
        std::string sink = WinePath(capture);
        uint64_t held = FileSize(sink);
        for (int settle = 0; settle < 100; ++settle) {  // until the last stop's fade has landed
            Sleep(10);
            uint64_t now = FileSize(sink);
            if (now == held && settle > 5) break;
            held = now;
        }
        double start = Now();
        vbmp3_play();
        double seen = -1;
        while (Now() - start < 2) {
            if (FileSize(sink) > held) {
                seen = Now() - start;
                break;
            }
            Sleep(0);
        }
        if (seen >= 0) latencies.push_back(seen);
        for (int k = 0; k < 20; ++k) {
            vbmp3_seek(rand() % std::max(1, info.length));
            Sleep(10);
            peak = std::max(peak, PrivateBytes());
        }
        vbmp3_stop();
        Sleep(50);
    }
    vbmp3_close();
    vbmp3_free();
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        printf("play to first sample at the sink: median %.1f ms, worst %.1f ms (%zu plays)\n",
               latencies[latencies.size() / 2] * 1000, latencies.back() * 1000, latencies.size());
    } else {
        printf("play to first sample: no sink file to watch (PARLOMIX_CAPTURE)\n");
    }
    printf(
        "memory while playing the long %s: %.1f MB above the process before open, %.1f MB in all "
        "(length %d s)\n",
        label, double(peak - before) / (1 << 20), double(peak) / (1 << 20), info.length);
}

// A long recording through the platform's media decoder, against a native decoder's time for the
// same file in the same run.
static void MediaFigures(const char *path, double nativeSeconds) {
    OpenFigures("m4a", path);
    SeekFigures("m4a", path, 0);
    Decoder *d = OpenDecoder(path);
    DecodedFormat f = GetDecodedFormat(d);
    double seconds = double(f.frames) / f.rate;
    std::vector<int16_t> buffer(4096 * size_t(f.channels));
    double start = Now();
    while (ReadDecoder(d, buffer.data(), 4096)) {
    }
    double alone = seconds / (Now() - start);
    CloseDecoder(d);
    double native = nativeSeconds > 0 ? seconds / nativeSeconds : 0;
    printf(
        "m4a decode alone: %.0fx real time; native ffmpeg on the whole file: %.0fx, ratio %.2f\n",
        alone, native, native > 0 ? alone / native : 0);
    for (int percent : {100, 50, 300}) {
        double x = Throughput(path, percent, percent == 100 ? seconds : 1800);
        printf("m4a decode+stretch at %d%%: %.0fx real time, ratio to native %.2f\n", percent, x,
               native > 0 ? x / native : 0);
    }
    PlayerFigures("M4A", path);
}

// What each stage does to generated speech-like sound, as the tests require it, and what the
// stages cost in front of the decoder and the stretch, as a share of one core while playing.
static void ClarityFigures(const char *wav) {
    const ClaritySettings gain = {true, false, false, CLARITY_BOTH},
                          noise = {false, true, false, CLARITY_BOTH},
                          cut = {false, false, true, CLARITY_BOTH},
                          every = {true, true, true, CLARITY_BOTH};
    auto run = [](const ClaritySettings &s, std::vector<int16_t> v, uint32_t rate) {
        Clarity c;
        ClarityOpen(c, 1, rate);
        ClarityRestart(c, s, 0);
        v.resize(ClarityProcess(c, v.data(), v.size()));
        return v;
    };
    for (uint32_t rate : {16000u, 44100u}) {
        SpeechLike loud = MakeSpeechLike(
            rate, {{1, NO_VOICE, false}, {4, -40, false}, {5, NO_VOICE, false}, {3, -3, true}},
            -70);
        std::vector<int16_t> out = run(gain, Mix(loud.voice, loud.noise, 1), rate);
        int peak = 0;
        for (int16_t v : out) peak = std::max(peak, abs(v));
        printf(
            "%u Hz auto volume: voice at -40 dBFS plays at %.1f dBFS 2-3 s after it starts; a 5 s "
            "pause raises the noise by %+.1f dB; -3 dBFS peaks play at most at %.1f dBFS\n",
            rate, Dbfs(out, 1, rate, 3, 4),
            Dbfs(out, 1, rate, 9.5, 10) - Dbfs(out, 1, rate, 5.5, 6), 20 * log10(peak / 32768.0));
        SpeechLike s = MakeSpeechLike(rate,
                                      {{1, NO_VOICE, false},
                                       {2, -25, false},
                                       {1, NO_VOICE, false},
                                       {2, -25, false},
                                       {2, NO_VOICE, false}},
                                      -30);
        std::vector<int16_t> in = Mix(s.voice, s.noise, 1);
        out = run(noise, in, rate);
        printf("%u Hz noise reduction at 5 dB SNR: the pauses %+.1f dB, the voice %+.1f dB\n", rate,
               Dbfs(out, 1, rate, 6.5, 8) - Dbfs(in, 1, rate, 6.5, 8),
               Dbfs(out, 1, rate, 4, 6) -
                   Dbfs(Mix(s.voice, std::vector<double>(s.voice.size()), 1), 1, rate, 4, 6));
        for (double hz : {50.0, 300.0}) {
            std::vector<double> wave(rate * 2);
            for (size_t i = 0; i < wave.size(); ++i)
                wave[i] = 10000 * sin(2 * PI * hz * double(i) / rate);
            std::vector<int16_t> tone = Mix(wave, std::vector<double>(wave.size()), 1);
            printf("%u Hz low cut: %.0f Hz %+.1f dB\n", rate, hz,
                   Dbfs(run(cut, tone, rate), 1, rate, 1, 2) - Dbfs(tone, 1, rate, 1, 2));
        }
    }
    for (int percent : {100, 300}) {
        double off = Throughput(wav, percent, 1200), on = Throughput(wav, percent, 1200, &every);
        // A second heard takes percent/100 seconds of the recording.
        double offCore = 100 * percent / 100.0 / off, onCore = 100 * percent / 100.0 / on;
        printf(
            "wav decode+stretch at %d%%: %.3f %% of one core; with every clarity stage on %.3f %% "
            "(%+.3f, ratio %.2f)\n",
            percent, offCore, onCore, onCore - offCore, onCore / offCore);
    }
}

// ---- the outline --------------------------------------------------------------------------------

static double ThreadSeconds(HANDLE thread) {
    FILETIME a, b, kernel, user;
    GetThreadTimes(thread, &a, &b, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

static double ProcessSeconds() {
    FILETIME a, b, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &a, &b, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

struct OutlineRun {
    std::wstring path;
    Outline outline;
    volatile LONG cancel;
    double seconds;  // until complete
    uint64_t read;   // frames decoded
};

// The band's reading, step for step, at the band's priority.
static DWORD WINAPI OutlineMain(void *context) {
    OutlineRun &run = *static_cast<OutlineRun *>(context);
    double start = Now();
    Vbmp3ReaderInfo info;
    Vbmp3Reader *reader = vbmp3_openReaderW(run.path.c_str(), &info);
    if (!reader) return 1;
    OutlineStart(&run.outline, PlanOutline(uint64_t(info.frames), uint32_t(info.rate)),
                 info.channels);
    std::vector<int16_t> chunk(4096 * 2);
    uint64_t at = 0, from, want;
    run.read = 0;
    while (!run.cancel && OutlineNextRead(&run.outline, at, &from, &want)) {
        if (from != at) vbmp3_seekReader(reader, int64_t(from));
        int32_t got = vbmp3_readReader(reader, chunk.data(), want < 4096 ? int32_t(want) : 4096);
        at = from;
        if (got == VBMP3_READER_WAITING) continue;
        if (got <= 0) break;
        OutlineAdd(&run.outline, from, chunk.data(), size_t(got));
        at = from + uint64_t(got);
        run.read += uint64_t(got);
    }
    OutlineFinish(&run.outline);
    vbmp3_closeReader(reader);
    run.seconds = Now() - start;
    return 0;
}

static HANDLE StartOutline(OutlineRun *run) {
    run->cancel = 0;
    HANDLE thread = CreateThread(nullptr, 0, OutlineMain, run, CREATE_SUSPENDED, nullptr);
    SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
    ResumeThread(thread);
    return thread;
}

static std::wstring Wide(const char *path) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    return wide;
}

// What playing costs the process over `ms` (share of one core, the outline thread's own time
// left out), and 10 pauses and restarts: how long the calls take and how far the heard second
// moves across them (0 or 1 is continuous).
static void PlayingFigures(const char *label, HANDLE outline) {
    vbmp3_play();
    Sleep(500);
    double cpu0 = ProcessSeconds() - (outline ? ThreadSeconds(outline) : 0), t0 = Now();
    Sleep(3000);
    double cpu = ProcessSeconds() - (outline ? ThreadSeconds(outline) : 0) - cpu0;
    double wall = Now() - t0;
    double worstCall = 0;
    int worstJump = 0;
    for (int i = 0; i < 10; ++i) {
        int32_t before = 0, after = 0;
        Sleep(200);
        double start = Now();
        vbmp3_pause();
        vbmp3_getState(&before);
        vbmp3_restart();
        worstCall = std::max(worstCall, Now() - start);
        Sleep(200);
        vbmp3_getState(&after);
        // A resume goes back by nothing here (the library's restart keeps the place).
        worstJump = std::max(worstJump, abs(after - before));
    }
    vbmp3_stop();
    printf(
        "playing %s: %.1f %% of one core for the player; pause+restart worst %.1f ms, heard "
        "second moved at most %d s across it\n",
        label, 100 * cpu / wall, worstCall * 1000, worstJump);
}

static void OutlineFigures(const char *mp3, const char *m4a) {
    for (const char *path : {mp3, m4a}) {
        Decoder *d = OpenDecoder(path);
        DecodedFormat f = GetDecodedFormat(d);
        std::vector<int16_t> buffer(4096 * size_t(f.channels));
        // The plain decode's own growth, for comparison: the platform's decoder may hold more
        // the further it reads, whoever reads.
        size_t plainBefore = PrivateBytes(), plainPeak = plainBefore;
        double start = Now();
        for (size_t n = 0; ReadDecoder(d, buffer.data(), 4096) || DecoderWaiting(d); ++n)
            if (n % 256 == 0) plainPeak = std::max(plainPeak, PrivateBytes());
        double plain = Now() - start;
        CloseDecoder(d);
        OutlineRun *run = new OutlineRun();
        run->path = Wide(path);
        size_t before = PrivateBytes();
        HANDLE thread = StartOutline(run);
        size_t peak = before;
        while (WaitForSingleObject(thread, 20) == WAIT_TIMEOUT)
            peak = std::max(peak, PrivateBytes());
        CloseHandle(thread);
        printf(
            "outline of %s (%.0f s): %.2f s, %.0f s of sound decoded (a plain decode of the "
            "whole file %.2f s, ratio %.2f); the record %zu bytes, %.1f MB above the process "
            "while reading (the plain decode: %.1f MB)\n",
            path, double(f.frames) / f.rate, run->seconds, double(run->read) / f.rate, plain,
            run->seconds / plain, sizeof(Outline), double(peak - before) / (1 << 20),
            double(plainPeak - plainBefore) / (1 << 20));
        delete run;
    }
    if (!vbmp3_init()) return;
    Vbmp3FileInfo info;
    if (!vbmp3_open(mp3, &info)) return;
    PlayingFigures("the 3-hour MP3 alone", nullptr);
    OutlineRun *run = new OutlineRun();
    run->path = Wide(mp3);
    HANDLE thread = StartOutline(run);
    PlayingFigures("it while its outline is read", thread);
    run->cancel = 1;
    double start = Now();
    WaitForSingleObject(thread, INFINITE);
    printf("outline cancelled in %.1f ms\n", (Now() - start) * 1000);
    CloseHandle(thread);
    delete run;
    vbmp3_close();
    vbmp3_free();
}

int main(int argc, char **argv) {
    if (argc == 3 && strcmp(argv[1], "--clarity") == 0) {
        setvbuf(stdout, nullptr, _IONBF, 0);
        ClarityFigures(argv[2]);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "--outline") == 0) {
        setvbuf(stdout, nullptr, _IONBF, 0);
        OutlineFigures(argv[2], argv[3]);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "--media") == 0) {
        setvbuf(stdout, nullptr, _IONBF, 0);
        MediaFigures(argv[2], atof(argv[3]));
        return 0;
    }
    if (argc < 3) {
        fprintf(stderr,
                "usage: vbmp3_bench long.mp3 long.wav [mpg123-seconds]\n"
                "       vbmp3_bench --media long.m4a native-decoder-seconds\n"
                "       vbmp3_bench --clarity long.wav\n"
                "       vbmp3_bench --outline long.mp3 long.m4a\n");
        return 2;
    }
    const char *mp3 = argv[1], *wav = argv[2];
    double mpg123 = argc > 3 ? atof(argv[3]) : 0;
    setvbuf(stdout, nullptr, _IONBF, 0);
    OpenFigures("mp3", mp3);
    OpenFigures("wav", wav);
    SeekFigures("mp3", mp3, 4);
    SeekFigures("wav", wav, 0);
    Decoder *d = OpenDecoder(mp3);
    double mp3Seconds = double(GetDecodedFormat(d).frames) / GetDecodedFormat(d).rate;
    CloseDecoder(d);
    {
        Decoder *plain = OpenDecoder(mp3);
        std::vector<int16_t> buffer(4096 * 2);
        double start = Now();
        while (ReadDecoder(plain, buffer.data(), 4096)) {
        }
        printf("mp3 decode alone: %.0fx real time\n", mp3Seconds / (Now() - start));
        CloseDecoder(plain);
    }
    for (int percent : {100, 50, 300}) {
        double seconds = percent == 100 ? mp3Seconds : 1800;
        double x = Throughput(mp3, percent, seconds);
        printf("mp3 decode+stretch at %d%%: %.0fx real time (%.0f s of audio)", percent, x,
               seconds);
        if (mpg123 > 0)
            printf("; mpg123 -t on the whole file: %.0fx, ratio %.2f", mp3Seconds / mpg123,
                   x / (mp3Seconds / mpg123));
        printf("\n");
    }
    for (int percent : {100, 50, 300})
        printf("wav decode+stretch at %d%%: %.0fx real time\n", percent,
               Throughput(wav, percent, 1800));
    PlayerFigures("MP3", mp3);
    return 0;
}
