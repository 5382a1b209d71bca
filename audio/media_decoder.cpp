// The media route: one decoder thread per open file owns COM, Media Foundation and the source
// reader; it opens the file, then decodes ahead into a queue the caller reads from. A seek is a
// request the thread serves next; everything it decoded for an older request is dropped. The
// caller never waits on the platform to read: a read takes what is decoded and says when more is
// still to come. A thread that the platform still holds when the caller gives up is left to end
// and free itself.
#include "audio/media_decoder.h"

#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <string.h>

#include <string>
#include <vector>

#include "audio/frame_adapt.h"
#include "audio/pcm_convert.h"
#include "common/scoped_lock.h"

enum {
    READ_AHEAD_MS = 500,  // decoded and waiting before the thread rests
    END_PAD_MS = 100,     // a stream this much short of its stated length is filled with silence
    PAD_PIECE_MS = 100,   // silence put in for a gap in the timestamps, a piece at a time
    PCM_TAG = 1,          // WAVE_FORMAT_PCM, for the down-mix
    HNS_PER_SECOND = 10000000,
};

// ---- Media Foundation, loaded at run time
// --------------------------------------------------------

struct Platform {
    HRESULT(WINAPI *startup)(ULONG, DWORD);
    HRESULT(WINAPI *shutdown)();
    HRESULT(WINAPI *createMediaType)(IMFMediaType **);
    HRESULT(WINAPI *createFile)
    (MF_FILE_ACCESSMODE, MF_FILE_OPENMODE, MF_FILE_FLAGS, LPCWSTR, IMFByteStream **);
    HRESULT(WINAPI *readerFromByteStream)(IMFByteStream *, IMFAttributes *, IMFSourceReader **);
};

static Platform platform;
static bool platformPresent;
static INIT_ONCE platformOnce = INIT_ONCE_STATIC_INIT;

// Only from the system folder: a library of that name beside a recording must not be loaded.
static HMODULE LoadSystemLibrary(const wchar_t *name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 without its loader update knows no such flag.
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(name);
    return module;
}

template <class Function>
static bool Find(HMODULE module, const char *name, Function *function) {
    // Through the generic function type: a direct cast between function types warns.
    *function =
        module
            ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
            : nullptr;
    return *function != nullptr;
}

static BOOL CALLBACK LoadPlatform(INIT_ONCE *, void *, void **) {
    HMODULE plat = LoadSystemLibrary(L"mfplat.dll");
    HMODULE readWrite = LoadSystemLibrary(L"mfreadwrite.dll");
    platformPresent =
        Find(plat, "MFStartup", &platform.startup) &&
        Find(plat, "MFShutdown", &platform.shutdown) &&
        Find(plat, "MFCreateMediaType", &platform.createMediaType) &&
        Find(plat, "MFCreateFile", &platform.createFile) &&
        Find(readWrite, "MFCreateSourceReaderFromByteStream", &platform.readerFromByteStream);
    return TRUE;
}

bool MediaPlatformPresent() {
    InitOnceExecuteOnce(&platformOnce, LoadPlatform, nullptr, nullptr);
    return platformPresent;
}

// ---- the decoder
// ---------------------------------------------------------------------------------

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
    uint32_t delay;   // frames the platform's decoder leaves in after every start
    bool hasPicture;  // beside a picture the sound may end before the container does
    bool opened, openFailed;
    // The thread's own: what the reader hands out now (a stream may change it in mid-stream).
    uint32_t sourceRate;
    int sourceChannels;
    // Requests from the caller.
    bool quit, seekPending;
    uint64_t generation, seekTo;
    uint64_t seekBack;  // where the caller was: the decoder goes on there if the platform refuses
    HANDLE wake;
    // The thread's answer for the current generation.
    std::vector<int16_t> queue;
    size_t queueAt;  // in samples
    bool ended;
    uint64_t answered;  // the generation whose seek the thread has served
    bool refused;
    // The caller's own (never touched by the thread).
    HANDLE thread;
    uint64_t position;
    bool waiting;
};

static volatile LONG threadsRunning;
// Set once the platform has answered an open, success or failure: it has started.
static volatile LONG platformAnswered;

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
    HRESULT hr = platform.createFile(MF_ACCESSMODE_READ, MF_OPENMODE_FAIL_IF_NOT_EXIST,
                                     MF_FILEFLAGS_NONE, path, &stream);
    if (FAILED(hr)) return hr;
    hr = platform.readerFromByteStream(stream, nullptr, reader);
    stream->Release();
    return hr;
}

