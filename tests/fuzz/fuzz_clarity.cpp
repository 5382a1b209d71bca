// libFuzzer target: the clarity stages under arbitrary settings, restarts and pieces of sound. A
// stream gives back one frame for each frame from its restart point on, and the automatic volume
// never lets a sample past its ceiling.
#include <math.h>
#include <stdlib.h>

#include <vector>

#include "audio/clarity.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const uint32_t rates[4] = {8000, 16000, 44100, 96000};
    const int ceiling = int(32768 * pow(10.0, CLARITY_CEILING_MILLI_DBFS / 20000.0)) + 1;
    Clarity c;
    ClarityOpen(c, size ? 1 + (data[0] & 1) : 1, rates[size ? (data[0] >> 1) & 3 : 0]);
    size_t n = size_t(c.channels), fed = 0;
    std::vector<int16_t> piece;
    for (size_t at = 1; at + 3 <= size && fed < 32768; at += 3) {
        uint8_t op = data[at], a = data[at + 1], b = data[at + 2];
        ClaritySettings s = {(op & 1) != 0, (op & 2) != 0, (op & 4) != 0,
                             ClarityChannel(op / 8 % 3)};
        uint64_t primed = uint64_t(a) * 97 - ClarityRestart(c, s, uint64_t(a) * 97), given = 0,
                 kept = 0;
        for (int k = 0; k <= op >> 5; ++k) {
            size_t frames = b * 13u + size_t(k);
            piece.resize((frames + CLARITY_MAX_LATENCY) * n);
            for (size_t i = 0; i < piece.size(); ++i)
                piece[i] = int16_t(data[(at + i) % size] * (257 + int(i)));
            size_t got = ClarityProcess(c, piece.data(), frames);
            for (size_t i = 0; s.autoGain && i < got * n; ++i)
                if (abs(piece[i]) > ceiling) __builtin_trap();
            if (got > frames) __builtin_trap();
            kept += got;
            given += frames;
        }
        fed += given;
        // The drain's silence makes up for the latency; the priming is dropped.
        kept += ClarityDrain(c, piece.data());
        if (kept != (given > primed ? given - primed : 0)) __builtin_trap();
    }
    return 0;
}
