// RIFF/RF64 walking for WAV files as recorders really write them: unknown and LIST chunks
// skipped, odd sizes padded or (by some writers) not, data sizes of 0, 0xFFFFFFFF or beyond the
// end taken as "up to the end of the file", and offsets kept 64-bit throughout.
#include "audio/wav_parse.h"

#include <string.h>

static bool IsChunkId(const uint8_t *id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    return true;
}

// Frames per block for the block-coded formats, or 0 when the header cannot be right.
static uint32_t FramesPerBlock(const WavInfo &w, const uint8_t *fmt, uint32_t fmtSize) {
    uint32_t c = w.channels, b = w.blockAlign;
    switch (w.tag) {
    case WAV_TAG_PCM:
    case WAV_TAG_FLOAT:
    case WAV_TAG_ALAW:
    case WAV_TAG_MULAW: return 1;
    case WAV_TAG_IMA_ADPCM:
        if (b <= 4 * c || w.bitsPerSample != 4) return 0;
        return (b - 4 * c) * 2 / c + 1;
    case WAV_TAG_MS_ADPCM:
        if (fmtSize >= 20) {
            uint32_t stored = Le16(fmt + 18);
            if (stored) return stored;
        }
        if (b <= 7 * c) return 0;
        return (b - 7 * c) * 2 / c + 2;
    case WAV_TAG_GSM610: return (b == 65 && c == 1) ? 320 : 0;
    case WAV_TAG_MP3: return 1;  // frame-coded: the MP3 reader works out the length
    default: return 0;
    }
}

static bool CheckFormat(WavInfo &w) {
    if (w.channels == 0 || w.channels > 16) return false;
    if (w.sampleRate < 1000 || w.sampleRate > 384000) return false;
    if (w.tag == WAV_TAG_PCM) {
        uint16_t bits = w.bitsPerSample;
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
        w.blockAlign = uint16_t(w.channels * bits / 8);  // some writers get it wrong
    } else if (w.tag == WAV_TAG_FLOAT) {
        if (w.bitsPerSample != 32) return false;
        w.blockAlign = uint16_t(w.channels * 4);
    } else if (w.tag == WAV_TAG_ALAW || w.tag == WAV_TAG_MULAW) {
        if (w.bitsPerSample != 8) return false;
        w.blockAlign = w.channels;
    } else if (w.blockAlign == 0) {
        return false;
    }
    return true;
}

static bool ReadFormat(const ByteSource &src, uint64_t at, uint32_t size, WavInfo &w) {
    if (size < 16) return false;
    uint8_t fmt[64] = {};
    uint32_t have = size < sizeof fmt ? size : uint32_t(sizeof fmt);
    if (ReadAt(src, at, fmt, have) != have) return false;
    w.tag = Le16(fmt);
    w.channels = Le16(fmt + 2);
    w.sampleRate = Le32(fmt + 4);
    w.avgBytesPerSec = Le32(fmt + 8);
    w.blockAlign = Le16(fmt + 12);
    w.bitsPerSample = Le16(fmt + 14);
    uint32_t extra = 0;
    if (size >= 18) {
        extra = Le16(fmt + 16);
        if (extra > size - 18) extra = size - 18;
    }
    if (w.tag == WAV_TAG_EXTENSIBLE) {
        // The real tag is the start of the SubFormat GUID; the rest is channel layout we ignore.
        if (size < 40 || extra < 22) return false;
        w.tag = Le16(fmt + 24);
        extra = 0;
    }
    if (!CheckFormat(w)) return false;
    w.framesPerBlock = FramesPerBlock(w, fmt, have);
    if (w.framesPerBlock == 0) return false;

    w.format.assign(WAV_FORMAT_HEADER_BYTES + extra, 0);
    memcpy(w.format.data(), fmt, 16);
    w.format[0] = uint8_t(w.tag);
    w.format[1] = uint8_t(w.tag >> 8);
    w.format[12] = uint8_t(w.blockAlign);
    w.format[13] = uint8_t(w.blockAlign >> 8);
    w.format[16] = uint8_t(extra);
    w.format[17] = uint8_t(extra >> 8);
    if (extra) {
        uint32_t inBuffer = have > 18 ? have - 18 : 0;
        if (extra <= inBuffer) {
            memcpy(w.format.data() + 18, fmt + 18, extra);
        } else if (ReadAt(src, at + 18, w.format.data() + 18, extra) != extra) {
            return false;
        }
    }
    return true;
}