static bool IsDecodedSubtype(const GUID &subtype) {
    return subtype == MFAudioFormat_PCM || subtype == MFAudioFormat_Float;
}

static const DWORD AUDIO = DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

// Reads the rate and channels the reader hands out now; `ask` first asks for 16-bit PCM at the
// stream's own rate and channels.
static bool ReadCurrentType(MediaDecoder *m, IMFSourceReader *reader, bool ask) {
    IMFMediaType *wanted = nullptr, *current = nullptr;
    bool ok = !ask || (SUCCEEDED(platform.createMediaType(&wanted)) &&
                       SUCCEEDED(wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio)) &&
                       SUCCEEDED(wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM)) &&
                       SUCCEEDED(wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16)) &&
                       SUCCEEDED(reader->SetCurrentMediaType(AUDIO, nullptr, wanted)));
    ok = ok && SUCCEEDED(reader->GetCurrentMediaType(AUDIO, &current));
    UINT32 rate = 0, channels = 0, bits = 0;
    ok = ok && SUCCEEDED(current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate)) &&
         SUCCEEDED(current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels)) &&
         SUCCEEDED(current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits));
    Drop(wanted);
    Drop(current);
    if (!ok || rate < 1000 || rate > 384000 || channels < 1 || channels > 32 || bits != 16)
        return false;
    m->sourceRate = rate;
    m->sourceChannels = int(channels);
    return true;
}

static bool HasPicture(IMFSourceReader *reader) {
    bool found = false;
    IMFMediaType *type = nullptr;
    for (DWORD i = 0; !found && SUCCEEDED(reader->GetNativeMediaType(i, 0, &type)); ++i) {
        GUID major = GUID_NULL;
        found = SUCCEEDED(type->GetGUID(MF_MT_MAJOR_TYPE, &major)) && major == MFMediaType_Video;
        Drop(type);
    }
    return found;
}

