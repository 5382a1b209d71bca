// vbmp3.dll's exported calls and the player behind them: one open file, a feeder thread that
// decodes, clarifies and stretches the sound and keeps a few short waveOut buffers queued, and the
// map from output samples back to source time that getState reports. The output device is opened
// when sound is wanted, on the default device of that moment, and replaced when it goes away.
// Everything the GUI thread and the feeder share sits under one lock; every waveOut call is made
// under it too.
#include <windows.h>
#include <mmsystem.h>

#include <math.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "audio/clarity.h"
#include "audio/decoder.h"
#include "audio/output_clock.h"
#include "audio/stretch.h"
#include "common/scoped_lock.h"
#include "playback/vbmp3.h"

enum {
    QUEUED_BUFFERS = 5,  // of BUFFER_MS each: what the device has ahead of it
    BUFFER_MS = 30,
    FADE_MS = 10,  // fade in after a start, fade out at a pause, stop or seek
    FADE_SLOT = QUEUED_BUFFERS,
    SLOTS = QUEUED_BUFFERS + 1,
    FEEDER_POLL_MS = 20,
    DECODE_CHUNK = 2048,  // frames read from the decoder at a time
    // A device left idle this long is let go, so that the next start finds the default device
    // of its moment (a headset plugged in during a pause).
    IDLE_CLOSE_MS = 5000,
    CLOSE_WAIT_MS = 500,  // the longest a device's close is waited for
    HISTORY_MS = 400,     // kept of what was written, to fade out from where the listener is
    TAG_RING = 64,        // buffers remembered for the position map (well over HISTORY_MS)
};

namespace {
struct OutBuffer {
    WAVEHDR header;
    std::vector<int16_t> data;
    bool queued;        // written and not yet returned
    uint64_t outStart;  // device frame (since the last reset) of its first frame
    uint32_t frames;
    double from, to;  // source frames it stands for
};

// What one written buffer stands for; kept after the buffer itself is reused, because the
// listener hears it well after the device has taken it.
struct Tag {
    uint64_t outStart;
    uint32_t frames;
    double from, to;
};

struct Player {
    Decoder *decoder;
    DecodedFormat format;
    HWAVEOUT wave;      // null while no device is open
    bool deviceFailed;  // a device call failed: the device is gone
    OutputClock clock;
    DWORD idleSince;  // tick of the last pause, stop or end
    int state;
    double position;  // source frame while stopped or paused
    Clarity clarity;
    Stretch stretch;
    OutBuffer slots[SLOTS];
    uint64_t written;  // device frames written since the last reset
    uint32_t lastRaw;  // last raw device position, to extend it past 32 bits
    uint64_t played;
    bool inputEnded;
    uint32_t fadeLeft;  // fade-in frames still to apply
    // What the listener heard when the settings changed, faded out under the fade-in (silence
    // after a plain start).
    std::vector<int16_t> fadeFrom;
    double lastTo;  // source position at the end of what was written
    uint32_t bufferFrames, fadeFrames;
    std::vector<int16_t> decoded;
    std::vector<int16_t> history;  // the last HISTORY_MS written, by device frame
    Tag tags[TAG_RING];            // the last buffers written, oldest overwritten first
    uint32_t tagCount;             // written since the last reset
};
}  // namespace

static CRITICAL_SECTION lock;
static bool started;
static HANDLE wake;
static HANDLE feeder;
static volatile LONG quitting;
static int32_t pitch = VBMP3_PITCH_NORMAL;
static int32_t clarityFlags;  // VBMP3_AUTO_GAIN...
static int32_t channel = VBMP3_CHANNEL_BOTH;
static Player *player;  // null when no file is open

static double Tempo() { return pitch / double(VBMP3_PITCH_NORMAL); }

static_assert(int(DECODE_CHUNK) >= int(CLARITY_MAX_LATENCY),
              "the decode buffer takes what the stages hold");

static ClaritySettings Clarified() {
    static const ClarityChannel chosen[] = {CLARITY_BOTH, CLARITY_LEFT, CLARITY_RIGHT};
    static_assert(VBMP3_CHANNEL_BOTH == 0 && VBMP3_CHANNEL_LEFT == 1 && VBMP3_CHANNEL_RIGHT == 2,
                  "the channels index the table");
    return {(clarityFlags & VBMP3_AUTO_GAIN) != 0, (clarityFlags & VBMP3_NOISE_REDUCTION) != 0,
            (clarityFlags & VBMP3_LOW_CUT) != 0, chosen[channel]};
}

