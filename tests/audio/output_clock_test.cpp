// The output device's lead (how far its position runs ahead of what has been played) and the
// watch that declares it gone, fed as the feeder feeds them.
#include "audio/output_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Back {
    uint64_t end, position, written;
};

struct LeadCase {
    const char *name;
    std::vector<Back> backs;
    bool known;
    uint32_t lead;
};

TEST(OutputClock, LeadIsTheMedianOfWhatBuffersTellWhenTheyComeBack) {
    std::vector<Back> steady, changed;
    for (uint64_t k = 1; k <= 16; ++k)
        steady.push_back({1323 * k, 1323 * k + 4410, 1323 * k + 6615});
    steady[3].position += 3000;  // woken late once
    steady[9].position -= 4000;  // and an odd early reading
    changed = steady;
    for (uint64_t k = 17; k <= 32; ++k)
        changed.push_back({1323 * k, 1323 * k + 882, 1323 * k + 6615});
    const LeadCase cases[] = {
        {"nothing back yet", {}, false, 0},
        {"one buffer", {{1323, 5733, 6615}}, true, 4410},
        {"the device had taken everything", {{1323, 6615, 6615}, {2646, 7000, 6615}}, false, 0},
        {"a position behind the buffer counts as none ahead", {{1323, 1300, 6615}}, true, 0},
        {"outliers leave the median", steady, true, 4410},
        {"a new lead replaces the old once seen often enough", changed, true, 882},
    };
    for (const LeadCase &c : cases) {
        OutputClock clock;
        ResetOutputClock(clock, 0);
        for (const Back &b : c.backs) NoteBufferBack(clock, b.end, b.position, b.written);
        EXPECT_EQ(LeadKnown(clock), c.known) << c.name;
        EXPECT_EQ(LeadFrames(clock), c.lead) << c.name;
    }
}

struct Pass {
    uint32_t ms;
    uint64_t position;
    bool back, queued, stalled;
};

struct StallCase {
    const char *name;
    uint32_t startMs;
    std::vector<Pass> passes;
};

TEST(OutputClock, ADeviceIsGoneOnlyAfterItsQueuedSoundStopsMoving) {
    const uint32_t LIMIT = DEVICE_LOST_MS, WRAP = 0xFFFFFF00u;
    const StallCase cases[] = {
        {"position stops with sound queued",
         0,
         {{0, 0, false, true, false},
          {20, 441, false, true, false},
          {20 + LIMIT - 1, 441, false, true, false},
          {20 + LIMIT, 441, false, true, true}}},
        {"a buffer coming back is progress",
         0,
         {{LIMIT - 10, 0, false, true, false},
          {LIMIT + 50, 0, true, true, false},
          {2 * LIMIT + 49, 0, false, true, false},
          {2 * LIMIT + 50, 0, false, true, true}}},
        {"nothing queued never stalls (the end of a file)",
         0,
         {{10 * LIMIT, 0, false, false, false}, {20 * LIMIT, 0, false, false, false}}},
        {"the tick count wraps",
         WRAP,
         {{WRAP + 10, 7, false, true, false},
          {WRAP + 10 + LIMIT - 1, 7, false, true, false},
          {WRAP + 10 + LIMIT, 7, false, true, true}}},
    };
    for (const StallCase &c : cases) {
        OutputClock clock;
        ResetOutputClock(clock, c.startMs);
        for (const Pass &p : c.passes)
            EXPECT_EQ(DeviceStalled(clock, p.position, p.back, p.queued, p.ms), p.stalled)
                << c.name << " at " << p.ms - c.startMs << " ms";
    }
}

TEST(OutputClock, AStartAfterALongPauseIsNotAStall) {
    OutputClock clock;
    ResetOutputClock(clock, 0);
    EXPECT_FALSE(DeviceStalled(clock, 441, false, true, 10));
    // Paused for a minute at the same position, then started again.
    RestartWatch(clock, 60000);
    EXPECT_FALSE(DeviceStalled(clock, 441, false, true, 60000 + DEVICE_LOST_MS - 1));
    EXPECT_TRUE(DeviceStalled(clock, 441, false, true, 60000 + DEVICE_LOST_MS));
}

}  // namespace
