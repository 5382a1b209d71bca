// libFuzzer target: the MP3 frame index (tags, info frames, sync, damaged frames) on arbitrary
// bytes, with the index's promises checked and the pre-roll walked for every frame.
#include <stddef.h>
#include <stdint.h>

#include "audio/mp3_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    MemoryBytes bytes = {data, size};
    ByteSource source = MemorySource(&bytes);
    Mp3Index index;
    if (!BuildMp3Index(source, 0, size, &index)) return 0;
    size_t frames = Mp3FrameCount(index);
    if (frames == 0 || index.sizes.size() != frames || index.reservoir.size() != frames)
        __builtin_trap();
    for (size_t f = 0; f < frames; ++f) {
        if (uint64_t(index.offsets[f]) + index.sizes[f] > size) __builtin_trap();
        if (f && index.offsets[f] < uint64_t(index.offsets[f - 1]) + index.sizes[f - 1])
            __builtin_trap();
        Mp3Header h;
        if (!ParseMp3Header(data + index.offsets[f], &h) || h.frameBytes != index.sizes[f])
            __builtin_trap();
        if (Mp3PrerollFrame(index, f) > f) __builtin_trap();
    }
    if (index.totalSamples > uint64_t(frames) * uint64_t(index.first.samplesPerFrame))
        __builtin_trap();
    return 0;
}