// ---- device position --------------------------------------------------------------------------

static uint64_t DeviceFrames(Player &p) {
    MMTIME t;
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(p.wave, &t, sizeof t) != MMSYSERR_NOERROR) {
        p.deviceFailed = true;
        return p.played;
    }
    uint32_t raw;
    if (t.wType == TIME_SAMPLES) {
        raw = t.u.sample;
    } else if (t.wType == TIME_BYTES) {
        raw = t.u.cb / uint32_t(2 * p.format.channels);
    } else {
        return p.played;
    }
    p.played += uint32_t(raw - p.lastRaw);  // wraps cleanly
    p.lastRaw = raw;
    return p.played;
}

// The output frame the listener hears now. Until a buffer has come back from a freshly opened
// device its lead is unknown, and nothing past the first sound is taken as heard.
static uint64_t HeardOutputFrame(Player &p) {
    uint64_t taken = DeviceFrames(p);
    uint64_t lead = LeadKnown(p.clock) ? LeadFrames(p.clock) : taken;
    return taken > lead ? taken - lead : 0;
}

// The source frame the listener hears now, while playing.
static double HeardFrame(Player &p) {
    uint64_t at = HeardOutputFrame(p);
    uint32_t kept = p.tagCount < TAG_RING ? p.tagCount : uint32_t(TAG_RING);
    for (uint32_t k = 1; k <= kept; ++k) {
        const Tag &t = p.tags[(p.tagCount - k) % TAG_RING];
        if (at < t.outStart) continue;
        if (at >= t.outStart + t.frames) return t.to;  // between buffers, or past the last
        return t.from + (t.to - t.from) * double(at - t.outStart) / t.frames;
    }
    return kept ? p.tags[(p.tagCount - kept) % TAG_RING].from : p.lastTo;
}

static void ResetDevice(Player &p) {
    waveOutReset(p.wave);
    for (OutBuffer &b : p.slots) {
        b.queued = false;
        b.frames = 0;
    }
    p.written = 0;
    p.played = 0;
    p.lastRaw = 0;
    p.tagCount = 0;
}

// Takes back the buffers the device has played, each telling how far ahead the device's
// position runs. True if any came back.
static bool Reclaim(Player &p) {
    bool back = false;
    uint64_t position = 0;
    for (OutBuffer &b : p.slots) {
        if (!b.queued || !(b.header.dwFlags & WHDR_DONE)) continue;
        if (!back) position = DeviceFrames(p);
        back = true;
        b.queued = false;
        NoteBufferBack(p.clock, b.outStart + b.frames, position, p.written);
    }
    return back;
}

static bool Write(Player &p, OutBuffer &b, uint32_t frames, double from, double to) {
    b.header.dwBufferLength = frames * uint32_t(2 * p.format.channels);
    b.header.dwFlags &= ~WHDR_DONE;
    b.outStart = p.written;
    b.frames = frames;
    b.from = from;
    b.to = to;
    if (waveOutWrite(p.wave, &b.header, sizeof b.header) != MMSYSERR_NOERROR) {
        b.frames = 0;
        p.deviceFailed = true;
        return false;
    }
    b.queued = true;
    size_t c = size_t(p.format.channels), ring = p.history.size() / c;
    for (uint32_t i = 0; i < frames; ++i)
        memcpy(&p.history[size_t((p.written + i) % ring) * c], &b.data[size_t(i) * c], c * 2);
    p.tags[p.tagCount % TAG_RING] = {p.written, frames, from, to};
    ++p.tagCount;
    p.written += frames;
    p.lastTo = to;
    return true;
}

// ---- feeding ----------------------------------------------------------------------------------

