// Decoding for the player. Every route ends in a queue of 16-bit frames; a seek restarts the
// route at a unit (frame or block) early enough that the codec's history is rebuilt, then drops
// decoded frames by count up to the exact target, so the result equals a decode from the start.
#include "audio/decoder.h"

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <string.h>

#include <vector>

#include "audio/media_decoder.h"
#include "audio/mp3_parse.h"
#include "audio/pcm_convert.h"
#include "audio/vbmp3.h"
#include "audio/wav_parse.h"
#include "common/scoped_lock.h"

enum Route { ROUTE_DIRECT, ROUTE_BLOCKS, ROUTE_MP3, ROUTE_MEDIA };

namespace {
struct Acm {
    HACMSTREAM stream;
    ACMSTREAMHEADER header;
    std::vector<uint8_t> src;
    std::vector<uint8_t> dst;
    size_t srcFill;
    bool restart;               // next conversion starts afresh (after a seek)
    std::vector<uint8_t> from;  // the source format, kept to open the stream anew
    WAVEFORMATEX to;
};
}  // namespace

// While the frame index is built, a second thread reads the file ahead into a ring of 1 MB
// blocks and the scan reads them in place, so reading and scanning overlap. Each block is
// preceded by the last bytes of the block before, so a frame that straddles two blocks is still
// one piece of memory.
struct Prefetch {
    enum { SLOTS = 4, BLOCK = 1 << 20, OVERLAP = 4096 };
    HANDLE file;
    uint64_t size;
    uint64_t blocks;
    std::vector<uint8_t> memory;  // SLOTS * (OVERLAP + BLOCK)
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    uint64_t ready;  // blocks read so far
    uint64_t inUse;  // the block the scan last asked for
    bool failed, stop;
    HANDLE thread;
};

struct Decoder {
    HANDLE file;
    Prefetch *prefetch;
    ByteSource source;
    Route route;
    int fileKind;
    WavInfo wav;
    Mp3Index mp3;
    int channels;  // of the decoded data and of the output
    uint32_t rate;
    uint64_t total;     // frames a listener hears
    uint64_t position;  // next frame handed out
    uint64_t discard;   // decoded frames still to drop after a seek
    uint64_t nextUnit;  // next frame (MP3), block, or sample frame (direct) to decode
    int flushes;        // repeated last frames fed to push the codec's held-back output out
    std::vector<int16_t> pending;
    size_t pendingAt;  // in samples
    std::vector<uint8_t> readBuffer;
    Acm acm;
    bool acmOpen;
    MediaDecoder *media;
};

static size_t ReadFileAt(void *context, uint64_t offset, void *buffer, size_t count) {
    HANDLE h = static_cast<Decoder *>(context)->file;
    // The offset rides in the OVERLAPPED record (a synchronous handle still reads in place):
    // one call instead of a seek and a read.
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(h, buffer, DWORD(count), &got, &at)) return 0;
    return got;
}

static uint8_t *Slot(Prefetch &p, uint64_t block) {
    return p.memory.data() +
           size_t(block % Prefetch::SLOTS) * (Prefetch::OVERLAP + Prefetch::BLOCK);
}

static DWORD WINAPI PrefetchMain(void *context) {
    Prefetch &p = *static_cast<Prefetch *>(context);
    for (uint64_t block = 0; block < p.blocks; ++block) {
        bool stop;
        {
            ScopedLock locked(&p.lock);
            // A slot is reused only when the scan has moved two blocks past it (the next block's
            // prefix is copied from it).
            while (!p.stop && block >= p.inUse + Prefetch::SLOTS - 1)
                SleepConditionVariableCS(&p.changed, &p.lock, INFINITE);
            stop = p.stop;
        }
        if (stop) break;
        uint8_t *slot = Slot(p, block);
        if (block > 0) memcpy(slot, Slot(p, block - 1) + Prefetch::BLOCK, Prefetch::OVERLAP);
        uint64_t at = block * Prefetch::BLOCK;
        DWORD want = DWORD(p.size - at < uint64_t(Prefetch::BLOCK) ? p.size - at
                                                                   : uint64_t(Prefetch::BLOCK)),
              got = 0;
        OVERLAPPED where = {};
        where.Offset = DWORD(at);
        where.OffsetHigh = DWORD(at >> 32);
        bool ok = ReadFile(p.file, slot + Prefetch::OVERLAP, want, &got, &where) && got == want;
        {
            ScopedLock locked(&p.lock);
            if (ok)
                p.ready = block + 1;
            else
                p.failed = true;
            WakeAllConditionVariable(&p.changed);
        }
        if (!ok) break;
    }
    return 0;
}

