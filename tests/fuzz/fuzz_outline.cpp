// The outline's buckets and columns from arbitrary lengths, rates, channel counts and reads: the
// complete buckets only grow, reads follow the plan, and every column stays within the band.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "audio/outline.h"

static Outline outline;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 16) return 0;
    uint64_t frames;
    uint32_t rate;
    memcpy(&frames, data, 8);
    memcpy(&rate, data + 8, 4);
    int32_t channels = 1 + data[12] % 2, width = 1 + data[13] * 8;
    frames %= uint64_t(1) << (data[14] % 48);
    data += 16;
    size -= 16;
    OutlineStart(&outline, PlanOutline(frames, rate), channels);
    uint64_t at = 0, from, want;
    uint32_t ready = 0;
    int16_t pcm[512];
    for (size_t i = 0; i + 2 <= size && OutlineNextRead(&outline, at, &from, &want); i += 2) {
        if (from < at || want == 0) __builtin_trap();
        size_t count = 1 + data[i] % 200;
        if (count > want) count = size_t(want);
        memset(pcm, data[i + 1], count * size_t(channels) * 2);
        OutlineAdd(&outline, from, pcm, count);
        if (outline.ready < ready || outline.ready > outline.plan.buckets) __builtin_trap();
        ready = outline.ready;
        at = from + count;
    }
    OutlineFinish(&outline);
    for (int32_t x = 0; x < width; ++x) {
        uint16_t level;
        if (OutlineColumnLevel(&outline, outline.ready, x, width, &level) &&
            OutlineReach(level, width) > width)
            __builtin_trap();
        int32_t second = OutlineSecondOfColumn(x, int32_t(rate), width);
        int32_t column = OutlineColumnOfSecond(second, int32_t(rate), width);
        if (column < 0 || column >= width) __builtin_trap();
    }
    int32_t first, last;
    OutlineColumnsOf(outline.plan.buckets, 0, outline.ready, width, &first, &last);
    if (first < 0 || last > width) __builtin_trap();
    return 0;
}