// Fills `out` with up to `want` frames of stretched sound; from/to get the source span.
static uint32_t Produce(Player &p, int16_t *out, uint32_t want, double *from, double *to) {
    uint32_t done = 0;
    int c = p.format.channels;
    *from = *to = p.lastTo;
    while (done < want) {
        double a, b;
        size_t got = StretchTake(p.stretch, out + size_t(done) * size_t(c), want - done, &a, &b);
        if (got) {
            if (done == 0) *from = a;
            *to = b;
            done += uint32_t(got);
            continue;
        }
        if (p.inputEnded) break;
        size_t need = StretchWanted(p.stretch);
        if (need == 0 || need > DECODE_CHUNK) need = DECODE_CHUNK;
        size_t read = ReadDecoder(p.decoder, p.decoded.data(), need);
        if (read == 0) {
            StretchPut(p.stretch, p.decoded.data(), ClarityDrain(p.clarity, p.decoded.data()));
            StretchFinish(p.stretch);
            p.inputEnded = true;
        } else {
            StretchPut(p.stretch, p.decoded.data(),
                       ClarityProcess(p.clarity, p.decoded.data(), read));
        }
    }
    uint32_t fading = done < p.fadeLeft ? done : p.fadeLeft, past = p.fadeFrames - p.fadeLeft;
    ClarityFadeIn(out, p.fadeFrom.data() + size_t(past) * size_t(c), fading, c, past, p.fadeFrames);
    p.fadeLeft -= fading;
    return done;
}

static bool AnyQueued(const Player &p) {
    for (const OutBuffer &b : p.slots)
        if (b.queued) return true;
    return false;
}

static void ChangeDevice(Player &p);

static void Pump(Player &p) {
    if (p.state != VBMP3_PLAYING) return;
    bool back = Reclaim(p);
    for (int i = 0; i < QUEUED_BUFFERS && !p.deviceFailed; ++i) {
        OutBuffer &b = p.slots[i];
        if (b.queued) continue;
        double from, to;
        uint32_t n = Produce(p, b.data.data(), p.bufferFrames, &from, &to);
        if (n == 0) break;
        Write(p, b, n, from, to);
    }
    bool busy = AnyQueued(p);
    if (p.deviceFailed || DeviceStalled(p.clock, DeviceFrames(p), back, busy, GetTickCount())) {
        ChangeDevice(p);
    } else if (p.inputEnded && StretchReady(p.stretch) == 0 && !busy) {
        // Played to the end: stopped, and the next play starts from the beginning.
        p.state = VBMP3_STOPPED;
        p.position = 0;
        p.idleSince = GetTickCount();
    }
}

// ---- the output device ------------------------------------------------------------------------