static const uint8_t *ViewPrefetched(void *context, uint64_t offset, size_t count,
                                     size_t *available) {
    Prefetch &p = *static_cast<Decoder *>(context)->prefetch;
    if (count == 0 || count > Prefetch::OVERLAP || offset + count > p.size) return nullptr;
    uint64_t block = (offset + count - 1) / Prefetch::BLOCK;  // the block holding the last byte
    if (offset + Prefetch::OVERLAP < block * Prefetch::BLOCK) return nullptr;
    {
        ScopedLock locked(&p.lock);
        if (block + 1 < p.inUse) return nullptr;  // behind the ring: its slot may be gone
        p.inUse = block;
        WakeAllConditionVariable(&p.changed);
        while (p.ready <= block && !p.failed)
            SleepConditionVariableCS(&p.changed, &p.lock, INFINITE);
        if (p.failed && p.ready <= block) return nullptr;
    }
    uint64_t blockEnd = (block + 1) * Prefetch::BLOCK;
    if (blockEnd > p.size) blockEnd = p.size;
    *available = size_t(blockEnd - offset);
    return Slot(p, block) + Prefetch::OVERLAP + (offset - block * Prefetch::BLOCK);
}

static void StartPrefetch(Decoder *d) {
    Prefetch *p = new Prefetch();
    p->file = d->file;
    p->size = d->source.size;
    p->blocks = (p->size + Prefetch::BLOCK - 1) / Prefetch::BLOCK;
    p->memory.resize(size_t(Prefetch::SLOTS) * (Prefetch::OVERLAP + Prefetch::BLOCK));
    InitializeCriticalSection(&p->lock);
    InitializeConditionVariable(&p->changed);
    p->thread = CreateThread(nullptr, 0, PrefetchMain, p, CREATE_SUSPENDED, nullptr);
    if (!p->thread) {
        DeleteCriticalSection(&p->lock);
        delete p;
        return;
    }
    SetThreadPriority(p->thread, GetThreadPriority(GetCurrentThread()));
    ResumeThread(p->thread);
    d->prefetch = p;
    d->source.viewAt = ViewPrefetched;
}

static void StopPrefetch(Decoder *d) {
    Prefetch *p = d->prefetch;
    if (!p) return;
    {
        ScopedLock locked(&p->lock);
        p->stop = true;
        WakeAllConditionVariable(&p->changed);
    }
    WaitForSingleObject(p->thread, INFINITE);
    CloseHandle(p->thread);
    DeleteCriticalSection(&p->lock);
    delete p;
    d->prefetch = nullptr;
    d->source.viewAt = nullptr;
}

// Samples per MP3 frame batch and blocks per ACM call: about 20 ms to 100 ms of sound a call.
enum {
    MP3_BATCH_FRAMES = 24,
    DIRECT_BATCH_FRAMES = 4096,
    BLOCK_BATCH_BYTES = 16384,
    GSM_PREROLL_BLOCKS = 8
};