// Chooses the first sound stream as 16-bit PCM at its own rate and reads the format and length.
static bool Configure(MediaDecoder *m, IMFSourceReader *reader) {
    m->hasPicture = HasPicture(reader);
    reader->SetStreamSelection(DWORD(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (FAILED(reader->SetStreamSelection(AUDIO, TRUE))) return false;  // no sound in it
    IMFMediaType *native = nullptr;
    GUID subtype = GUID_NULL;
    bool ok = SUCCEEDED(reader->GetNativeMediaType(AUDIO, 0, &native)) &&
              SUCCEEDED(native->GetGUID(MF_MT_SUBTYPE, &subtype));
    Drop(native);
    if (!ok || !ReadCurrentType(m, reader, true)) return false;
    PROPVARIANT duration;
    PropVariantInit(&duration);
    ok = SUCCEEDED(reader->GetPresentationAttribute(DWORD(MF_SOURCE_READER_MEDIASOURCE),
                                                    MF_PD_DURATION, &duration)) &&
         duration.vt == VT_UI8;
    uint64_t hns = ok ? duration.uhVal.QuadPart : 0;
    PropVariantClear(&duration);
    uint32_t rate = m->sourceRate;
    uint64_t frames =
        (hns / HNS_PER_SECOND) * rate + (hns % HNS_PER_SECOND) * rate / HNS_PER_SECOND;
    if (frames == 0) return false;
    m->format.rate = rate;
    m->format.channels = OutputChannels(m->sourceChannels);
    m->format.frames = frames;
    // A source that hands out decoded sound itself decodes inside (as a source built on another
    // media framework does) and leaves the codec's delay in; the platform's own decoders, which
    // the reader adds behind a compressed stream, take it out.
    m->delay = IsDecodedSubtype(subtype) ? LeftInCodecDelay(m->kind, rate) : 0;
    return true;
}

struct Request {
    uint64_t generation, target, back;
};

enum Step { STEP_QUIT, STEP_SEEK, STEP_READ };

// Waits for something to do: a quit, a seek, or room in the queue.
static Step NextStep(MediaDecoder *m, Request *request) {
    ScopedLock hold(&m->lock);
    size_t ahead = size_t(m->format.rate) * READ_AHEAD_MS / 1000 * size_t(m->format.channels);
    for (;;) {
        if (m->quit) return STEP_QUIT;
        request->generation = m->generation;
        if (m->seekPending) {
            m->seekPending = false;
            request->target = m->seekTo;
            request->back = m->seekBack;
            return STEP_SEEK;
        }
        if (!m->ended && m->queue.size() - m->queueAt < ahead) return STEP_READ;
        SleepConditionVariableCS(&m->changed, &m->lock, INFINITE);
    }
}

static void Notify(MediaDecoder *m) {
    WakeAllConditionVariable(&m->changed);
    if (m->wake) SetEvent(m->wake);
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
    if (!samples.empty() || ended) Notify(m);
}

static void AnswerSeek(MediaDecoder *m, uint64_t generation, bool refused, bool ended) {
    ScopedLock hold(&m->lock);
    if (generation != m->generation) return;
    m->answered = generation;
    m->refused = refused;
    m->ended = ended;
    Notify(m);
}

// Where the thread stands in the stream after a seek. Counting: the platform lands on the target
// and its timestamps are not to be trusted, so what comes is handed out as it comes. Timed (a
// platform decoder that leaves its delay in): the seek goes somewhat before the target, and the
// first sample's timestamp, less the delay, says how much to drop to reach it, or how much
// silence to put before it.
struct Cursor {
    bool timed;
    bool aligning;      // the first sample after the seek is still to come
    uint64_t target;    // frame asked for
    uint64_t skipLeft;  // frames still to drop
    uint64_t padLeft;   // frames of silence still to hand out before `held`
    std::vector<int16_t> held;
    LONGLONG lastTime;  // of the last sample read, in 100 ns units
    FrameAdapter adapter;
};

enum { TIMED_PREROLL_MS = 500 };

static LONGLONG HnsOf(uint64_t frame, uint32_t rate) {
    return LONGLONG(frame / rate * HNS_PER_SECOND + frame % rate * HNS_PER_SECOND / rate);
}

static uint64_t FrameOf(LONGLONG hns, uint32_t rate) {
    uint64_t at = hns < 0 ? 0 : uint64_t(hns);
    return at / HNS_PER_SECOND * rate + at % HNS_PER_SECOND * rate / HNS_PER_SECOND;
}

// Decides, from the first sample after a seek, what to drop or put in before it. False when the
// sample cannot belong to the file.
static bool Align(MediaDecoder *m, Cursor *cursor, LONGLONG time) {
    cursor->aligning = false;
    uint64_t frames = m->format.frames, target = cursor->target;
    if (!cursor->timed) {
        // A platform may answer a seek past where the sound ends (beside a longer picture) with
        // the last sound it has: from there on it is silence.
        return !m->hasPicture || time + HNS_PER_SECOND >= HnsOf(target, m->format.rate);
    }
    int64_t start = int64_t(FrameOf(time, m->format.rate)) - int64_t(m->delay);
    if (start > int64_t(frames)) return false;  // a time stamp outside the file
    if (start < int64_t(target)) {
        cursor->skipLeft = target - uint64_t(start);
    } else {
        cursor->padLeft = uint64_t(start) - target;
    }
    return true;
}

// Converts `frames` frames of what the reader hands out now onto `out`, in the opened format.
static void Convert(MediaDecoder *m, Cursor *cursor, const uint8_t *bytes, size_t frames,
                    std::vector<int16_t> *out) {
    int channels = OutputChannels(m->sourceChannels);
    bool same = m->sourceRate == m->format.rate && channels == m->format.channels;
    std::vector<int16_t> changed;
    std::vector<int16_t> *into = same ? out : &changed;
    size_t at = into->size();
    into->resize(at + frames * size_t(channels));
    ConvertToPcm16(bytes, frames, PCM_TAG, 16, m->sourceChannels, into->data() + at);
    if (!same) AdaptFrames(cursor->adapter, changed.data(), frames, channels, m->sourceRate, out);
}

// The frames of one sample, converted, with what the cursor says to drop left out (or silence put
// in where a seek landed past its target, a piece per call). False at the end of the stream or
// on any failure.
static bool ReadOne(MediaDecoder *m, IMFSourceReader *reader, Cursor *cursor,
                    std::vector<int16_t> *out) {
    size_t c = size_t(m->format.channels);
    if (cursor->padLeft) {
        uint64_t piece = uint64_t(m->format.rate) * PAD_PIECE_MS / 1000;
        size_t n = size_t(cursor->padLeft < piece ? cursor->padLeft : piece);
        out->resize(out->size() + n * c, 0);
        cursor->padLeft -= n;
        return true;
    }
    if (!cursor->held.empty()) {
        out->insert(out->end(), cursor->held.begin(), cursor->held.end());
        cursor->held.clear();
        return true;
    }
    DWORD stream = 0, flags = 0;
    LONGLONG time = 0;
    IMFSample *sample = nullptr;
    HRESULT hr = reader->ReadSample(AUDIO, 0, &stream, &flags, &time, &sample);
    bool ok = SUCCEEDED(hr) && !(flags & (MF_SOURCE_READERF_ERROR | MF_SOURCE_READERF_ENDOFSTREAM));
    // HE-AAC doubles its rate once its second band starts; its parametric stereo makes mono stereo.
    if (ok && (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED))
        ok = ReadCurrentType(m, reader, false);
    if (ok && sample && cursor->aligning) ok = Align(m, cursor, time);
    if (!ok || !sample) {  // without a sample: a gap or a notice, nothing to hand out
        Drop(sample);
        return ok;
    }
    cursor->lastTime = time;
    IMFMediaBuffer *buffer = nullptr;
    BYTE *bytes = nullptr;
    DWORD length = 0;
    ok = SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer)) &&
         SUCCEEDED(buffer->Lock(&bytes, nullptr, &length));
    if (ok) {
        size_t frameBytes = 2 * size_t(m->sourceChannels), frames = length / frameBytes;
        size_t skip = frames < cursor->skipLeft ? frames : size_t(cursor->skipLeft);
        cursor->skipLeft -= skip;
        Convert(m, cursor, bytes + skip * frameBytes, frames - skip,
                cursor->padLeft ? &cursor->held : out);
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
    cursor->skipLeft = cursor->padLeft = 0;
    cursor->held.clear();
    ResetFrameAdapter(cursor->adapter, m->format.rate, m->format.channels);
    uint64_t from = target;
    if (cursor->timed) {
        uint64_t preroll = uint64_t(m->format.rate) * TIMED_PREROLL_MS / 1000;
        from = target > preroll ? target - preroll : 0;
    }
    PROPVARIANT at;
    PropVariantInit(&at);
    at.vt = VT_I8;
    at.hVal.QuadPart = HnsOf(from, m->format.rate);
    return SUCCEEDED(reader->SetCurrentPosition(GUID_NULL, at));
}

static void Serve(MediaDecoder *m, IMFSourceReader *reader) {
    Cursor cursor = {};
    std::vector<int16_t> decoded;
    for (;;) {
        Request request = {};
        Step step = NextStep(m, &request);
        if (step == STEP_QUIT) return;
        decoded.clear();
        if (step == STEP_SEEK) {
            uint64_t target = request.target, end = m->format.frames;
            bool refused = target < end && !SeekReader(m, reader, target, &cursor);
            // Refused: the caller goes on from where it was, as if it had not asked.
            bool there = target < end && (!refused || SeekReader(m, reader, request.back, &cursor));
            AnswerSeek(m, request.generation, refused, !there);
            continue;
        }
        bool more = ReadOne(m, reader, &cursor, &decoded);
        Deliver(m, request.generation, decoded, !more);
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

static void NameThisThread() {
    // Windows before 10 names no threads.
    HRESULT(WINAPI * name)(HANDLE, PCWSTR);
    if (Find(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription", &name))
        name(GetCurrentThread(), MEDIA_THREAD_NAME);
}

static DWORD WINAPI MediaMain(void *context) {
    MediaDecoder *m = static_cast<MediaDecoder *>(context);
    NameThisThread();
    HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    bool started = SUCCEEDED(com) && SUCCEEDED(platform.startup(MF_VERSION, MFSTARTUP_LITE));
    IMFSourceReader *reader = nullptr;
    // A recording whose picture runs longer than its sound ends in silence, not refused as cut.
    bool ok = started && SUCCEEDED(m->maker(m->path.c_str(), &reader)) && reader &&
              Configure(m, reader) && (m->hasPicture || ReachesItsEnd(m, reader));
    {
        ScopedLock hold(&m->lock);
        m->opened = true;
        m->openFailed = !ok;
        WakeAllConditionVariable(&m->changed);
    }
    if (ok) Serve(m, reader);
    Drop(reader);
    if (started) platform.shutdown();
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
        m->wake = nullptr;  // the caller's event may be gone before the thread ends
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
    if (!MediaPlatformPresent()) return nullptr;
    MediaDecoder *m = new MediaDecoder();
    m->path = path;
    m->kind = kind;
    m->maker = maker ? maker : MakePlatformReader;
    m->refs = 2;
    InitializeCriticalSection(&m->lock);
    InitializeConditionVariable(&m->changed);
    InterlockedIncrement(&threadsRunning);
    m->thread = CreateThread(nullptr, 0, MediaMain, m, CREATE_SUSPENDED, nullptr);
    if (!m->thread) {
        InterlockedDecrement(&threadsRunning);
        DeleteCriticalSection(&m->lock);
        delete m;
        return nullptr;
    }
    // A reader opened on a background thread must not decode at the player's priority.
    SetThreadPriority(m->thread, GetThreadPriority(GetCurrentThread()));
    ResumeThread(m->thread);
    bool answered, ok;
    {
        ScopedLock hold(&m->lock);
        DWORD wait = platformAnswered ? MEDIA_OPEN_TIMEOUT_MS : MEDIA_FIRST_OPEN_TIMEOUT_MS;
        answered = WaitUntil(m, wait, [m] { return m->opened; });
        ok = answered && !m->openFailed;
    }
    if (answered) InterlockedExchange(&platformAnswered, 1);
    if (!ok) {
        EndThread(m, answered ? DWORD(MEDIA_CLOSE_WAIT_MS) : 0);
        return nullptr;
    }
    SeekMediaDecoder(m, 0);
    return m;
}

void CloseMediaDecoder(MediaDecoder *m) {
    if (m) EndThread(m, MEDIA_CLOSE_WAIT_MS);
}

MediaFormat GetMediaFormat(const MediaDecoder *m) { return m->format; }

uint64_t MediaDecoderPosition(const MediaDecoder *m) { return m->position; }

bool MediaDecoderWaiting(const MediaDecoder *m) { return m->waiting; }

long MediaThreadsRunning() { return InterlockedCompareExchange(&threadsRunning, 0, 0); }

void SetMediaDecoderWake(MediaDecoder *m, void *event) {
    ScopedLock hold(&m->lock);
    m->wake = event;
}

// A refusal the thread answered after the caller stopped waiting for it: the position follows
// the decoder back. The lock is held.
static void TakeRefusal(MediaDecoder *m) {
    if (m->answered != m->generation || !m->refused) return;
    m->refused = false;
    m->position = m->seekBack;
}

bool SeekMediaDecoder(MediaDecoder *m, uint64_t frame) {
    if (frame > m->format.frames) frame = m->format.frames;
    ScopedLock hold(&m->lock);
    TakeRefusal(m);
    ++m->generation;
    m->seekTo = frame;
    m->seekBack = m->position;
    m->seekPending = true;
    m->queue.clear();
    m->queueAt = 0;
    m->ended = m->refused = false;
    m->waiting = false;
    m->position = frame;
    WakeAllConditionVariable(&m->changed);
    // The platform answers a seek within milliseconds; one held in a slow read is not waited for.
    uint64_t asked = m->generation;
    WaitUntil(m, MEDIA_SEEK_WAIT_MS, [m, asked] { return m->answered == asked; });
    bool refused = m->answered == asked && m->refused;
    TakeRefusal(m);
    return !refused;
}

size_t ReadMediaDecoder(MediaDecoder *m, int16_t *out, size_t frames) {
    size_t c = size_t(m->format.channels), done = 0;
    bool ended;
    {
        ScopedLock hold(&m->lock);
        TakeRefusal(m);
        uint64_t left = m->format.frames - m->position;
        if (frames > left) frames = size_t(left);
        size_t have = (m->queue.size() - m->queueAt) / c;
        done = have < frames ? have : frames;
        if (done) {
            memcpy(out, m->queue.data() + m->queueAt, done * c * 2);
            m->queueAt += done * c;
            WakeAllConditionVariable(&m->changed);  // room again for the thread
        }
        ended = m->ended && m->queueAt == m->queue.size();
    }
    // Decoders may stop a little short of the stated length (the last block of an AAC stream),
    // and the sound beside a picture may end well before it: the length stays what the file says,
    // the missing end is silence.
    uint64_t reached = m->position + done;
    if (done < frames && ended &&
        (m->hasPicture ||
         m->format.frames - reached <= uint64_t(m->format.rate) * END_PAD_MS / 1000)) {
        memset(out + done * c, 0, (frames - done) * c * 2);
        done = frames;
    }
    m->waiting = done < frames && !ended;
    m->position += done;
    return done;
}
