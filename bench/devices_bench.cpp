// Benchmark of the audio library on sound devices that come and go: PulseAudio null sinks, paced
// by the server's clock, plugged and unplugged while a chirp (frequency = source time) plays and
// each sink's monitor is recorded. Run inside `tests/driver/pulse.sh session` (see run.sh).
// Prints, as distributions over 20 events: how much a pause then restart skips or repeats (also
// for the first pause on a freshly opened device), what a pause adds to the device's own latency,
// the gap or overlap of the recording at a change of device, the time to sound on a new device; and
// the library's CPU while playing. Pauses and CPU are measured again with clarity stages on.
#include <windows.h>

#include <math.h>
#include <stdio.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "audio/vbmp3.h"
#include "tests/driver/chirp.h"
#include "tests/driver/driver.h"
#include "tests/driver/pulse.h"
#include "tests/driver/sound.h"

static const int EVENTS = 20;
// Long enough for each part (a part opens the file afresh); the chirp stays under 14 kHz.
static const double CHIRP_SECONDS = 90;
// A pause ends the sound with a fade of this length from the place it keeps; the source time is
// read this far before the silence, clear of the fade.
static const double FADE = 0.010;
static const double BEFORE_FADE = 0.015;

static double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

static void Distribution(const char *what, std::vector<double> v, const char *unit = "ms") {
    if (v.empty()) {
        printf("%s: nothing measured\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    double worst = fabs(v.front()) > fabs(v.back()) ? v.front() : v.back();
    printf("%s: median %+.1f %s, worst %+.1f %s, range %+.1f..%+.1f (%zu)\n", what, v[v.size() / 2],
           unit, worst, unit, v.front(), v.back(), v.size());
}

static std::vector<int16_t> Recording(const std::string &unixPath) {
    return driver::CaptureSamples(driver::ReadBytes(driver::UnixToWindows(unixPath)));
}

// The source second the listener heard when a pause's fade began: read before the fade and
// carried forward to its start.
static double HeardBeforeFade(const std::vector<int16_t> &capture, size_t end) {
    size_t back = size_t(BEFORE_FADE * driver::CHIRP_RATE) + 2048;
    if (end < back) return NAN;
    return driver::SourceTimeAt(capture, end - back) + double(back) / driver::CHIRP_RATE - FADE;
}

// When the library first reports paused, watched from a thread of its own while the main thread
// unplugs the device; 0 if not within two seconds.
static DWORD WINAPI WatchForPause(void *pausedAt) {
    for (double start = Now(); Now() - start < 2; Sleep(2)) {
        int32_t position;
        if (vbmp3_getState(&position) == VBMP3_PAUSED) {
            *static_cast<double *>(pausedAt) = Now();
            return 0;
        }
    }
    return 0;
}

// Pause then restart, EVENTS times: what the listener misses (-) or hears twice (+), and the
// time a pause takes to silence the device beyond what a restart takes to sound (both read from
// the recording, so that the recorder's own delay cancels).
static void PauseFigures() {
    driver::PlugSink("pauses");
    std::string path = driver::StartRecording("pauses", "take");
    std::vector<double> pauseAt, restartAt;
    restartAt.push_back(Now());
    vbmp3_play();
    for (int k = 0; k < EVENTS; ++k) {
        Sleep(900 + 37 * k % 200);
        pauseAt.push_back(Now());
        vbmp3_pause();
        Sleep(400);
        restartAt.push_back(Now());
        vbmp3_restart();
    }
    Sleep(900);
    pauseAt.push_back(Now());
    vbmp3_pause();
    Sleep(300);
    driver::StopRecording("pauses");
    std::vector<int16_t> capture = Recording(path);
    std::vector<driver::HeardStretch> heard = driver::HeardStretches(capture);
    if (heard.size() != pauseAt.size()) {
        printf("pauses: %zu stretches of sound recorded for %zu plays: %s\n", heard.size(),
               pauseAt.size(), driver::Describe(heard).c_str());
        return;
    }
    std::vector<double> repeated, added;
    for (size_t k = 0; k < heard.size(); ++k) {
        if (k + 1 < heard.size())
            repeated.push_back(1000 * (HeardBeforeFade(capture, heard[k].end) - heard[k + 1].from));
        double sounded = double(heard[k].end - heard[k].first) / driver::CHIRP_RATE;
        // The first play also opens the device.
        if (k > 0) added.push_back(1000 * (sounded - (pauseAt[k] - restartAt[k])));
    }
    Distribution("pause then restart: recording heard twice (+) or missed (-)", repeated);
    Distribution("pause: call to silence minus restart's call to sound", added);
}

// The first pause on a freshly opened device, EVENTS times: the file opened afresh (which lets
// the last device go), PLAY (which opens one), pause 3 s later and restart 0.7 s after that, as
// a new user tries it. Little has been seen of the device by the pause.
static void FirstPauseFigures(const std::function<bool()> &fromStart) {
    driver::PlugSink("first");
    std::string path = driver::StartRecording("first", "take");
    for (int k = 0; k < EVENTS; ++k) {
        fromStart();
        vbmp3_play();
        Sleep(3000);
        vbmp3_pause();
        Sleep(700);
        vbmp3_restart();
        Sleep(600);
        vbmp3_pause();
        Sleep(300);
    }
    driver::StopRecording("first");
    std::vector<int16_t> capture = Recording(path);
    std::vector<driver::HeardStretch> heard = driver::HeardStretches(capture);
    if (heard.size() != size_t(2 * EVENTS)) {
        printf("first pause: %zu stretches of sound recorded for %d plays: %s\n", heard.size(),
               2 * EVENTS, driver::Describe(heard).c_str());
        return;
    }
    std::vector<double> repeated;
    for (size_t k = 0; k < heard.size(); k += 2)
        repeated.push_back(1000 * (HeardBeforeFade(capture, heard[k].end) - heard[k + 1].from));
    Distribution("first pause 3 s after PLAY: recording heard twice (+) or missed (-)", repeated);
}

// The process's CPU time over five seconds, as percent of one core.
static double CpuPercent() {
    FILETIME created, exited, kernel0, user0, kernel1, user1;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel0, &user0);
    double start = Now();
    Sleep(5000);
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel1, &user1);
    double wall = Now() - start;
    auto ticks = [](FILETIME t) {
        return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime);
    };
    return 100 * (ticks(kernel1) - ticks(kernel0) + ticks(user1) - ticks(user0)) / 1e7 / wall;
}