static bool OpenAcm(Acm &acm, const WAVEFORMATEX *from, size_t srcBytes, int channels,
                    uint32_t rate) {
    WAVEFORMATEX to = {};
    to.wFormatTag = WAVE_FORMAT_PCM;
    to.nChannels = WORD(channels);
    to.nSamplesPerSec = rate;
    to.wBitsPerSample = 16;
    to.nBlockAlign = WORD(2 * channels);
    to.nAvgBytesPerSec = rate * to.nBlockAlign;
    if (acmStreamOpen(&acm.stream, nullptr, const_cast<WAVEFORMATEX *>(from), &to, nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != 0)
        return false;
    const uint8_t *fromBytes = reinterpret_cast<const uint8_t *>(from);
    acm.from.assign(fromBytes, fromBytes + sizeof(WAVEFORMATEX) + from->cbSize);
    acm.to = to;
    DWORD dstBytes = 0;
    if (acmStreamSize(acm.stream, DWORD(srcBytes), &dstBytes, ACM_STREAMSIZEF_SOURCE) != 0 ||
        dstBytes == 0)
        dstBytes = DWORD(srcBytes * 16);
    acm.src.assign(srcBytes, 0);
    // Room for what a codec holds back between calls (two MP3 frames at most).
    acm.dst.assign(dstBytes + 4 * 1152 * 2 * size_t(channels), 0);
    memset(&acm.header, 0, sizeof acm.header);
    acm.header.cbStruct = sizeof acm.header;
    acm.header.pbSrc = acm.src.data();
    acm.header.cbSrcLength = DWORD(acm.src.size());
    acm.header.pbDst = acm.dst.data();
    acm.header.cbDstLength = DWORD(acm.dst.size());
    if (acmStreamPrepareHeader(acm.stream, &acm.header, 0) != 0) {
        acmStreamClose(acm.stream, 0);
        return false;
    }
    acm.srcFill = 0;
    acm.restart = true;
    return true;
}

static void CloseAcm(Acm &acm) {
    acm.header.cbSrcLength = DWORD(acm.src.size());
    acm.header.cbDstLength = DWORD(acm.dst.size());
    acmStreamUnprepareHeader(acm.stream, &acm.header, 0);
    acmStreamClose(acm.stream, 0);
}

// Some codecs (GSM 6.10 here) ignore the START flag and keep their state: a new stream is the
// only clean start.
static void ReopenAcm(Acm &acm) {
    acm.header.cbSrcLength = DWORD(acm.src.size());
    acm.header.cbDstLength = DWORD(acm.dst.size());
    acmStreamUnprepareHeader(acm.stream, &acm.header, 0);
    acmStreamClose(acm.stream, 0);
    acmStreamOpen(&acm.stream, nullptr, reinterpret_cast<WAVEFORMATEX *>(acm.from.data()), &acm.to,
                  nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    acmStreamPrepareHeader(acm.stream, &acm.header, 0);
}

// Converts what sits in acm.src (srcFill bytes), keeps what the codec left unused, and
// appends the decoded samples to `out`.
static bool RunAcm(Acm &acm, std::vector<int16_t> &out) {
    acm.header.cbSrcLength = DWORD(acm.srcFill);
    acm.header.cbDstLength = DWORD(acm.dst.size());
    acm.header.cbSrcLengthUsed = 0;
    acm.header.cbDstLengthUsed = 0;
    DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN | (acm.restart ? ACM_STREAMCONVERTF_START : 0);
    acm.restart = false;
    if (acmStreamConvert(acm.stream, &acm.header, flags) != 0) {
        acm.srcFill = 0;
        return false;
    }
    size_t used = acm.header.cbSrcLengthUsed;
    if (used > acm.srcFill) used = acm.srcFill;
    memmove(acm.src.data(), acm.src.data() + used, acm.srcFill - used);
    acm.srcFill -= used;
    size_t samples = acm.header.cbDstLengthUsed / 2;
    const int16_t *decoded = reinterpret_cast<const int16_t *>(acm.dst.data());
    out.insert(out.end(), decoded, decoded + samples);
    return true;
}

static bool OpenMp3Route(Decoder *d, uint64_t begin, uint64_t end) {
    if (begin == 0 && end - begin > 2 * Prefetch::BLOCK) StartPrefetch(d);
    bool indexed = BuildMp3Index(d->source, begin, end, &d->mp3);
    StopPrefetch(d);
    if (!indexed) return false;
    const Mp3Header &h = d->mp3.first;
    MPEGLAYER3WAVEFORMAT f = {};
    f.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    f.wfx.nChannels = WORD(h.channels);
    f.wfx.nSamplesPerSec = DWORD(h.sampleRate);
    f.wfx.nAvgBytesPerSec = d->mp3.averageKbps ? d->mp3.averageKbps * 125 : 16000;
    f.wfx.nBlockAlign = 1;
    f.wfx.wBitsPerSample = 0;
    f.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    f.wID = MPEGLAYER3_ID_MPEG;
    f.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    f.nBlockSize = WORD(h.frameBytes);
    f.nFramesPerBlock = 1;
    f.nCodecDelay = 0;
    d->channels = h.channels;
    d->rate = DWORD(h.sampleRate);
    if (!OpenAcm(d->acm, &f.wfx, MP3_BATCH_FRAMES * MP3_MAX_FRAME_BYTES, d->channels, d->rate))
        return false;
    d->acmOpen = true;
    d->route = ROUTE_MP3;
    d->total = d->mp3.totalSamples;
    return true;
}

static bool OpenWavRoute(Decoder *d) {
    WavInfo &w = d->wav;
    if (w.tag == WAV_TAG_MP3) return OpenMp3Route(d, w.dataOffset, w.dataOffset + w.dataSize);
    d->rate = w.sampleRate;
    d->total = w.frames;
    if (IsDirectFormat(w.tag, w.bitsPerSample)) {
        d->route = ROUTE_DIRECT;
        d->channels = OutputChannels(w.channels);
        d->readBuffer.resize(DIRECT_BATCH_FRAMES * size_t(w.blockAlign));
        return true;
    }
    if (w.channels > 2) return false;
    d->channels = w.channels;
    if (w.tag == WAV_TAG_GSM610) {  // the codec insists on its exact byte rate
        uint32_t avg = w.sampleRate * 65 / 320;
        memcpy(&w.format[8], &avg, 4);
    }
    size_t blocks = BLOCK_BATCH_BYTES / w.blockAlign;
    if (blocks == 0) blocks = 1;
    if (!OpenAcm(d->acm, reinterpret_cast<const WAVEFORMATEX *>(w.format.data()),
                 blocks * w.blockAlign, d->channels, d->rate))
        return false;
    d->acmOpen = true;
    d->route = ROUTE_BLOCKS;
    return true;
}

// Everything else goes to the platform, which knows containers by their content.
static bool OpenMediaRoute(Decoder *d, const wchar_t *path, MediaKind kind) {
    d->media = OpenMediaDecoderW(path, kind);
    if (!d->media) return false;
    MediaFormat f = GetMediaFormat(d->media);
    d->fileKind = VBMP3_FORMAT_MEDIA;
    d->route = ROUTE_MEDIA;
    d->rate = f.rate;
    d->channels = f.channels;
    d->total = f.frames;
    return true;
}

Decoder *OpenDecoder(const char *path) {
    std::wstring wide;
    return WidenAnsiPath(path, &wide) ? OpenDecoderW(wide.c_str()) : nullptr;
}

Decoder *OpenDecoderW(const wchar_t *path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return nullptr;
    }
    Decoder *d = new Decoder();
    d->file = file;
    d->source.context = d;
    d->source.size = uint64_t(size.QuadPart);
    d->source.readAt = ReadFileAt;
    d->source.viewAt = nullptr;
    bool ok;
    uint8_t head[MEDIA_SNIFF_BYTES];
    MediaKind kind = SniffMedia(head, ReadAt(d->source, 0, head, sizeof head));
    if (ParseWav(d->source, &d->wav)) {
        d->fileKind = VBMP3_FORMAT_WAV;
        ok = OpenWavRoute(d);
    } else if (kind == MEDIA_UNKNOWN && OpenMp3Route(d, 0, d->source.size)) {
        d->fileKind = VBMP3_FORMAT_MP3;
        ok = true;
    } else {
        ok = d->source.size > 0 && OpenMediaRoute(d, path, kind);
    }
    if (!ok || d->total == 0) {
        CloseDecoder(d);
        return nullptr;
    }
    SeekDecoder(d, 0);
    return d;
}

void CloseDecoder(Decoder *d) {
    if (!d) return;
    if (d->acmOpen) CloseAcm(d->acm);
    CloseMediaDecoder(d->media);
    CloseHandle(d->file);
    delete d;
}

DecodedFormat GetDecodedFormat(const Decoder *d) {
    DecodedFormat f;
    f.fileKind = d->fileKind;
    f.rate = d->rate;
    f.channels = d->channels;
    f.frames = d->total;
    if (d->route == ROUTE_MP3) {
        f.kbps = d->mp3.averageKbps;
    } else if (d->route == ROUTE_MEDIA) {
        f.kbps = uint32_t(d->source.size * 8 * d->rate / (d->total * 1000));
    } else {
        f.kbps = uint32_t(uint64_t(d->wav.avgBytesPerSec) * 8 / 1000);
    }
    return f;
}

uint64_t DecoderPosition(const Decoder *d) { return d->position; }

bool DecoderWaiting(const Decoder *d) {
    return d->route == ROUTE_MEDIA && MediaDecoderWaiting(d->media);
}

void SetDecoderWake(Decoder *d, void *event) {
    if (d->route == ROUTE_MEDIA) SetMediaDecoderWake(d->media, event);
}

bool SeekDecoder(Decoder *d, uint64_t frame) {
    if (frame > d->total) frame = d->total;
    if (d->route == ROUTE_MEDIA) {
        bool done = SeekMediaDecoder(d->media, frame);
        d->position = MediaDecoderPosition(d->media);
        return done;
    }
    d->position = frame;
    d->pending.clear();
    d->pendingAt = 0;
    d->flushes = 0;
    if (d->acmOpen) {
        d->acm.srcFill = 0;
        d->acm.restart = true;
        if (d->route == ROUTE_BLOCKS && d->wav.tag == WAV_TAG_GSM610) ReopenAcm(d->acm);
    }
    switch (d->route) {
    case ROUTE_DIRECT:
        d->nextUnit = frame;
        d->discard = 0;
        break;
    case ROUTE_BLOCKS: {
        uint64_t block = frame / d->wav.framesPerBlock;
        // GSM carries state from block to block (rebuilt by decoding some blocks before the
        // target); the ADPCM blocks restart on their own.
        uint64_t first = d->wav.tag == WAV_TAG_GSM610
                             ? (block >= GSM_PREROLL_BLOCKS ? block - GSM_PREROLL_BLOCKS : 0)
                             : block;
        d->nextUnit = first;
        d->discard = frame - first * d->wav.framesPerBlock;
        break;
    }
    case ROUTE_MP3: {
        uint64_t spf = uint64_t(d->mp3.first.samplesPerFrame);
        uint64_t raw = frame + d->mp3.startTrim;
        size_t target = size_t(raw / spf);
        size_t count = Mp3FrameCount(d->mp3);
        if (target >= count) target = count - 1;
        size_t first = Mp3PrerollFrame(d->mp3, target);
        d->nextUnit = first;
        d->discard = raw - uint64_t(first) * spf;
        break;
    }
    case ROUTE_MEDIA: break;
    }
    return true;
}

// Decodes the next batch into `pending`; false when the route has nothing more.
static bool Refill(Decoder *d) {
    d->pending.erase(d->pending.begin(), d->pending.begin() + d->pendingAt);
    d->pendingAt = 0;
    switch (d->route) {
    case ROUTE_DIRECT: {
        const WavInfo &w = d->wav;
        uint64_t frames = w.dataSize / w.blockAlign;
        if (d->nextUnit >= frames) return false;
        size_t n = frames - d->nextUnit > DIRECT_BATCH_FRAMES ? size_t(DIRECT_BATCH_FRAMES)
                                                              : size_t(frames - d->nextUnit);
        size_t got = ReadAt(d->source, w.dataOffset + uint64_t(d->nextUnit) * w.blockAlign,
                            d->readBuffer.data(), n * w.blockAlign) /
                     w.blockAlign;
        if (got == 0) return false;
        size_t at = d->pending.size();
        d->pending.resize(at + got * size_t(d->channels));
        ConvertToPcm16(d->readBuffer.data(), got, w.tag, w.bitsPerSample, w.channels,
                       d->pending.data() + at);
        d->nextUnit += got;
        return true;
    }
    case ROUTE_BLOCKS: {
        const WavInfo &w = d->wav;
        uint64_t blocks = w.dataSize / w.blockAlign;
        if (d->nextUnit >= blocks) return false;
        size_t room = (d->acm.src.size() - d->acm.srcFill) / w.blockAlign;
        size_t n = blocks - d->nextUnit > room ? room : size_t(blocks - d->nextUnit);
        size_t got = ReadAt(d->source, w.dataOffset + uint64_t(d->nextUnit) * w.blockAlign,
                            d->acm.src.data() + d->acm.srcFill, n * w.blockAlign) /
                     w.blockAlign;
        if (got == 0) return false;
        d->acm.srcFill += got * w.blockAlign;
        d->nextUnit += got;
        RunAcm(d->acm, d->pending);
        return true;
    }
    case ROUTE_MP3: {
        size_t count = Mp3FrameCount(d->mp3);
        if (d->nextUnit >= count) {
            // The codec holds the last frame back until it sees another header: feed the last
            // frame again and drop whatever it yields beyond the length.
            if (d->flushes >= 2) return false;
            ++d->flushes;
            size_t last = count - 1;
            uint16_t size = d->mp3.sizes[last];
            size_t got =
                ReadAt(d->source, d->mp3.offsets[last], d->acm.src.data() + d->acm.srcFill, size);
            d->acm.srcFill += got;
            RunAcm(d->acm, d->pending);
            return true;
        }
        size_t fed = 0;
        while (fed < MP3_BATCH_FRAMES && d->nextUnit < count) {
            size_t unit = size_t(d->nextUnit);
            uint16_t size = d->mp3.sizes[unit];
            if (d->acm.srcFill + size > d->acm.src.size()) break;
            // Consecutive frames are read in one go.
            size_t run = 1;
            uint32_t start = d->mp3.offsets[unit];
            uint32_t bytes = size;
            while (fed + run < MP3_BATCH_FRAMES && unit + run < count &&
                   d->mp3.offsets[unit + run] == start + bytes &&
                   d->acm.srcFill + bytes + d->mp3.sizes[unit + run] <= d->acm.src.size()) {
                bytes += d->mp3.sizes[unit + run];
                ++run;
            }
            size_t got = ReadAt(d->source, start, d->acm.src.data() + d->acm.srcFill, bytes);
            if (got != bytes) return false;
            d->acm.srcFill += bytes;
            d->nextUnit += run;
            fed += run;
        }
        RunAcm(d->acm, d->pending);
        return true;
    }
    case ROUTE_MEDIA: break;
    }
    return false;
}

size_t ReadDecoder(Decoder *d, int16_t *out, size_t frames) {
    if (d->route == ROUTE_MEDIA) {
        size_t got = ReadMediaDecoder(d->media, out, frames);
        d->position = MediaDecoderPosition(d->media);
        return got;
    }
    size_t done = 0;
    int channels = d->channels;
    int idle = 0;
    while (done < frames && d->position < d->total) {
        size_t have = (d->pending.size() - d->pendingAt) / size_t(channels);
        if (have && d->discard) {
            size_t drop = have < d->discard ? have : size_t(d->discard);
            d->pendingAt += drop * size_t(channels);
            d->discard -= drop;
            continue;
        }
        if (have) {
            size_t n = frames - done;
            if (n > have) n = have;
            if (n > d->total - d->position) n = size_t(d->total - d->position);
            memcpy(out + done * size_t(channels), d->pending.data() + d->pendingAt,
                   n * size_t(channels) * 2);
            d->pendingAt += n * size_t(channels);
            done += n;
            d->position += n;
            continue;
        }
        if (!Refill(d)) break;
        // A codec may return nothing for a call or two (it looks ahead); never spin forever.
        idle = d->pending.size() > d->pendingAt ? 0 : idle + 1;
        if (idle > 8) break;
    }
    return done;
}
