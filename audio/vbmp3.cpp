// vbmp3.dll's exported calls and the player behind them: one open file, a feeder thread that
// decodes, clarifies and stretches the sound and keeps a few short waveOut buffers queued, and the
// map from output samples back to source time that getState reports. The output device is opened
// when sound is wanted, on the default device of that moment, and replaced when it goes away.
// Everything the GUI thread and the feeder share sits under one lock; every waveOut call but a
// device's close is made under it too.
#include <windows.h>
#include <mmsystem.h>

#include <math.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "audio/clarity.h"
#include "audio/decoder.h"
#include "audio/media_decoder.h"
#include "audio/output_clock.h"
#include "audio/stretch.h"
#include "common/scoped_lock.h"
#include "audio/vbmp3.h"

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
    CLOSER_STACK = 64 * 1024,
    HISTORY_MS = 400,  // kept of what was written, to fade out from where the listener is
    TAG_RING = 64,     // buffers remembered for the position map (well over HISTORY_MS)
    // A recording that brings nothing for this long (a network share, a disk waking up) shows
    // as paused where it was heard; the next play or seek asks for it again.
    SLOW_READ_PAUSE_MS = 3000,
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

// One device's buffers. They belong to that device from their prepare until it gives every one
// back, and are never prepared on another: a device that keeps one keeps them all.
struct Buffers {
    OutBuffer slot[SLOTS];
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
    Buffers *buffers;
    uint64_t written;       // device frames written since the last reset
    uint64_t backEnd;       // ... and given back (the furthest buffer end)
    DeviceCounter counter;  // the device's position in the unit it reports
    uint64_t played;        // ... in frames
    bool inputEnded;
    bool waiting;  // the decoder has had nothing to give since waitingSince (a tick)
    DWORD waitingSince;
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
    double loopFrom, loopTo;       // source frames of the loop; loopTo 0: no loop
};
}  // namespace

// A reader's own decoder, never touched by the player or its lock.
struct Vbmp3Reader {
    Decoder *decoder;
    HANDLE wake;  // set by a decoder that kept the reader waiting and has more
    DWORD waitingSince;
    bool waiting;
};

static CRITICAL_SECTION lock;
static bool started;
static HANDLE wake;
static HANDLE feeder;
static volatile LONG quitting;
static int32_t pitch = VBMP3_PITCH_NORMAL;
static int32_t clarityFlags;  // VBMP3_AUTO_GAIN...
static int32_t channel = VBMP3_CHANNEL_BOTH;
static Player *player;  // null when no file is open

// A device on its way out, with the buffers it has not given back (null when it gave all back).
struct Retired {
    HWAVEOUT wave;
    Buffers *buffers;
    Retired *next;
};
// Devices waiting for their close, oldest first, and whether the one thread that closes them
// runs. Under retiredLock, which is never held across a device call.
static CRITICAL_SECTION retiredLock;
static Retired *retired;
static bool closerRuns;

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
    if (t.wType == TIME_SAMPLES)
        p.played = AdvanceCounter(p.counter, t.u.sample, 1);
    else if (t.wType == TIME_BYTES)
        p.played = AdvanceCounter(p.counter, t.u.cb, uint32_t(2 * p.format.channels));
    return p.played;
}

static bool Reclaim(Player &p);

