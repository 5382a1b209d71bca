// The media route: one decoder thread per open file owns COM, Media Foundation and the source
// reader; it opens the file, then decodes ahead into a queue the caller reads from. A seek is a
// request the thread serves next; everything it decoded for an older request is dropped. The
// caller never waits on the platform longer than the open and stall timeouts: a thread that the
// platform still holds when the caller gives up is left to end and free itself.
#include "audio/media_decoder.h"

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <string.h>

#include <string>
#include <vector>

#include "audio/pcm_convert.h"
#include "common/scoped_lock.h"

enum {
    READ_AHEAD_MS = 500,  // decoded and waiting before the thread rests
    END_PAD_MS = 100,     // a stream this much short of its stated length is filled with silence
    PCM_TAG = 1,          // WAVE_FORMAT_PCM, for the down-mix
    HNS_PER_SECOND = 10000000,
};

// Shared by the caller and the decoder thread. The requests and the thread's answer are guarded by
// `lock`; the rest is written before the other side reads it, or belongs to one side only.
struct MediaDecoder {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    volatile LONG refs;  // the caller's and the thread's
    std::wstring path;
    MediaKind kind;
    MediaReaderMaker maker;
    // Set by the thread before `opened`, read-only after.
    MediaFormat format;
    int sourceChannels;
    uint32_t delay;  // frames the platform's decoder leaves in after every start
    bool opened, openFailed;
    // Requests from the caller.
    bool quit, seekPending;
    uint64_t generation, seekTo;
    // The thread's answer for the current generation.
    std::vector<int16_t> queue;
    size_t queueAt;  // in samples
    bool ended;
    // The caller's own (never touched by the thread).
    HANDLE thread;
    uint64_t position;
    bool stalled;
};

static volatile LONG threadsRunning;

static void Release(MediaDecoder *m) {
    if (InterlockedDecrement(&m->refs) != 0) return;
    DeleteCriticalSection(&m->lock);
    delete m;
}

template <class T>
static void Drop(T *&p) {
    if (p) p->Release();
    p = nullptr;
}

static long MakePlatformReader(const wchar_t *path, IMFSourceReader **reader) {
    IMFByteStream *stream = nullptr;
    // Through a byte stream the file is recognised by its content, whatever its extension.
    HRESULT hr = MFCreateFile(MF_ACCESSMODE_READ, MF_OPENMODE_FAIL_IF_NOT_EXIST, MF_FILEFLAGS_NONE,
                              path, &stream);
    if (FAILED(hr)) return hr;
    hr = MFCreateSourceReaderFromByteStream(stream, nullptr, reader);
    stream->Release();
    return hr;
}

static bool IsDecodedSubtype(const GUID &subtype) {
    return subtype == MFAudioFormat_PCM || subtype == MFAudioFormat_Float;
}

// Chooses the first sound stream as 16-bit PCM at its own rate and reads the format and length.
static bool Configure(MediaDecoder *m, IMFSourceReader *reader) {
    const DWORD AUDIO = DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
    reader->SetStreamSelection(DWORD(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (FAILED(reader->SetStreamSelection(AUDIO, TRUE))) return false;  // no sound in it
    IMFMediaType *native = nullptr, *wanted = nullptr, *current = nullptr;
    GUID subtype = GUID_NULL;
    bool ok = SUCCEEDED(reader->GetNativeMediaType(AUDIO, 0, &native)) &&
              SUCCEEDED(native->GetGUID(MF_MT_SUBTYPE, &subtype));
    ok = ok && SUCCEEDED(MFCreateMediaType(&wanted)) &&
         SUCCEEDED(wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) &&
         SUCCEEDED(wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) &&
         SUCCEEDED(wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16)) &&
         SUCCEEDED(reader->SetCurrentMediaType(AUDIO, nullptr, wanted)) &&
         SUCCEEDED(reader->GetCurrentMediaType(AUDIO, &current));
    UINT32 rate = 0, channels = 0, bits = 0;
    ok = ok && SUCCEEDED(current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate)) &&
         SUCCEEDED(current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels)) &&
         SUCCEEDED(current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits));
    Drop(native);
    Drop(wanted);
    Drop(current);
    if (!ok || rate < 1000 || rate > 384000 || channels < 1 || channels > 32 || bits != 16)
        return false;
    PROPVARIANT duration;
    PropVariantInit(&duration);
    ok = SUCCEEDED(reader->GetPresentationAttribute(DWORD(MF_SOURCE_READER_MEDIASOURCE),
                                                    MF_PD_DURATION, &duration)) &&
         duration.vt == VT_UI8;
    uint64_t hns = ok ? duration.uhVal.QuadPart : 0;
    PropVariantClear(&duration);
    uint64_t frames =
        (hns / HNS_PER_SECOND) * rate + (hns % HNS_PER_SECOND) * rate / HNS_PER_SECOND;
    if (frames == 0) return false;
    m->format.rate = rate;
    m->format.channels = OutputChannels(int(channels));
    m->format.frames = frames;
    m->sourceChannels = int(channels);
    // A source that hands out decoded sound itself decodes inside (as a source built on another
    // media framework does) and leaves the codec's delay in; the platform's own decoders, which
    // the reader adds behind a compressed stream, take it out.
    m->delay = IsDecodedSubtype(subtype) ? LeftInCodecDelay(m->kind, rate) : 0;
    return true;
}

