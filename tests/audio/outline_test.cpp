// The outline's buckets, read the way the band's thread reads a file: silence, a tone, a loud,
// quiet and loud recording, one shorter than the buckets, a length the buckets do not divide,
// and a long recording read in windows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "audio/outline.h"

// A square wave: its root mean square is its amplitude over any whole number of half periods.
static const int16_t LOUD = 20000;
static int16_t Square(uint64_t frame) { return (frame / 10) % 2 ? LOUD : -LOUD; }

typedef std::function<int16_t(uint64_t frame)> Signal;

// Loud in the first and last third, silent between.
static Signal LoudQuietLoud(uint64_t frames) {
    return [frames](uint64_t f) { return f < frames / 3 || f >= 2 * frames / 3 ? Square(f) : 0; };
}

// Reads as the band does: where the plan says, in uneven chunks; counts the frames read.
static void Read(Outline *o, uint64_t frames, uint32_t rate, int channels, const Signal &signal,
                 uint64_t *read) {
    OutlineStart(o, PlanOutline(frames, rate), channels);
    std::vector<int16_t> chunk;
    uint64_t at = 0, from, want;
    *read = 0;
    for (size_t n = 0; OutlineNextRead(o, at, &from, &want); ++n) {
        size_t count = size_t(want < 1000 + n % 3000 ? want : 1000 + n % 3000);
        chunk.resize(count * size_t(channels));
        for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = signal(from + i / size_t(channels));
        OutlineAdd(o, from, chunk.data(), count);
        at = from + count;
        *read += count;
    }
    OutlineFinish(o);
}

// The buckets as runs of "silent", "loud" (the square's own level) and "between".
static std::string Shape(const Outline &o) {
    std::string shape, last;
    for (uint32_t b = 0; b < o.ready; ++b) {
        std::string kind = o.level[b] == 0 ? "silent" : o.level[b] == LOUD ? "loud" : "between";
        if (kind != last) shape += (shape.empty() ? "" : " ") + kind;
        last = kind;
    }
    return shape;
}

TEST(Outline, BucketsFollowTheLoudnessOfTheWholeFile) {
    const uint64_t THREE_HOURS = uint64_t(8000) * 3 * 3600;
    const struct {
        const char *name;
        uint32_t rate;
        uint64_t frames;
        int channels;
        Signal signal;
        const char *shape;
    } rows[] = {
        {"SILENCE", 8000, 8000 * 60, 1, [](uint64_t) { return int16_t(0); }, "silent"},
        {"TONE_STEREO", 16000, 16000 * 30, 2, Square, "loud"},
        {"LOUD_QUIET_LOUD", 8000, 8000 * 90, 1, LoudQuietLoud(8000 * 90),
         "loud between silent between loud"},
        {"SHORTER_THAN_THE_BUCKETS", 8000, 1000, 1, Square, "loud"},
        {"LENGTH_NOT_DIVISIBLE", 8000, 3 * OUTLINE_BUCKETS + 5, 2, Square, "loud"},
        // Only windows are read; at these places none of them holds a change of loudness.
        {"THREE_HOURS_IN_WINDOWS", 8000, THREE_HOURS, 1, LoudQuietLoud(THREE_HOURS),
         "loud silent loud"},
    };
    Outline outline;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        uint64_t read = 0;
        Read(&outline, row.frames, row.rate, row.channels, row.signal, &read);
        uint64_t buckets = row.frames < OUTLINE_BUCKETS ? row.frames : uint64_t(OUTLINE_BUCKETS);
        EXPECT_EQ(outline.ready, buckets);
        EXPECT_EQ(Shape(outline), row.shape);
        bool sampled = row.frames > uint64_t(OUTLINE_SAMPLED_SECONDS) * row.rate;
        EXPECT_EQ(read, sampled ? uint64_t(OUTLINE_SAMPLED_SECONDS) * row.rate / buckets * buckets
                                : row.frames);
    }
}

// A reading that stops early leaves the buckets after it unknown and the drawing empty there.
TEST(Outline, AnEarlyEndLeavesTheRestUnknown) {
    Outline o;
    OutlineStart(&o, PlanOutline(8000 * 60, 8000), 1);
    std::vector<int16_t> half(8000 * 30, LOUD);
    OutlineAdd(&o, 0, half.data(), half.size());
    OutlineFinish(&o);
    EXPECT_EQ(o.ready, OUTLINE_BUCKETS / 2);
    uint16_t level = 0;
    EXPECT_TRUE(OutlineColumnLevel(&o, o.ready, 0, 100, &level));
    EXPECT_EQ(level, LOUD);
    EXPECT_FALSE(OutlineColumnLevel(&o, o.ready, 99, 100, &level));
}
