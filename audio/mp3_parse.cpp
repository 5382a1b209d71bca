// MP3 frame parsing and the frame index. Sync is trusted only when the next header agrees, so
// garbage, damaged frames and false syncs inside tags are skipped rather than fed to the decoder.
#include "audio/mp3_parse.h"

#include <string.h>

static const int kBitrates[2][15] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},  // MPEG-1 Layer III
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},      // MPEG-2/2.5 Layer III
};
static const int kRates[3] = {44100, 48000, 32000};

bool ParseMp3Header(const uint8_t *h, Mp3Header *out) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    int versionBits = (h[1] >> 3) & 3, layerBits = (h[1] >> 1) & 3;
    int bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3)
        return false;
    Mp3Header r;
    r.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    bool lsf = r.version != 1;
    r.bitrateKbps = kBitrates[lsf][bitrateIndex];
    r.sampleRate = kRates[rateIndex] >> (r.version == 1 ? 0 : r.version == 2 ? 1 : 2);
    r.channels = (h[3] >> 6) == 3 ? 1 : 2;
    r.padding = (h[2] >> 1) & 1;
    r.crc = !(h[1] & 1);
    r.samplesPerFrame = lsf ? 576 : 1152;
    r.frameBytes = (lsf ? 72 : 144) * r.bitrateKbps * 1000 / r.sampleRate + r.padding;
    r.sideInfoBytes = lsf ? (r.channels == 1 ? 9 : 17) : (r.channels == 1 ? 17 : 32);
    if (r.frameBytes < 4 + (r.crc ? 2 : 0) + r.sideInfoBytes) return false;
    *out = r;
    return true;
}

bool SameMp3Stream(const Mp3Header &a, const Mp3Header &b) {
    return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

uint32_t Id3v2Size(const uint8_t *p, size_t have) {
    if (have < 10 || memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF) return 0;
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80) return 0;
    uint32_t size = (uint32_t(p[6]) << 21) | (uint32_t(p[7]) << 14) | (uint32_t(p[8]) << 7) | p[9];
    return size + 10 + ((p[5] & 0x10) ? 10 : 0);
}

size_t Mp3FrameCount(const Mp3Index &index) { return index.offsets.size(); }

uint32_t Mp3MainDataBytes(const Mp3Index &index, size_t frame) {
    uint32_t bytes = index.sizes[frame];
    uint32_t overhead = 4 + (index.first.crc ? 2 : 0) + index.first.sideInfoBytes;
    return bytes > overhead ? bytes - overhead : 0;
}

size_t Mp3PrerollFrame(const Mp3Index &index, size_t frame) {
    // The frame before the target must itself decode right (its overlap and filter-bank history
    // feed the target), so its reservoir must be present too; one frame more for the decoder's
    // own start-up, and never fewer than two.
    if (frame == 0) return 0;
    size_t previous = frame - 1;
    uint32_t need = index.reservoir[previous];
    size_t f = previous;
    uint32_t have = 0;
    while (f > 0 && have < need) {
        --f;
        have += Mp3MainDataBytes(index, f);
    }
    if (f > 0) --f;
    size_t twoBack = frame >= 2 ? frame - 2 : 0;
    return f < twoBack ? f : twoBack;
}

namespace {
// A window of the source as the scan hops from header to header: shown in place when the source
// can, otherwise copied in 1 MB blocks.
struct BlockReader {
    const ByteSource *source;
    uint64_t end;
    uint64_t base;
    size_t have;
    const uint8_t *data;
    std::vector<uint8_t> buffer;
};
}  // namespace

enum { BLOCK_BYTES = 1 << 20 };

