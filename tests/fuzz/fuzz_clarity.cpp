// libFuzzer target: the clarity stages under arbitrary settings, restarts and pieces of sound. Each
// stream gives back exactly one frame per frame from its restart point on, everything off leaves
// the sound as it was, and the automatic volume never lets a sample past its ceiling.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "audio/clarity.h"

static const size_t MAX_FED_FRAMES = 32768;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    static const uint32_t rates[4] = {8000, 16000, 44100, 96000};
    int channels = 1 + (data[0] & 1);
    Clarity c;
    ClarityOpen(c, channels, rates[(data[0] >> 1) & 3]);
    const int ceiling = int(32768 * pow(10.0, CLARITY_CEILING_MILLI_DBFS / 20000.0)) + 1;
    std::vector<int16_t> piece, original;
    size_t at = 1, fed = 0;
    while (at + 3 <= size && fed < MAX_FED_FRAMES) {
        uint8_t op = data[at], a = data[at + 1], b = data[at + 2];
        at += 3;
        ClaritySettings s = {(op & 1) != 0, (op & 2) != 0, (op & 4) != 0,
                             ClarityChannel((op >> 3) % 3)};
        uint64_t frame = uint64_t(a) * 97;
        uint64_t from = ClarityRestart(c, s, frame), expected = 0, kept = 0;
        if (from > frame) __builtin_trap();
        for (int k = 0; k < 1 + (op >> 5) && fed < MAX_FED_FRAMES; ++k) {
            size_t frames = size_t(b) * 13 + size_t(k) * 7;
            piece.resize((frames + CLARITY_MAX_LATENCY) * size_t(channels));
            for (size_t i = 0; i < frames * size_t(channels); ++i)
                piece[i] = int16_t(data[(at + i) % size] * (257 + int(i)));
            original = piece;
            size_t n = ClarityProcess(c, piece.data(), frames);
            if (n > frames) __builtin_trap();
            if (!ClarityAnyOn(s) && memcmp(piece.data(), original.data(), n * size_t(channels) * 2))
                __builtin_trap();
            for (size_t i = 0; s.autoGain && i < n * size_t(channels); ++i)
                if (abs(piece[i]) > ceiling) __builtin_trap();
            kept += n;
            expected += frames;
            fed += frames;
        }
        kept += ClarityDrain(c, piece.data());
        // The drain's silence makes up for the latency; the priming is dropped.
        uint64_t primed = frame - from;
        if (kept != (expected > primed ? expected - primed : 0)) __builtin_trap();
    }
    return 0;
}