// The output frame the listener hears now, within what the device has and has not given back.
static uint64_t HeardOutputFrame(Player &p) {
    Reclaim(p);
    uint64_t held = p.written;
    for (const OutBuffer &b : p.buffers->slot)
        if (b.queued && b.outStart + b.frames < held) held = b.outStart + b.frames;
    return HeardOutput(p.clock, DeviceFrames(p), p.backEnd, held);
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

// Empties the device. One that refuses keeps what it holds, and is replaced by the next pass.
static bool ResetDevice(Player &p) {
    if (waveOutReset(p.wave) != MMSYSERR_NOERROR) {
        p.deviceFailed = true;
        return false;
    }
    for (OutBuffer &b : p.buffers->slot) {
        b.queued = false;
        b.frames = 0;
    }
    p.written = p.backEnd = 0;
    p.played = 0;
    p.counter = DeviceCounter();
    p.tagCount = 0;
    return true;
}

// Takes back the buffers the device has played, each telling how far ahead the device's
// position runs. True if any came back.
static bool Reclaim(Player &p) {
    bool back = false;
    uint64_t position = 0;
    for (OutBuffer &b : p.buffers->slot) {
        if (!b.queued || !(b.header.dwFlags & WHDR_DONE)) continue;
        if (!back) position = DeviceFrames(p);
        back = true;
        b.queued = false;
        if (b.outStart + b.frames > p.backEnd) p.backEnd = b.outStart + b.frames;
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

// ---- loop -------------------------------------------------------------------------------------

static bool Looping(const Player &p) { return p.loopTo > p.loopFrom; }

// Back to the loop's start, with the fade-in of a start; what was written before plays out, so
// the sound goes on without a gap.
static void LoopBack(Player &p) {
    uint64_t f = uint64_t(p.loopFrom);
    SeekDecoder(p.decoder, ClarityRestart(p.clarity, Clarified(), f));
    std::fill(p.fadeFrom.begin(), p.fadeFrom.end(), int16_t(0));
    StretchReset(p.stretch, p.format.channels, p.format.rate, f);
    p.inputEnded = false;
    p.fadeLeft = p.fadeFrames;
    p.lastTo = double(f);
}

// A buffer of `done` frames for source from..*to that reaches the loop's end is cut there, its
// last frames faded out, and the pipeline goes back to the start. Returns the frames kept.
static uint32_t CutAtLoopEnd(Player &p, int16_t *out, uint32_t done, double from, double *to) {
    if (!Looping(p) || done == 0 || *to < p.loopTo || *to <= from) return done;
    double share = (p.loopTo - from) / (*to - from);
    uint32_t kept = share <= 0 ? 1 : uint32_t(ceil(share * done));
    if (kept > done) kept = done;
    uint32_t fade = kept < p.fadeFrames ? kept : p.fadeFrames;
    int c = p.format.channels;
    for (uint32_t i = 0; i < fade; ++i) {
        double gain = 0.5 + 0.5 * cos(3.14159265358979 * (i + 1) / fade);
        int16_t *frame = out + size_t(kept - fade + i) * size_t(c);
        for (int ch = 0; ch < c; ++ch) frame[ch] = int16_t(lrint(frame[ch] * gain));
    }
    *to = p.loopTo;
    LoopBack(p);
    return kept;
}

// ---- feeding ----------------------------------------------------------------------------------

// Fills `out` with up to `want` frames of stretched sound; from/to get the source span.
static uint32_t Produce(Player &p, int16_t *out, uint32_t want, double *from, double *to) {
    uint32_t done = 0;
    int c = p.format.channels;
    // Past the loop's end already (B set behind the sound), or the file ended inside the loop.
    if (Looping(p) && (p.lastTo >= p.loopTo || (p.inputEnded && StretchReady(p.stretch) == 0)))
        LoopBack(p);
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
        if (read == 0 && DecoderWaiting(p.decoder)) {
            // Never waited for here, under the lock: the decoder sets `wake` when it has more.
            if (!p.waiting) p.waitingSince = GetTickCount();
            p.waiting = true;
            break;
        }
        p.waiting = false;
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
    return CutAtLoopEnd(p, out, done, *from, to);
}

static bool AnyQueued(const Player &p) {
    for (const OutBuffer &b : p.buffers->slot)
        if (b.queued) return true;
    return false;
}

static void ChangeDevice(Player &p);

static void Pump(Player &p) {
    if (p.state != VBMP3_PLAYING) return;
    bool back = Reclaim(p);
    for (int i = 0; i < QUEUED_BUFFERS && !p.deviceFailed; ++i) {
        OutBuffer &b = p.buffers->slot[i];
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
    } else if (p.waiting && !busy && GetTickCount() - p.waitingSince >= SLOW_READ_PAUSE_MS) {
        p.state = VBMP3_PAUSED;
        p.position = HeardFrame(p);
        p.idleSince = GetTickCount();
    }
}

// ---- the output device ------------------------------------------------------------------------

static void CloseDevice(Player &p);

// Opens the default device with this file's buffers prepared on it.
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
    bool prepared = true;
    for (OutBuffer &b : p.buffers->slot) {
        b.header.lpData = reinterpret_cast<LPSTR>(b.data.data());
        b.header.dwBufferLength = DWORD(b.data.size() * 2);
        b.header.dwFlags = 0;
        prepared = prepared &&
                   waveOutPrepareHeader(p.wave, &b.header, sizeof b.header) == MMSYSERR_NOERROR;
        b.header.dwFlags |= WHDR_DONE;
        b.queued = false;
        b.frames = 0;
    }
    p.deviceFailed = false;
    p.written = p.backEnd = p.played = 0;
    p.counter = DeviceCounter();
    p.tagCount = 0;
    ResetOutputClock(p.clock, GetTickCount());
    if (!prepared) CloseDevice(p);
    return prepared;
}

static Buffers *NewBuffers(const Player &p) {
    Buffers *buffers = new Buffers();
    for (int i = 0; i < SLOTS; ++i) {
        // The fade slot holds a whole fade, which may be longer than a buffer.
        uint32_t frames =
            i == FADE_SLOT && p.fadeFrames > p.bufferFrames ? p.fadeFrames : p.bufferFrames;
        buffers->slot[i].data.assign(size_t(frames) * size_t(p.format.channels), 0);
    }
    return buffers;
}

// The one thread that closes devices, one after another until none waits. A close that
// succeeds leaves the driver holding nothing, so the buffers it kept are freed then.
static DWORD WINAPI CloserMain(void *) {
    for (;;) {
        Retired *r;
        {
            ScopedLock held(&retiredLock);
            r = retired;
            if (!r) {
                closerRuns = false;
                return 0;
            }
            retired = r->next;
        }
        if (waveOutClose(r->wave) == MMSYSERR_NOERROR) delete r->buffers;
        delete r;
    }
}

// Lets the device go; on a device that has gone away each call fails at once. Buffers it does
// not give back stay with it, and the file goes on with new ones. Under Wine the close itself
// was seen never to return after devices had come and gone, so it is made on a thread of its
// own and waited for only briefly. While one close hangs, later devices wait behind it rather
// than each taking a thread of its own.
static void CloseDevice(Player &p) {
    if (!p.wave) return;
    bool reset = waveOutReset(p.wave) == MMSYSERR_NOERROR, allBack = true;
    for (OutBuffer &b : p.buffers->slot) {
        if (b.queued && !reset) allBack = false;
        if ((b.header.dwFlags & WHDR_PREPARED) &&
            waveOutUnprepareHeader(p.wave, &b.header, sizeof b.header) != MMSYSERR_NOERROR)
            allBack = false;
        b.queued = false;
        b.frames = 0;
    }
    Retired *r = new Retired{p.wave, allBack ? nullptr : p.buffers, nullptr};
    if (!allBack) p.buffers = NewBuffers(p);
    p.wave = nullptr;
    bool start;
    {
        ScopedLock held(&retiredLock);
        Retired **last = &retired;
        while (*last) last = &(*last)->next;
        *last = r;
        start = !closerRuns;
        closerRuns = true;
    }
    if (!start) return;
    HANDLE closer = CreateThread(nullptr, CLOSER_STACK, CloserMain, nullptr,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!closer) {
        ScopedLock held(&retiredLock);
        closerRuns = false;  // the next device let go tries again
        return;
    }
    WaitForSingleObject(closer, CLOSE_WAIT_MS);
    CloseHandle(closer);
}

// Whether a close is still under way (or hangs): an idle device is then kept open.
static bool Closing() {
    ScopedLock held(&retiredLock);
    return closerRuns;
}

static DWORD WINAPI FeederMain(void *) {
    while (!quitting) {
        WaitForSingleObject(wake, FEEDER_POLL_MS);
        ScopedLock locked(&lock);
        if (!player || quitting) continue;
        Player &p = *player;
        Pump(p);
        if (p.wave && p.state != VBMP3_PLAYING && GetTickCount() - p.idleSince >= IDLE_CLOSE_MS &&
            !Closing()) {
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
    OutBuffer &fade = p.buffers->slot[FADE_SLOT];
    uint32_t copied = HeardAhead(p, fade.data.data());
    int c = p.format.channels;
    for (uint32_t i = 0; i < copied; ++i) {
        double gain = 0.5 + 0.5 * cos(3.14159265358979 * (i + 1) / copied);
        for (int ch = 0; ch < c; ++ch) {
            int16_t &v = fade.data[size_t(i) * size_t(c) + size_t(ch)];
            v = int16_t(lrint(v * gain));
        }
    }
    if (!ResetDevice(p) || copied == 0) return;
    Write(p, fade, copied, standsFor, standsFor);
}

// Before a start: a fade-out still playing is left to finish (the new sound follows it); the
// tail of a file that played to its end is cut.
static void ClearDeviceForStart(Player &p) {
    Reclaim(p);
    for (int i = 0; i < QUEUED_BUFFERS; ++i)
        if (p.buffers->slot[i].queued) {
            ResetDevice(p);
            return;
        }
}

// Starts the pipeline afresh at the decoder's position; the feeder (woken) or the caller fills
// the device. The fade-in crosses from the first `heard` frames of fadeFrom, and from silence
// after them.
static void StartHere(Player &p, uint32_t heard = 0) {
    uint64_t f = DecoderPosition(p.decoder);
    // The clarity stages are primed by the sound before the place: the decoder starts that early.
    uint64_t primed = ClarityRestart(p.clarity, Clarified(), f);
    if (primed != f) SeekDecoder(p.decoder, primed);
    size_t c = size_t(p.format.channels);
    std::fill(p.fadeFrom.begin() + ptrdiff_t(heard * c), p.fadeFrom.end(), int16_t(0));
    StretchReset(p.stretch, p.format.channels, p.format.rate, f);
    p.inputEnded = false;
    p.waiting = false;
    p.fadeLeft = p.fadeFrames;
    RestartWatch(p.clock, p.wave ? DeviceFrames(p) : 0, GetTickCount());
    p.lastTo = double(f);
    // What still sounds (a pause's fade-out) is heard as the new place already: a resume that
    // went back must be reported at once, not after the old place has faded away.
    uint32_t kept = p.tagCount < TAG_RING ? p.tagCount : uint32_t(TAG_RING);
    for (uint32_t k = 1; k <= kept; ++k) {
        Tag &t = p.tags[(p.tagCount - k) % TAG_RING];
        t.from = t.to = double(f);
    }
    for (OutBuffer &b : p.buffers->slot)
        if (b.frames && !b.queued) b.frames = 0;
}

// Where the platform refuses the seek, the decoder goes on from where it was, and so does the
// sound.
static void StartAt(Player &p, double frame, uint32_t heard = 0) {
    SeekDecoder(p.decoder, frame <= 0 ? 0 : uint64_t(frame));
    StartHere(p, heard);
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
    delete p->buffers;
    CloseDecoder(p->decoder);
    delete p;
}

// ---- the exported calls -----------------------------------------------------------------------

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&lock);
        InitializeCriticalSection(&retiredLock);
    }
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

// Both opens end here: the ANSI one only reads its path in the system's code page first.
static int32_t OpenPlayer(const wchar_t *path, Vbmp3FileInfo *info) {
    ScopedLock locked(&lock);
    if (!started) return 0;
    if (player) ClosePlayer(player);
    player = nullptr;
    Decoder *decoder = OpenDecoderW(path);
    if (!decoder) return 0;
    SetDecoderWake(decoder, wake);
    Player *p = new Player();
    p->decoder = decoder;
    p->format = GetDecodedFormat(decoder);
    // The device is opened by the first play: a file opens with no sound device at all.
    p->bufferFrames = p->format.rate * BUFFER_MS / 1000;
    p->fadeFrames = p->format.rate * FADE_MS / 1000;
    p->buffers = NewBuffers(*p);
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

VBMP3_API int32_t VBMP3_CALL vbmp3_open(const char *path, Vbmp3FileInfo *info) {
    std::wstring wide;
    if (!path || !info || !WidenAnsiPath(path, &wide)) return 0;
    return OpenPlayer(wide.c_str(), info);
}

VBMP3_API int32_t VBMP3_CALL vbmp3_openW(const wchar_t *path, Vbmp3FileInfo *info) {
    if (!path || !info) return 0;
    return OpenPlayer(path, info);
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
    if (!player || player->state != fromState) return 0;
    if (player->deviceFailed) CloseDevice(*player);  // it refused a reset while pausing
    if (!player->wave && !OpenDevice(*player)) {
        player->state = VBMP3_PAUSED;
        player->idleSince = GetTickCount();
        return 0;
    }
    ClearDeviceForStart(*player);
    StartAt(*player, player->position);
    player->state = VBMP3_PLAYING;
    SetEvent(wake);
    return 1;
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
        uint64_t frame = seconds < 0 ? 0 : uint64_t(seconds) * player->format.rate;
        if (frame > player->format.frames) frame = player->format.frames;
        // A seek the platform refuses is reported, and what plays or waits stays where it was.
        bool moved = SeekDecoder(player->decoder, frame);
        if (moved && player->state == VBMP3_PLAYING) {
            // The fade-out stands for the new place already.
            FadeOutAndReset(*player, double(frame));
            StartHere(*player);
            SetEvent(wake);
        } else if (moved) {
            player->position = double(frame);
        }
        r = moved ? 1 : 0;
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

// loop
VBMP3_API int32_t VBMP3_CALL vbmp3_setLoop(int32_t from, int32_t to) {
    ScopedLock locked(&lock);
    if (!player) return 0;
    double last = double(player->format.frames), rate = player->format.rate;
    player->loopFrom = from <= 0 ? 0 : double(from) * rate < last ? double(from) * rate : last;
    player->loopTo = to <= from ? 0 : double(to) * rate < last ? double(to) * rate : last;
    if (player->loopTo <= player->loopFrom) player->loopFrom = player->loopTo = 0;
    return 1;
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
// reader
VBMP3_API Vbmp3Reader *VBMP3_CALL vbmp3_openReaderW(const wchar_t *path, Vbmp3ReaderInfo *info) {
    if (!path || !info) return nullptr;
    HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Decoder *decoder = wake ? OpenDecoderW(path) : nullptr;
    if (!decoder) {
        if (wake) CloseHandle(wake);
        return nullptr;
    }
    SetDecoderWake(decoder, wake);
    DecodedFormat f = GetDecodedFormat(decoder);
    info->rate = int32_t(f.rate);
    info->channels = f.channels;
    info->frames = int64_t(f.frames);
    return new Vbmp3Reader{decoder, wake, 0, false};
}

VBMP3_API int32_t VBMP3_CALL vbmp3_seekReader(Vbmp3Reader *reader, int64_t frame) {
    if (!reader) return 0;
    reader->waiting = false;
    return SeekDecoder(reader->decoder, frame < 0 ? 0 : uint64_t(frame)) ? 1 : 0;
}

VBMP3_API int32_t VBMP3_CALL vbmp3_readReader(Vbmp3Reader *reader, int16_t *out, int32_t frames) {
    if (!reader || !out || frames <= 0) return 0;
    size_t n = ReadDecoder(reader->decoder, out, size_t(frames));
    if (n == 0 && DecoderWaiting(reader->decoder)) {
        DWORD now = GetTickCount();
        if (!reader->waiting) reader->waitingSince = now;
        reader->waiting = true;
        if (now - reader->waitingSince >= VBMP3_READER_STALL_MS) return 0;
        WaitForSingleObject(reader->wake, VBMP3_READER_WAIT_MS);
        n = ReadDecoder(reader->decoder, out, size_t(frames));
        if (n == 0 && DecoderWaiting(reader->decoder)) return VBMP3_READER_WAITING;
    }
    reader->waiting = false;
    return int32_t(n);
}

VBMP3_API int32_t VBMP3_CALL vbmp3_closeReader(Vbmp3Reader *reader) {
    if (!reader) return 0;
    CloseDecoder(reader->decoder);
    CloseHandle(reader->wake);
    delete reader;
    return 1;
}
}