enum Step { STEP_QUIT, STEP_SEEK, STEP_READ };

// Waits for something to do: a quit, a seek, or room in the queue.
static Step NextStep(MediaDecoder *m, uint64_t *generation, uint64_t *target) {
    ScopedLock hold(&m->lock);
    size_t ahead = size_t(m->format.rate) * READ_AHEAD_MS / 1000 * size_t(m->format.channels);
    for (;;) {
        if (m->quit) return STEP_QUIT;
        *generation = m->generation;
        if (m->seekPending) {
            m->seekPending = false;
            *target = m->seekTo;
            return STEP_SEEK;
        }
        if (!m->ended && m->queue.size() - m->queueAt < ahead) return STEP_READ;
        SleepConditionVariableCS(&m->changed, &m->lock, INFINITE);
    }
}

// Hands decoded samples to the caller unless a newer request made them stale.
static void Deliver(MediaDecoder *m, uint64_t generation, const std::vector<int16_t> &samples,
                    bool ended) {
    ScopedLock hold(&m->lock);
    if (generation != m->generation) return;
    if (m->queueAt > 0 && m->queueAt * 2 >= m->queue.size()) {
        m->queue.erase(m->queue.begin(), m->queue.begin() + ptrdiff_t(m->queueAt));
        m->queueAt = 0;
    }
    m->queue.insert(m->queue.end(), samples.begin(), samples.end());
    m->ended = m->ended || ended;
    WakeAllConditionVariable(&m->changed);
}

// Where the thread stands in the stream after a seek. Counting: the platform lands on the target
// and its timestamps are not to be trusted, so what comes is handed out as it comes. Timed (a
// platform decoder that leaves its delay in): the seek goes somewhat before the target, and the
// first sample's timestamp, less the delay, says how much to drop to reach it.
struct Cursor {
    bool timed;
    bool aligning;      // the first sample after the seek is still to come
    uint64_t target;    // frame asked for
    uint64_t skipLeft;  // frames still to drop
    LONGLONG lastTime;  // of the last sample read, in 100 ns units
};

enum { TIMED_PREROLL_MS = 500 };

static LONGLONG HnsOf(uint64_t frame, uint32_t rate) {
    return LONGLONG(frame / rate * HNS_PER_SECOND + frame % rate * HNS_PER_SECOND / rate);
}

// The frames of one sample, converted, with what the cursor says to drop left out (or silence put
// in where a seek landed past its target). False at the end of the stream or on any failure.
static bool ReadOne(MediaDecoder *m, IMFSourceReader *reader, Cursor *cursor,
                    std::vector<int16_t> *out) {
    DWORD stream = 0, flags = 0;
    LONGLONG time = 0;
    IMFSample *sample = nullptr;
    HRESULT hr = reader->ReadSample(DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM), 0, &stream, &flags,
                                    &time, &sample);
    if (FAILED(hr) || (flags & (MF_SOURCE_READERF_ERROR | MF_SOURCE_READERF_ENDOFSTREAM))) {
        Drop(sample);
        return false;
    }
    if (!sample) return true;  // a gap or a notice: nothing to hand out
    cursor->lastTime = time;
    IMFMediaBuffer *buffer = nullptr;
    BYTE *bytes = nullptr;
    DWORD length = 0;
    bool ok = SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer)) &&
              SUCCEEDED(buffer->Lock(&bytes, nullptr, &length));
    if (ok) {
        size_t c = size_t(m->format.channels);
        if (cursor->timed && cursor->aligning) {
            cursor->aligning = false;
            uint32_t rate = m->format.rate;
            LONGLONG at = time < 0 ? 0 : time;
            int64_t start = int64_t(uint64_t(at) / HNS_PER_SECOND * rate +
                                    uint64_t(at) % HNS_PER_SECOND * rate / HNS_PER_SECOND) -
                            int64_t(m->delay);
            if (start < int64_t(cursor->target)) {
                cursor->skipLeft = cursor->target - uint64_t(start);
            } else {
                out->resize(out->size() + size_t(uint64_t(start) - cursor->target) * c, 0);
            }
        }
        size_t frameBytes = 2 * size_t(m->sourceChannels), frames = length / frameBytes;
        size_t skip = frames < cursor->skipLeft ? frames : size_t(cursor->skipLeft);
        cursor->skipLeft -= skip;
        size_t at = out->size();
        out->resize(at + (frames - skip) * c);
        ConvertToPcm16(bytes + skip * frameBytes, frames - skip, PCM_TAG, 16, m->sourceChannels,
                       out->data() + at);
        buffer->Unlock();
    }
    Drop(buffer);
    Drop(sample);
    return ok;
}

