// The outline's buckets and their columns. Bucket b holds frames [Start(b), Start(b + 1)); the
// starts are exact floors of frames·b/buckets for any length, so the buckets tile the whole file.
#include "audio/outline.h"

#include <math.h>

enum { FULL_SCALE = 32768, LEVEL_MAX = 32767 };

static uint64_t Start(const OutlinePlan &plan, uint32_t bucket) {
    if (plan.buckets == 0) return 0;
    // q·b + r·b/B equals frames·b/B without the product that could overflow.
    uint64_t q = plan.frames / plan.buckets, r = plan.frames % plan.buckets;
    return q * bucket + r * bucket / plan.buckets;
}

// The bucket that holds `frame` (< plan.frames): a first guess in floating point, then exact.
static uint32_t BucketOf(const OutlinePlan &plan, uint64_t frame) {
    double guess = double(frame) * plan.buckets / double(plan.frames);
    uint32_t b = guess >= plan.buckets ? plan.buckets - 1 : uint32_t(guess);
    while (b + 1 < plan.buckets && Start(plan, b + 1) <= frame) ++b;
    while (b > 0 && Start(plan, b) > frame) --b;
    return b;
}

OutlinePlan PlanOutline(uint64_t frames, uint32_t rate) {
    const uint32_t most = OUTLINE_BUCKETS;
    OutlinePlan plan = {frames, frames < most ? uint32_t(frames) : most, 0};
    if (rate == 0 || frames / rate <= OUTLINE_SAMPLED_SECONDS) return plan;
    uint64_t window = uint64_t(OUTLINE_SAMPLED_SECONDS) * rate / plan.buckets;
    if (window >= frames / plan.buckets) return plan;
    uint64_t gap = frames / plan.buckets - window;
    if (gap * 1000 >= uint64_t(OUTLINE_MIN_SKIP_MS) * rate) plan.window = window;
    return plan;
}

void OutlineStart(Outline *o, const OutlinePlan &plan, int32_t channels) {
    o->plan = plan;
    o->channels = channels > 0 ? channels : 1;
    o->ready = o->current = 0;
    o->squares = 0;
    o->samples = 0;
    for (uint16_t &level : o->level) level = 0;
}

bool OutlineNextRead(const Outline *o, uint64_t at, uint64_t *from, uint64_t *frames) {
    const OutlinePlan &plan = o->plan;
    if (at >= plan.frames || plan.buckets == 0) return false;
    if (plan.window == 0) {
        *from = at;
        *frames = plan.frames - at;
        return true;
    }
    uint32_t b = BucketOf(plan, at);
    uint64_t end = Start(plan, b) + plan.window;
    if (at >= end) {
        if (b + 1 >= plan.buckets) return false;
        at = Start(plan, b + 1);
        end = at + plan.window;
    }
    *from = at;
    *frames = end - at;
    return true;
}

// The bucket being filled is complete; the next one, empty, is filled from now on.
static void CloseBucket(Outline *o) {
    double rms = o->samples ? sqrt(o->squares / double(o->samples)) : 0;
    o->level[o->current] = rms >= LEVEL_MAX ? uint16_t(LEVEL_MAX) : uint16_t(rms + 0.5);
    o->ready = ++o->current;
    o->squares = 0;
    o->samples = 0;
}

void OutlineAdd(Outline *o, uint64_t at, const int16_t *pcm, size_t count) {
    const OutlinePlan &plan = o->plan;
    size_t c = size_t(o->channels);
    for (size_t i = 0; i < count && at + i < plan.frames;) {
        uint64_t frame = at + i;
        uint32_t b = BucketOf(plan, frame);
        while (o->current < b) CloseBucket(o);
        uint64_t end = b + 1 < plan.buckets ? Start(plan, b + 1) : plan.frames;
        size_t run = end - frame < count - i ? size_t(end - frame) : count - i;
        // Whole numbers within a run: at most 2^31 per sample, far from 2^63 in a run's sum.
        int64_t sum = 0;
        for (const int16_t *s = pcm + i * c, *e = s + run * c; s < e; ++s) sum += int64_t(*s) * *s;
        o->squares += double(sum);
        o->samples += run * c;
        i += run;
    }
}

void OutlineFinish(Outline *o) {
    if (o->current < o->plan.buckets && o->samples > 0) CloseBucket(o);
}

static void ColumnBuckets(uint32_t buckets, int32_t x, int32_t width, uint32_t *first,
                          uint32_t *last) {
    *first = uint32_t(int64_t(x) * buckets / width);
    *last = uint32_t(int64_t(x + 1) * buckets / width);
    if (*last <= *first) *last = *first + 1;
}

bool OutlineColumnLevel(const Outline *o, uint32_t ready, int32_t x, int32_t width,
                        uint16_t *level) {
    uint32_t buckets = o->plan.buckets, first, last;
    if (buckets == 0 || width <= 0 || x < 0 || x >= width) return false;
    ColumnBuckets(buckets, x, width, &first, &last);
    if (last > ready) return false;
    *level = 0;
    for (uint32_t b = first; b < last; ++b)
        if (o->level[b] > *level) *level = o->level[b];
    return true;
}

void OutlineColumnsOf(uint32_t buckets, uint32_t from, uint32_t to, int32_t width, int32_t *first,
                      int32_t *last) {
    *first = *last = 0;
    if (buckets == 0 || width <= 0 || from >= to) return;
    // A column more on each side: whichever way the division rounds, every column is covered.
    int64_t a = int64_t(from) * width / buckets - 1;
    int64_t b = (int64_t(to) * width + buckets - 1) / buckets + 1;
    *first = a < 0 ? 0 : int32_t(a);
    *last = b > width ? width : int32_t(b);
}

int32_t OutlineReach(uint16_t level, int32_t halfHeight) {
    if (level == 0 || halfHeight <= 0) return 0;
    double db = 20 * log10(double(level) / FULL_SCALE);
    double share = (db + OUTLINE_FLOOR_DB) / OUTLINE_FLOOR_DB;
    if (share <= 0) return 0;
    return share >= 1 ? halfHeight : int32_t(share * halfHeight + 0.5);
}

int32_t OutlineColumnOfSecond(int32_t second, int32_t length, int32_t width) {
    if (length <= 0 || width <= 0 || second <= 0) return 0;
    int64_t x = int64_t(second) * width / length;
    return x >= width ? width - 1 : int32_t(x);
}

int32_t OutlineSecondOfColumn(int32_t x, int32_t length, int32_t width) {
    if (length <= 0 || width <= 0) return 0;
    if (x < 0) x = 0;
    if (x >= width) x = width - 1;
    int64_t second = (2 * int64_t(x) + 1) * length / (2 * int64_t(width));
    return second > length ? length : int32_t(second);
}