// The baseline: silence kept flowing through waveOut in the library's buffer sizes by a thread
// that waits for each buffer to come back and writes it again, doing nothing else.
struct BareStream {
    HWAVEOUT wave;
    HANDLE back;
    WAVEHDR headers[5];
    int16_t data[5][driver::CHIRP_RATE * 30 / 1000];
    volatile bool running;
};

static DWORD WINAPI BareFeeder(void *context) {
    BareStream &s = *static_cast<BareStream *>(context);
    while (s.running) {
        WaitForSingleObject(s.back, 100);
        for (WAVEHDR &h : s.headers)
            if (h.dwFlags & WHDR_DONE) waveOutWrite(s.wave, &h, sizeof h);
    }
    return 0;
}

static double BareWaveOutCpu() {
    static BareStream s;
    WAVEFORMATEX f = {WAVE_FORMAT_PCM, 1, driver::CHIRP_RATE, 2 * driver::CHIRP_RATE, 2, 16, 0};
    s.back = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (waveOutOpen(&s.wave, WAVE_MAPPER, &f, DWORD_PTR(s.back), 0, CALLBACK_EVENT)) return NAN;
    for (int i = 0; i < 5; ++i) {
        s.headers[i].lpData = reinterpret_cast<LPSTR>(s.data[i]);
        s.headers[i].dwBufferLength = sizeof s.data[i];
        waveOutPrepareHeader(s.wave, &s.headers[i], sizeof s.headers[i]);
        waveOutWrite(s.wave, &s.headers[i], sizeof s.headers[i]);
    }
    s.running = true;
    HANDLE feeder = CreateThread(nullptr, 0, BareFeeder, &s, 0, nullptr);
    Sleep(500);
    double cpu = CpuPercent();
    s.running = false;
    WaitForSingleObject(feeder, INFINITE);
    waveOutReset(s.wave);
    for (WAVEHDR &h : s.headers) waveOutUnprepareHeader(s.wave, &h, sizeof h);
    waveOutClose(s.wave);
    CloseHandle(feeder);
    CloseHandle(s.back);
    return cpu;
}

static const int32_t EVERY_STAGE = VBMP3_AUTO_GAIN | VBMP3_NOISE_REDUCTION | VBMP3_LOW_CUT;

// The process's CPU time while the library plays at a speed, against the bare stream.
static double CpuFigure(int32_t percent, double bare, int32_t clarity = 0) {
    vbmp3_setPitch(percent);
    vbmp3_setClarity(clarity);
    vbmp3_play();
    Sleep(500);
    double cpu = CpuPercent();
    printf("CPU while playing at %d %%%s: %.2f %% of one core (%.2f x the bare stream)\n", percent,
           clarity ? " with every clarity stage on" : "", cpu, cpu / bare);
    vbmp3_stop();
    vbmp3_setPitch(VBMP3_PITCH_NORMAL);
    vbmp3_setClarity(0);
    return cpu;
}