static bool SeekReader(MediaDecoder *m, IMFSourceReader *reader, uint64_t target, Cursor *cursor) {
    cursor->timed = m->delay > 0;
    cursor->aligning = true;
    cursor->target = target;
    cursor->skipLeft = 0;
    uint64_t from = target;
    if (cursor->timed) {
        uint64_t preroll = uint64_t(m->format.rate) * TIMED_PREROLL_MS / 1000;
        from = target > preroll ? target - preroll : 0;
    }
    PROPVARIANT at;
    PropVariantInit(&at);
    at.vt = VT_I8;
    at.hVal.QuadPart = HnsOf(from, m->format.rate);
    return target < m->format.frames && SUCCEEDED(reader->SetCurrentPosition(GUID_NULL, at));
}

static void Serve(MediaDecoder *m, IMFSourceReader *reader) {
    Cursor cursor = {};
    std::vector<int16_t> decoded;
    for (;;) {
        uint64_t generation = 0, target = 0;
        Step step = NextStep(m, &generation, &target);
        if (step == STEP_QUIT) return;
        decoded.clear();
        if (step == STEP_SEEK) {
            if (!SeekReader(m, reader, target, &cursor)) Deliver(m, generation, decoded, true);
            continue;
        }
        bool more = ReadOne(m, reader, &cursor, &decoded);
        Deliver(m, generation, decoded, !more);
    }
}

// A file cut short still states its whole length: it must have sound a second before its end.
static bool ReachesItsEnd(MediaDecoder *m, IMFSourceReader *reader) {
    uint64_t frames = m->format.frames, second = m->format.rate;
    uint64_t target = frames > second ? frames - second : 0;
    Cursor cursor = {};
    if (!SeekReader(m, reader, target, &cursor)) return false;
    std::vector<int16_t> decoded;
    for (int tries = 0; tries < 64 && decoded.empty(); ++tries)
        if (!ReadOne(m, reader, &cursor, &decoded)) return false;
    // A platform may answer a seek past what is there with the last sound it has.
    return !decoded.empty() && cursor.lastTime + HNS_PER_SECOND >= HnsOf(target, m->format.rate);
}

static DWORD WINAPI MediaMain(void *context) {
    MediaDecoder *m = static_cast<MediaDecoder *>(context);
    HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    bool started = SUCCEEDED(com) && SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_LITE));
    IMFSourceReader *reader = nullptr;
    bool ok = started && SUCCEEDED(m->maker(m->path.c_str(), &reader)) && reader &&
              Configure(m, reader) && ReachesItsEnd(m, reader);
    {
        ScopedLock hold(&m->lock);
        m->opened = true;
        m->openFailed = !ok;
        WakeAllConditionVariable(&m->changed);
    }
    if (ok) Serve(m, reader);
    Drop(reader);
    if (started) MFShutdown();
    if (SUCCEEDED(com)) CoUninitialize();
    Release(m);
    InterlockedDecrement(&threadsRunning);
    return 0;
}

// Waits on the condition until `done` holds or `ms` have passed; the lock is held.
template <class Done>
static bool WaitUntil(MediaDecoder *m, DWORD ms, Done done) {
    DWORD start = GetTickCount();
    while (!done()) {
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return false;
        SleepConditionVariableCS(&m->changed, &m->lock, ms - spent);
    }
    return true;
}