static bool OpenDevice(Player &p) {
    WAVEFORMATEX wf = {};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = WORD(p.format.channels);
    wf.nSamplesPerSec = p.format.rate;
    wf.wBitsPerSample = 16;
    wf.nBlockAlign = WORD(2 * p.format.channels);
    wf.nAvgBytesPerSec = wf.nSamplesPerSec * wf.nBlockAlign;
    if (waveOutOpen(&p.wave, WAVE_MAPPER, &wf, DWORD_PTR(wake), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        p.wave = nullptr;
        return false;
    }
    for (OutBuffer &b : p.slots) {
        b.header.lpData = reinterpret_cast<LPSTR>(b.data.data());
        b.header.dwBufferLength = DWORD(b.data.size() * 2);
        b.header.dwFlags = 0;
        waveOutPrepareHeader(p.wave, &b.header, sizeof b.header);
        b.header.dwFlags |= WHDR_DONE;
        b.queued = false;
        b.frames = 0;
    }
    p.deviceFailed = false;
    p.written = p.played = 0;
    p.lastRaw = 0;
    p.tagCount = 0;
    ResetOutputClock(p.clock, GetTickCount());
    return true;
}

static DWORD WINAPI CloseWave(void *wave) {
    waveOutClose(static_cast<HWAVEOUT>(wave));
    return 0;
}

// Lets the device go; on a device that has gone away each call fails at once. Under Wine the
// close itself was seen never to return after devices had come and gone, so it is made on a
// thread of its own and waited for only briefly: by then the device holds none of our buffers.
static void CloseDevice(Player &p) {
    if (!p.wave) return;
    waveOutReset(p.wave);
    for (OutBuffer &b : p.slots) {
        waveOutUnprepareHeader(p.wave, &b.header, sizeof b.header);
        b.queued = false;
        b.frames = 0;
    }
    HANDLE closing = CreateThread(nullptr, 0, CloseWave, p.wave, 0, nullptr);
    if (closing) {
        WaitForSingleObject(closing, CLOSE_WAIT_MS);
        CloseHandle(closing);
    } else {
        waveOutClose(p.wave);
    }
    p.wave = nullptr;
}

static DWORD WINAPI FeederMain(void *) {
    while (!quitting) {
        WaitForSingleObject(wake, FEEDER_POLL_MS);
        ScopedLock locked(&lock);
        if (!player || quitting) continue;
        Player &p = *player;
        Pump(p);
        if (p.wave && p.state != VBMP3_PLAYING && GetTickCount() - p.idleSince >= IDLE_CLOSE_MS) {
            Reclaim(p);
            if (!AnyQueued(p)) CloseDevice(p);
        }
    }
    return 0;
}

// What the listener is about to hear, up to a fade's length, read back from the copy of what was
// written (the device has taken more, which a reset drops); returns the frames copied.
static uint32_t HeardAhead(Player &p, int16_t *to) {
    uint64_t at = HeardOutputFrame(p);
    size_t c = size_t(p.format.channels), ring = p.history.size() / c;
    if (at >= p.written || p.written - at > ring) return 0;
    uint64_t left = p.written - at;
    uint32_t copied = uint32_t(left < p.fadeFrames ? left : p.fadeFrames);
    for (uint32_t i = 0; i < copied; ++i)
        memcpy(to + i * c, &p.history[size_t((at + i) % ring) * c], c * sizeof *to);
    return copied;
}

// Ends what is sounding with a short fade from where the device is, then empties the device.
// The fade's tag says `standsFor`: the place a pause holds, or the target of a seek.
static void FadeOutAndReset(Player &p, double standsFor) {
    OutBuffer &fade = p.slots[FADE_SLOT];
    uint32_t copied = HeardAhead(p, fade.data.data());
    int c = p.format.channels;
    for (uint32_t i = 0; i < copied; ++i) {
        double gain = 0.5 + 0.5 * cos(3.14159265358979 * (i + 1) / copied);
        for (int ch = 0; ch < c; ++ch) {
            int16_t &v = fade.data[size_t(i) * size_t(c) + size_t(ch)];
            v = int16_t(lrint(v * gain));
        }
    }
    ResetDevice(p);
    if (copied == 0) return;
    Write(p, fade, copied, standsFor, standsFor);
}

// Before a start: a fade-out still playing is left to finish (the new sound follows it); the
// tail of a file that played to its end is cut.
static void ClearDeviceForStart(Player &p) {
    Reclaim(p);
    for (int i = 0; i < QUEUED_BUFFERS; ++i)
        if (p.slots[i].queued) {
            ResetDevice(p);
            return;
        }
}

// Starts the pipeline afresh at a source frame; the feeder (woken) or the caller fills the device.
// The fade-in crosses from the first `heard` frames of fadeFrom, and from silence after them.
static void StartAt(Player &p, double frame, uint32_t heard = 0) {
    uint64_t f = frame <= 0 ? 0 : uint64_t(frame);
    if (f > p.format.frames) f = p.format.frames;
    SeekDecoder(p.decoder, ClarityRestart(p.clarity, Clarified(), f));
    size_t c = size_t(p.format.channels);
    std::fill(p.fadeFrom.begin() + ptrdiff_t(heard * c), p.fadeFrom.end(), int16_t(0));
    StretchReset(p.stretch, p.format.channels, p.format.rate, f);
    p.inputEnded = false;
    p.fadeLeft = p.fadeFrames;
    RestartWatch(p.clock, GetTickCount());
    p.lastTo = double(f);
    // What still sounds (a pause's fade-out) is heard as the new place already: a resume that
    // went back must be reported at once, not after the old place has faded away.
    uint32_t kept = p.tagCount < TAG_RING ? p.tagCount : uint32_t(TAG_RING);
    for (uint32_t k = 1; k <= kept; ++k) {
        Tag &t = p.tags[(p.tagCount - k) % TAG_RING];
        t.from = t.to = double(f);
    }
    for (OutBuffer &b : p.slots)
        if (b.frames && !b.queued) b.frames = 0;
}

// The device stopped taking sound or failed: the sound goes on from where the listener was, on
// the device that is the default now; with none, the file waits paused there for the next play.
static void ChangeDevice(Player &p) {
    double heard = HeardFrame(p);
    CloseDevice(p);
    if (OpenDevice(p)) {
        StartAt(p, heard);
        SetEvent(wake);
    } else {
        p.state = VBMP3_PAUSED;
        p.position = heard;
        p.idleSince = GetTickCount();
    }
}

// New clarity settings while playing are heard at once: the sound starts again where the
// listener is, made with them, and cross-fades from what was sounding.
static void ApplyClarity(Player &p) {
    if (p.state != VBMP3_PLAYING) return;
    double heard = HeardFrame(p);
    uint32_t copied = HeardAhead(p, p.fadeFrom.data());
    ResetDevice(p);
    StartAt(p, heard, copied);
    SetEvent(wake);
}

static void ClosePlayer(Player *p) {
    CloseDevice(*p);
    CloseDecoder(p->decoder);
    delete p;
}

// ---- the exported calls -----------------------------------------------------------------------

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&lock);
    return TRUE;
}