// Devices replaced EVENTS times while playing. With `spare`, the next device is plugged before the
// playing one is unplugged and becomes the default when it goes: the sound must go on there by
// itself. Without, the library must pause, and the restart after the next device appears plays
// on it.
static void ChangeFigures(bool spare) {
    const char *name = spare ? "spare" : "return";
    std::vector<double> overlap, toSound, noticed;
    std::string sink = std::string(name) + "0";
    driver::PlugSink(sink);
    std::string path = driver::StartRecording(sink, "take");
    vbmp3_play();
    for (int k = 0; k < EVENTS; ++k) {
        Sleep(1000);
        std::string next = std::string(name) + std::to_string(k + 1), nextPath;
        double recordingFrom = 0, unplugged, from;
        if (spare) {
            driver::AddSink(next);
            nextPath = driver::StartRecording(next, "take");
            recordingFrom = Now();
        }
        // Timed from the call: the script's own pactl calls before the unplug make these err long.
        double pausedAt = 0;
        HANDLE watch =
            spare ? nullptr : CreateThread(nullptr, 0, WatchForPause, &pausedAt, 0, nullptr);
        unplugged = from = Now();
        driver::UnplugSink(sink);
        if (!spare) {
            WaitForSingleObject(watch, INFINITE);
            CloseHandle(watch);
            if (pausedAt == 0) printf("%s: the library did not pause\n", name);
            noticed.push_back(1000 * (pausedAt - unplugged));
            driver::PlugSink(next);
            nextPath = driver::StartRecording(next, "take");
            recordingFrom = Now();
            from = Now();
            vbmp3_restart();
        }
        Sleep(600);
        std::vector<int16_t> before = Recording(path), after = Recording(nextPath);
        std::vector<driver::HeardStretch> a = driver::HeardStretches(before),
                                          b = driver::HeardStretches(after);
        if (!a.empty() && !b.empty()) {
            overlap.push_back(1000 * (a.back().to - b.front().from));
            // The recording starts when its recorder listens (at most a poll before the call
            // that started it returned), so this errs long by up to 20 ms.
            toSound.push_back(
                1000 * (recordingFrom + double(b.front().first) / driver::CHIRP_RATE - from));
        } else {
            printf("%s: no sound on one side of change %d\n", name, k + 1);
        }
        sink = next;
        path = nextPath;
    }
    vbmp3_stop();
    driver::UnplugSink(sink);
    if (spare) {
        Distribution("change to a spare default device: recording heard twice (+) or missed (-)",
                     overlap);
        Distribution("change to a spare default device: unplug to sound on it", toSound);
    } else {
        Distribution("device gone, nothing to replace it: unplug to paused", noticed);
        Distribution("device back: restart to sound on it", toSound);
        Distribution("device gone and back: recording heard twice (+) or missed (-)", overlap);
    }
}

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string chirp = driver::WorkFolder("bench") + "\\chirp.wav";
    std::vector<int16_t> samples = driver::ChirpSamples(CHIRP_SECONDS);
    if (!driver::WritePcmWav(chirp, driver::CHIRP_RATE, 1, 16, samples.data(),
                             samples.size() * 2)) {
        printf("cannot write %s\n", chirp.c_str());
        return 1;
    }
    Vbmp3FileInfo info;
    auto fromStart = [&] { return vbmp3_open(chirp.c_str(), &info) != 0; };
    if (!vbmp3_init() || !fromStart()) {
        printf("the library cannot open %s\n", chirp.c_str());
        return 1;
    }
    std::string parts = argc > 1 ? argv[1] : "pause,first,cpu,spare,return";
    if (parts.find("pause") != std::string::npos) {
        PauseFigures();
        driver::UnplugSink("pauses");
        // The noise reduction takes the chirp, a steady tone, for noise and removes it, so the
        // recording could not be read: the other stages only.
        printf("the same with the automatic volume and the low cut on:\n");
        vbmp3_setClarity(VBMP3_AUTO_GAIN | VBMP3_LOW_CUT);
        fromStart();
        PauseFigures();
        driver::UnplugSink("pauses");
        vbmp3_setClarity(0);
    }
    if (parts.find("first") != std::string::npos) {
        FirstPauseFigures(fromStart);
        driver::UnplugSink("first");
    }
    if (parts.find("cpu") != std::string::npos) {
        driver::PlugSink("cpu");
        double bare = BareWaveOutCpu();
        printf("CPU of a bare waveOut stream (the baseline): %.2f %% of one core\n", bare);
        for (int32_t percent : {100, 50, 300}) {
            fromStart();
            double off = CpuFigure(percent, bare);
            if (percent == 50) continue;
            fromStart();
            double on = CpuFigure(percent, bare, EVERY_STAGE);
            printf("clarity at %d %%: %+.2f %% of one core (on / off %.2f)\n", percent, on - off,
                   on / off);
        }
        driver::UnplugSink("cpu");
    }
    for (bool spare : {true, false}) {
        if (parts.find(spare ? "spare" : "return") == std::string::npos) continue;
        fromStart();
        ChangeFigures(spare);
    }
    vbmp3_close();
    vbmp3_free();
    return 0;
}