// Pointer to n bytes at offset, or null when fewer than n remain before the end.
static const uint8_t *Peek(BlockReader &r, uint64_t offset, size_t n) {
    if (offset + n > r.end) return nullptr;
    if (offset < r.base || offset + n > r.base + r.have) {
        uint64_t left = r.end - offset;
        r.base = offset;
        r.have = 0;
        r.data = nullptr;
        if (r.source->viewAt) {
            size_t available = 0;
            r.data = r.source->viewAt(r.source->context, offset, n, &available);
            if (r.data) r.have = size_t(available < left ? available : left);
        }
        if (!r.data) {
            r.buffer.resize(BLOCK_BYTES);
            r.have = ReadAt(*r.source, offset, r.buffer.data(),
                            size_t(left < uint64_t(BLOCK_BYTES) ? left : uint64_t(BLOCK_BYTES)));
            r.data = r.buffer.data();
        }
        if (r.have < n) return nullptr;
    }
    return r.data + (offset - r.base);
}

static uint16_t MainDataBegin(const uint8_t *frame, const Mp3Header &h) {
    const uint8_t *side = frame + 4 + (h.crc ? 2 : 0);
    if (h.version == 1) return uint16_t((side[0] << 1) | (side[1] >> 7));
    return side[0];
}

// Reads a Xing/Info or VBRI header (and the LAME extension) from the first frame.
static bool ReadInfoFrame(const uint8_t *f, const Mp3Header &h, Mp3Index &index) {
    int xingAt = 4 + h.sideInfoBytes;
    const uint8_t *x = nullptr;
    for (int at : {xingAt, xingAt + 2}) {
        if (at + 8 > h.frameBytes) continue;
        if (memcmp(f + at, "Xing", 4) == 0 || memcmp(f + at, "Info", 4) == 0) {
            x = f + at;
            break;
        }
    }
    if (x) {
        uint32_t flags = Be32(x + 4);
        int at = 8;
        if (flags & 1) {
            if (x - f + at + 4 > h.frameBytes) return true;
            index.infoFrames = Be32(x + at);
            at += 4;
        }
        if (flags & 2) at += 4;
        if (flags & 4) at += 100;
        if (flags & 8) at += 4;
        const uint8_t *lame = x + at;
        if (lame - f + 24 <= h.frameBytes) {
            bool text = true;
            for (int i = 0; i < 4; ++i) text = text && lame[i] >= 0x20 && lame[i] < 0x7F;
            if (text) {
                index.hasLameTag = true;
                index.encoderDelay = (uint32_t(lame[21]) << 4) | (lame[22] >> 4);
                index.encoderPadding = (uint32_t(lame[22] & 15) << 8) | lame[23];
            }
        }
        return true;
    }
    if (h.frameBytes >= 36 + 18 && memcmp(f + 36, "VBRI", 4) == 0) {
        index.infoFrames = Be32(f + 36 + 14);
        return true;
    }
    return false;
}

// Trims ID3v1, ID3v1 extended ("TAG+") and APEv2 tags from the end of the range.
static uint64_t TrimEndTags(const ByteSource &src, uint64_t begin, uint64_t end) {
    for (int round = 0; round < 4; ++round) {
        uint8_t b[32];
        if (end - begin >= 128 && ReadAt(src, end - 128, b, 3) == 3 && memcmp(b, "TAG", 3) == 0) {
            end -= 128;
            if (end - begin >= 227 && ReadAt(src, end - 227, b, 4) == 4 &&
                memcmp(b, "TAG+", 4) == 0)
                end -= 227;
            continue;
        }
        if (end - begin >= 32 && ReadAt(src, end - 32, b, 32) == 32 &&
            memcmp(b, "APETAGEX", 8) == 0) {
            uint64_t size = Le32(b + 12) + ((Le32(b + 20) & 0x80000000u) ? 32 : 0);
            if (size > end - begin) break;
            end -= size;
            continue;
        }
        break;
    }
    return end;
}

// A frame is trusted when the next `need` headers agree with it (or the range ends first).
static bool Confirmed(BlockReader &r, uint64_t at, const Mp3Header &h, int need) {
    uint64_t next = at + h.frameBytes;
    for (int i = 0; i < need; ++i) {
        if (next + 4 > r.end) return true;
        const uint8_t *p = Peek(r, next, 4);
        Mp3Header n;
        if (!p || !ParseMp3Header(p, &n) || !SameMp3Stream(h, n)) return false;
        next += n.frameBytes;
    }
    return true;
}