bool ParseWav(const ByteSource &src, WavInfo *out) {
    uint8_t head[12];
    if (ReadAt(src, 0, head, 12) != 12) return false;
    bool rf64 = memcmp(head, "RF64", 4) == 0 || memcmp(head, "BW64", 4) == 0;
    if ((!rf64 && memcmp(head, "RIFF", 4) != 0) || memcmp(head + 8, "WAVE", 4) != 0) return false;

    WavInfo w = {};
    w.rf64 = rf64;
    bool haveFormat = false, haveData = false;
    uint64_t ds64Data = 0, factFrames = 0;
    bool haveFact = false;
    uint64_t at = 12;
    for (int guard = 0; guard < 100000 && at + 8 <= src.size; ++guard) {
        uint8_t ch[8];
        if (ReadAt(src, at, ch, 8) != 8) break;
        if (!IsChunkId(ch)) break;
        uint64_t size = Le32(ch + 4);
        uint64_t body = at + 8;
        if (memcmp(ch, "ds64", 4) == 0 && size >= 24) {
            uint8_t d[24];
            if (ReadAt(src, body, d, 24) == 24) ds64Data = Le64(d + 8);
        } else if (memcmp(ch, "fmt ", 4) == 0) {
            if (!ReadFormat(src, body, uint32_t(size > 0xFFFF ? 0xFFFF : size), w)) return false;
            haveFormat = true;
        } else if (memcmp(ch, "fact", 4) == 0 && size >= 4) {
            uint8_t f[4];
            if (ReadAt(src, body, f, 4) == 4) {
                factFrames = Le32(f);
                haveFact = true;
            }
        } else if (memcmp(ch, "data", 4) == 0) {
            if (rf64 && size == 0xFFFFFFFF && ds64Data) size = ds64Data;
            uint64_t left = src.size - body;
            bool cutOff = size == 0 || size == 0xFFFFFFFF || size > left;
            w.dataOffset = body;
            w.dataSize = cutOff ? left : size;
            haveData = true;
            if (cutOff || haveFormat) break;
        }
        uint64_t next = body + size;
        if ((size & 1) && next + 1 + 8 <= src.size) {
            // Padding byte as the format asks, unless this writer left it out.
            uint8_t id[4];
            bool paddedOk = ReadAt(src, next + 1, id, 4) == 4 && IsChunkId(id);
            bool unpaddedOk = ReadAt(src, next, id, 4) == 4 && IsChunkId(id);
            if (paddedOk || !unpaddedOk) next += 1;
        } else if (size & 1) {
            next += 1;
        }
        if (next <= at) break;
        at = next;
    }
    if (!haveFormat || !haveData) return false;

    w.dataSize -= w.dataSize % w.blockAlign;
    uint64_t blocks = w.dataSize / w.blockAlign;
    if (w.tag == WAV_TAG_MP3) {
        w.frames = 0;  // the MP3 frame index counts these
    } else {
        w.frames = blocks * w.framesPerBlock;
        if (haveFact && w.tag != WAV_TAG_PCM && w.tag != WAV_TAG_FLOAT && factFrames < w.frames &&
            factFrames + w.framesPerBlock > w.frames)
            w.frames = factFrames;  // the last block is only partly used
        if (w.frames == 0) return false;
    }
    *out = w;
    return true;
}