extern "C" {
VBMP3_API int32_t VBMP3_CALL vbmp3_init(void) {
    ScopedLock locked(&lock);
    bool ok = started;
    if (!started) {
        wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        quitting = 0;
        feeder = wake ? CreateThread(nullptr, 0, FeederMain, nullptr, 0, nullptr) : nullptr;
        if (feeder) {
            SetThreadPriority(feeder, THREAD_PRIORITY_TIME_CRITICAL);
            started = ok = true;
        } else if (wake) {
            CloseHandle(wake);
        }
    }
    return ok ? 1 : 0;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_free(void) {
    {
        ScopedLock locked(&lock);
        if (!started) return 0;
        if (player) ClosePlayer(player);
        player = nullptr;
        quitting = 1;
        SetEvent(wake);
    }
    // The feeder takes the lock on every pass, so it is waited for outside it.
    WaitForSingleObject(feeder, INFINITE);
    CloseHandle(feeder);
    CloseHandle(wake);
    ScopedLock locked(&lock);
    started = false;
    return 1;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_open(const char *path, Vbmp3FileInfo *info) {
    if (!path || !info) return 0;
    ScopedLock locked(&lock);
    if (!started) return 0;
    if (player) ClosePlayer(player);
    player = nullptr;
    Decoder *decoder = OpenDecoder(path);
    if (!decoder) return 0;
    Player *p = new Player();
    p->decoder = decoder;
    p->format = GetDecodedFormat(decoder);
    // The device is opened by the first play: a file opens with no sound device at all.
    p->bufferFrames = p->format.rate * BUFFER_MS / 1000;
    p->fadeFrames = p->format.rate * FADE_MS / 1000;
    for (int i = 0; i < SLOTS; ++i) {
        OutBuffer &b = p->slots[i];
        // The fade slot holds a whole fade, which may be longer than a buffer.
        uint32_t frames =
            i == FADE_SLOT && p->fadeFrames > p->bufferFrames ? p->fadeFrames : p->bufferFrames;
        b.data.assign(size_t(frames) * size_t(p->format.channels), 0);
    }
    p->decoded.assign(size_t(DECODE_CHUNK) * size_t(p->format.channels), 0);
    p->history.assign(size_t(p->format.rate) * HISTORY_MS / 1000 * size_t(p->format.channels), 0);
    p->stretch.tempo = Tempo();
    ClarityOpen(p->clarity, p->format.channels, p->format.rate);
    p->fadeFrom.assign(size_t(p->fadeFrames) * size_t(p->format.channels), 0);
    p->state = VBMP3_STOPPED;
    p->position = 0;
    StartAt(*p, 0);
    player = p;

    memset(info, 0, sizeof *info);
    info->format = p->format.fileKind;
    info->sampleRate = int32_t(p->format.rate);
    info->channels = p->format.channels;
    info->bitRate = int32_t(p->format.kbps);
    info->length = int32_t(p->format.frames / p->format.rate);
    return 1;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_close(void) {
    ScopedLock locked(&lock);
    int32_t r = player ? 1 : 0;
    if (player) ClosePlayer(player);
    player = nullptr;
    return r;
}

// Play from stopped and restart from paused: the sound starts again at the held position. With
// no device to play on, the file waits paused there and the call fails.
static int32_t Resume(int fromState) {
    ScopedLock locked(&lock);
    int32_t r = 0;
    if (player && player->state == fromState && !player->wave && !OpenDevice(*player)) {
        player->state = VBMP3_PAUSED;
        player->idleSince = GetTickCount();
    } else if (player && player->state == fromState) {
        ClearDeviceForStart(*player);
        StartAt(*player, player->position);
        player->state = VBMP3_PLAYING;
        SetEvent(wake);
        r = 1;
    }
    return r;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_play(void) { return Resume(VBMP3_STOPPED); }

// Pause and stop: the sound fades out where the listener is, and that position is kept.
static int32_t Halt(bool fromPaused, int newState) {
    ScopedLock locked(&lock);
    int32_t r = 0;
    if (player &&
        (player->state == VBMP3_PLAYING || (fromPaused && player->state == VBMP3_PAUSED))) {
        if (player->state == VBMP3_PLAYING) {
            player->position = HeardFrame(*player);
            FadeOutAndReset(*player, player->position);
        }
        player->state = newState;
        player->idleSince = GetTickCount();
        r = 1;
    }
    return r;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_pause(void) { return Halt(false, VBMP3_PAUSED); }
VBMP3_API int32_t VBMP3_CALL vbmp3_stop(void) { return Halt(true, VBMP3_STOPPED); }

VBMP3_API int32_t VBMP3_CALL vbmp3_restart(void) { return Resume(VBMP3_PAUSED); }

VBMP3_API int32_t VBMP3_CALL vbmp3_seek(int32_t seconds) {
    ScopedLock locked(&lock);
    int32_t r = 0;
    if (player && player->state != VBMP3_STOPPED) {
        double frame = seconds < 0 ? 0 : double(seconds) * player->format.rate;
        if (frame > double(player->format.frames)) frame = double(player->format.frames);
        if (player->state == VBMP3_PLAYING) {
            FadeOutAndReset(*player, frame);  // the fade-out stands for the new place already
            StartAt(*player, frame);
            SetEvent(wake);
        } else {
            player->position = frame;
        }
        r = 1;
    }
    return r;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_getState(int32_t *position) {
    ScopedLock locked(&lock);
    int32_t state = 0;
    double frame = 0;
    if (player) {
        if (player->state == VBMP3_PLAYING) Pump(*player);  // notices the end without waiting
        state = player->state;
        frame = state == VBMP3_PLAYING ? HeardFrame(*player) : player->position;
        if (frame < 0) frame = 0;
        if (frame > double(player->format.frames)) frame = double(player->format.frames);
    }
    if (position) *position = player ? int32_t(frame / player->format.rate) : 0;
    return state;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_setPitch(int32_t value) {
    ScopedLock locked(&lock);
    int32_t r = 0;
    if (started && value >= VBMP3_PITCH_MIN && value <= VBMP3_PITCH_MAX) {
        pitch = value;
        if (player) StretchSetTempo(player->stretch, Tempo());
        r = 1;
    }
    return r;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_getPitch(void) {
    ScopedLock locked(&lock);
    int32_t r = started ? pitch : 0;
    return r;
}

// The settings are kept by the library, for every file it opens.
static int32_t Choose(int32_t *setting, int32_t value, bool valid) {
    ScopedLock locked(&lock);
    if (!started || !valid) return 0;
    bool change = *setting != value;
    *setting = value;
    if (player && change) ApplyClarity(*player);
    return 1;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_setClarity(int32_t flags) {
    return Choose(&clarityFlags, flags,
                  !(flags & ~(VBMP3_AUTO_GAIN | VBMP3_NOISE_REDUCTION | VBMP3_LOW_CUT)));
}

VBMP3_API int32_t VBMP3_CALL vbmp3_setChannel(int32_t value) {
    return Choose(&channel, value, value >= VBMP3_CHANNEL_BOTH && value <= VBMP3_CHANNEL_RIGHT);
}
}