bool BuildMp3Index(const ByteSource &src, uint64_t begin, uint64_t end, Mp3Index *out) {
    if (end > src.size) end = src.size;
    if (end > 0xFFFFFFF0u || begin >= end) return false;
    Mp3Index index = {};
    BlockReader reader = {&src, end, 0, 0, nullptr, {}};
    BlockReader *r = &reader;

    uint64_t at = begin;
    for (;;) {
        const uint8_t *p = Peek(*r, at, 10);
        uint32_t tag = p ? Id3v2Size(p, 10) : 0;
        if (!tag) break;
        at += tag;
    }
    end = TrimEndTags(src, at < end ? at : end, end);
    r->end = end;
    uint64_t guess = (end - at) / 100 + 16;  // frames are rarely under 100 bytes
    size_t expect = size_t(guess < (1u << 20) ? guess : (1u << 20));
    index.offsets.reserve(expect);
    index.sizes.reserve(expect);
    index.reservoir.reserve(expect);

    bool locked = false;
    uint64_t bytes = 0, expected = 0;
    uint32_t lastWord = 0;  // never a valid header (no sync)
    Mp3Header lastHeader = {};
    while (at + 4 <= end) {
        const uint8_t *p = Peek(*r, at, 4);
        if (!p) break;
        // Frames of one stream mostly repeat a handful of headers: remember the last decoding.
        uint32_t word = Be32(p) & 0xFFFFFFC0u;
        Mp3Header h;
        if (locked && word == lastWord) {
            h = lastHeader;
        } else if (!ParseMp3Header(p, &h) || (locked && !SameMp3Stream(index.first, h))) {
            ++at;
            continue;
        }
        if (at + h.frameBytes > end) {  // a cut-off last frame
            ++at;
            continue;
        }
        // A frame right after an accepted one is taken as it is; after a gap (or at the start)
        // the following headers must agree before the bytes are believed to be a frame.
        bool contiguous = locked && at == expected;
        if (!contiguous && !Confirmed(*r, at, h, locked ? 1 : 3)) {
            ++at;
            continue;
        }
        const uint8_t *frame = Peek(*r, at, size_t(h.frameBytes));
        if (!frame) break;
        if (!locked) {
            locked = true;
            index.first = h;
            if (ReadInfoFrame(frame, h, index)) {
                index.hasInfoFrame = true;
                at += h.frameBytes;
                expected = at;
                continue;
            }
        }
        lastWord = word;
        lastHeader = h;
        index.offsets.push_back(uint32_t(at));
        index.sizes.push_back(uint16_t(h.frameBytes));
        index.reservoir.push_back(MainDataBegin(frame, h));
        at += h.frameBytes;
        bytes += h.frameBytes;
        expected = at;
    }
    if (!locked || index.offsets.empty()) return false;
    // A few frame-like runs in a large file of something else do not make it an MP3 file.
    uint64_t scanned = end - index.offsets[0];
    if (bytes * 4 < scanned) return false;

    uint64_t spf = uint64_t(index.first.samplesPerFrame);
    uint64_t raw = uint64_t(index.offsets.size()) * spf;
    if (index.hasLameTag) {
        index.startTrim = index.encoderDelay + MP3_DECODER_DELAY;
        uint64_t endTrim =
            index.encoderPadding > MP3_DECODER_DELAY ? index.encoderPadding - MP3_DECODER_DELAY : 0;
        if (index.startTrim + endTrim >= raw) {
            index.startTrim = 0;
            endTrim = 0;
        }
        index.totalSamples = raw - index.startTrim - endTrim;
    } else {
        index.totalSamples = raw;
    }
    index.averageKbps = uint32_t(bytes * 8 * uint64_t(index.first.sampleRate) / raw / 1000);
    *out = std::move(index);
    return true;
}
