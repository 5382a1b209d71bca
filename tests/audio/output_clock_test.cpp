// The output device's position past 32 bits, its lead (how far its position runs ahead of what
// has been played) and the watch that declares it gone, fed as the feeder feeds them.
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
        // A Bluetooth headset waking up is not a lost device.
        {"a device that has not moved yet gets DEVICE_START_MS",
         0,
         {{LIMIT, 0, false, true, false},
          {DEVICE_START_MS - 1, 0, false, true, false},
          {DEVICE_START_MS, 0, false, true, true}}},
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
    // Paused for a minute at the same position, then started again: the device starts anew.
    RestartWatch(clock, 441, 60000);
    EXPECT_FALSE(DeviceStalled(clock, 441, false, true, 60000 + DEVICE_START_MS - 1));
    EXPECT_TRUE(DeviceStalled(clock, 441, false, true, 60000 + DEVICE_START_MS));
}

struct HeardCase {
    const char *name;
    std::vector<uint32_t> leads;  // observed
    uint64_t position, heardWhole, notYetWhole, heard;
};

TEST(OutputClock, WhatIsHeardIsThePositionLessTheLeadWithinWhatCameBack) {
    const HeardCase cases[] = {
        {"the position less the lead", {4410}, 10000, 4000, 6615, 5590},
        {"a lead seen too short stops at the buffer still held", {441}, 10000, 4000, 6615, 6615},
        {"a lead seen too long rises to what came back", {9000}, 10000, 4000, 6615, 4000},
        {"no lead yet: only what came back", {}, 10000, 1323, 2646, 1323},
    };
    for (const HeardCase &c : cases) {
        OutputClock clock;
        ResetOutputClock(clock, 0);
        for (uint32_t lead : c.leads) NoteBufferBack(clock, 1323, 1323 + lead, 100000);
        EXPECT_EQ(HeardOutput(clock, c.position, c.heardWhole, c.notYetWhole), c.heard) << c.name;
    }
}

struct CounterCase {
    const char *name;
    uint32_t unitsPerFrame;
    std::vector<uint32_t> raws;
    uint64_t frames;
};

TEST(OutputClock, APositionGoesOnPastThe32BitsItIsReportedIn) {
    const uint64_t WRAP = uint64_t(1) << 32;
    const CounterCase cases[] = {
        {"frames past their wrap", 1, {0xFFFFF000u, 0x1000u}, WRAP + 0x1000},
        {"stereo bytes past 4 GiB", 4, {0xFFFFFF00u, 0x100u}, (WRAP + 0x100) / 4},
        {"mono bytes wrapping twice",
         2,
         {0x80000000u, 0x10u, 0x80000000u, 0x10u},
         (2 * WRAP + 0x10) / 2},
    };
    for (const CounterCase &c : cases) {
        DeviceCounter counter = {};
        uint64_t frames = 0;
        for (uint32_t raw : c.raws) frames = AdvanceCounter(counter, raw, c.unitsPerFrame);
        EXPECT_EQ(frames, c.frames) << c.name;
    }
}

}  // namespace
