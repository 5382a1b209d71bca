// What an output device tells about itself over time, kept apart from the device calls: where its
// position is past the 32 bits it reports in, how far that position runs ahead of what the
// listener hears (its lead), and whether it has stopped taking sound (unplugged). No windows.h;
// the feeder feeds it what the device reports.
#ifndef PARLOMIX_OUTPUT_CLOCK_H
#define PARLOMIX_OUTPUT_CLOCK_H

#include <stdint.h>

enum {
    LEAD_OBSERVATIONS = 16,  // the lead is the median of the last this many buffers back
    DEVICE_LOST_MS = 200,    // queued sound and no progress for this long: the device is gone
    // ... but before a device has moved at all after a start: Bluetooth headsets and suspended
    // sinks take well over DEVICE_LOST_MS to begin.
    DEVICE_START_MS = 3000,
};

// A position a driver reports in 32 bits, counted on past its wrap in the unit it reports in:
// bytes wrap after 4 GiB, which is some hours of play.
struct DeviceCounter {
    uint64_t total;
    uint32_t last;
};

// The device reported `raw` units (`unitsPerFrame`: 1 for frames, the frame size for bytes) since
// its last reset, wrapped to 32 bits; returns the frames since then. A counter that wrapped more
// than once between two readings cannot be told apart.
uint64_t AdvanceCounter(DeviceCounter &c, uint32_t raw, uint32_t unitsPerFrame);

struct OutputClock {
    uint32_t observed[LEAD_OBSERVATIONS];  // frames, oldest overwritten first
    uint32_t count;                        // observations since the device was opened
    uint64_t lastPosition;
    uint32_t lastProgressMs;
    bool moved;  // progress seen since the last start
};

// A device just opened: nothing known of its lead, progress counted from `nowMs`.
void ResetOutputClock(OutputClock &c, uint32_t nowMs);

// A buffer whose last frame was output frame `end` - 1 came back (the device has played it) when
// the device reported `position` with `written` frames given to it. The difference is how far
// the position runs ahead of the listener; a device that has taken everything (starved, or a
// fade that ended the sound) says nothing about it.
void NoteBufferBack(OutputClock &c, uint64_t end, uint64_t position, uint64_t written);

bool LeadKnown(const OutputClock &c);
// The median of the recent observations (0 when none).
uint32_t LeadFrames(const OutputClock &c);

// The output frame the listener hears when the device reports `position`: the position less the
// lead, but never before `heardWhole` (the end of the last buffer given back) nor past
// `notYetWhole` (the end of the first it still holds). The lead alone misleads while it rests on
// few or late observations, or while the device runs short of sound; the bounds keep the error
// within a buffer. With the lead unknown nothing past what came back counts as heard.
uint64_t HeardOutput(const OutputClock &c, uint64_t position, uint64_t heardWhole,
                     uint64_t notYetWhole);

// Sound starts (again) now from a device whose position is `position`: a stall is counted from
// here, not from before a pause, and the device gets DEVICE_START_MS to begin moving.
void RestartWatch(OutputClock &c, uint64_t position, uint32_t nowMs);

// Called on every feeder pass while playing. True once the device has had sound queued and has
// neither moved its position nor given a buffer back for DEVICE_LOST_MS (DEVICE_START_MS before
// its first progress since the start).
bool DeviceStalled(OutputClock &c, uint64_t position, bool bufferBack, bool queued, uint32_t nowMs);

#endif