// `wait`: how long the thread may take to end before it is left to end by itself.
static void EndThread(MediaDecoder *m, DWORD wait) {
    {
        ScopedLock hold(&m->lock);
        m->quit = true;
        WakeAllConditionVariable(&m->changed);
    }
    // A thread stuck in the platform is left behind; it frees the record when it gets out.
    WaitForSingleObject(m->thread, wait);
    CloseHandle(m->thread);
    Release(m);
}

bool WidenAnsiPath(const char *path, std::wstring *wide) {
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (units <= 0) return false;
    wide->resize(size_t(units));
    MultiByteToWideChar(CP_ACP, 0, path, -1, &(*wide)[0], units);
    wide->resize(size_t(units) - 1);
    return true;
}

MediaDecoder *OpenMediaDecoder(const char *path, MediaKind kind, MediaReaderMaker maker) {
    std::wstring wide;
    return WidenAnsiPath(path, &wide) ? OpenMediaDecoderW(wide.c_str(), kind, maker) : nullptr;
}

MediaDecoder *OpenMediaDecoderW(const wchar_t *path, MediaKind kind, MediaReaderMaker maker) {
    MediaDecoder *m = new MediaDecoder();
    m->path = path;
    m->kind = kind;
    m->maker = maker ? maker : MakePlatformReader;
    m->refs = 2;
    InitializeCriticalSection(&m->lock);
    InitializeConditionVariable(&m->changed);
    InterlockedIncrement(&threadsRunning);
    m->thread = CreateThread(nullptr, 0, MediaMain, m, 0, nullptr);
    if (!m->thread) {
        InterlockedDecrement(&threadsRunning);
        DeleteCriticalSection(&m->lock);
        delete m;
        return nullptr;
    }
    bool answered, ok;
    {
        ScopedLock hold(&m->lock);
        answered = WaitUntil(m, MEDIA_OPEN_TIMEOUT_MS, [m] { return m->opened; });
        ok = answered && !m->openFailed;
    }
    if (!ok) {
        EndThread(m, answered ? DWORD(MEDIA_STALL_TIMEOUT_MS) : 0);
        return nullptr;
    }
    SeekMediaDecoder(m, 0);
    return m;
}

void CloseMediaDecoder(MediaDecoder *m) {
    if (m) EndThread(m, MEDIA_STALL_TIMEOUT_MS);
}

MediaFormat GetMediaFormat(const MediaDecoder *m) { return m->format; }

uint64_t MediaDecoderPosition(const MediaDecoder *m) { return m->position; }

long MediaThreadsRunning() { return InterlockedCompareExchange(&threadsRunning, 0, 0); }

void SeekMediaDecoder(MediaDecoder *m, uint64_t frame) {
    if (frame > m->format.frames) frame = m->format.frames;
    m->position = frame;
    ScopedLock hold(&m->lock);
    ++m->generation;
    m->seekTo = frame;
    m->seekPending = true;
    m->queue.clear();
    m->queueAt = 0;
    m->ended = false;
    WakeAllConditionVariable(&m->changed);
}

size_t ReadMediaDecoder(MediaDecoder *m, int16_t *out, size_t frames) {
    uint64_t left = m->format.frames - m->position;
    if (frames > left) frames = size_t(left);
    size_t c = size_t(m->format.channels), done = 0;
    {
        ScopedLock hold(&m->lock);
        while (done < frames && !m->stalled) {
            size_t have = (m->queue.size() - m->queueAt) / c;
            if (have) {
                size_t n = have < frames - done ? have : frames - done;
                memcpy(out + done * c, m->queue.data() + m->queueAt, n * c * 2);
                m->queueAt += n * c;
                done += n;
                WakeAllConditionVariable(&m->changed);  // room again for the thread
                continue;
            }
            if (m->ended) break;
            if (!WaitUntil(m, MEDIA_STALL_TIMEOUT_MS,
                           [m] { return m->ended || m->queue.size() > m->queueAt; }))
                m->stalled = true;  // the platform stopped answering: this is the end
        }
    }
    // Decoders may stop a little short of the stated length (the last block of an AAC stream):
    // the length stays what the file says, the missing end is silence.
    uint64_t reached = m->position + done;
    if (done < frames && !m->stalled &&
        m->format.frames - reached <= uint64_t(m->format.rate) * END_PAD_MS / 1000) {
        memset(out + done * c, 0, (frames - done) * c * 2);
        done = frames;
    }
    m->position += done;
    return done;
}
