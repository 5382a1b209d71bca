// libFuzzer target: the time-stretch driven by arbitrary input pieces and tempo changes; the
// reported source positions never go backwards and, once the input has ended, stay within it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "audio/stretch.h"

// The most audio one input is turned into: enough for many analysis windows at every rate and
// tempo, yet small enough that the target runs hundreds of inputs a second. (The seeds are whole
// MP3 files; uncapped, each became tens of seconds of audio and the target ran 3 inputs a
// second.)
static const size_t MAX_FED_FRAMES = 16384;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    int channels = 1 + (data[0] & 1);
    uint32_t rates[4] = {8000, 11025, 22050, 44100};
    uint32_t rate = rates[(data[0] >> 1) & 3];
    Stretch s = {};
    s.tempo = 1.0;
    StretchReset(s, channels, rate, 0);
    std::vector<int16_t> piece, out(4096 * 2);
    double last = 0;
    size_t at = 1, fed = 0;
    while (at + 3 <= size && fed < MAX_FED_FRAMES) {
        uint8_t op = data[at], a = data[at + 1], b = data[at + 2];
        at += 3;
        if (op & 1) {
            StretchSetTempo(s, (50 + (a * 250) / 255) / 100.0);
        }
        size_t frames = size_t(a) * 16 + b;
        if (frames > MAX_FED_FRAMES - fed) frames = MAX_FED_FRAMES - fed;
        piece.resize(frames * size_t(channels));
        for (size_t i = 0; i < piece.size(); ++i)
            piece[i] = int16_t((i * 7919u + op * 131u) & 0xFFFF);
        StretchPut(s, piece.data(), frames);
        fed += frames;
        double from, to;
        size_t n;
        while ((n = StretchTake(s, out.data(), 4096, &from, &to)) > 0) {
            if (from + 1e-6 < last || to + 1e-6 < from) __builtin_trap();
            last = to;
        }
    }
    StretchFinish(s);
    double from, to;
    while (StretchTake(s, out.data(), 4096, &from, &to) > 0) {
        if (from + 1e-6 < last || to > double(fed) + 1e-6) __builtin_trap();
        last = to;
    }
    return 0;
}
