// The outline of a recording: its loudness in a fixed number of buckets across the whole length,
// filled left to right from decoded sound as it arrives, in the same small record whatever the
// length; and the arithmetic that draws the buckets into pixel columns. Portable: the program
// reads the sound on a thread of its own and draws the record in its window.
#ifndef PARLOMIX_AUDIO_OUTLINE_H
#define PARLOMIX_AUDIO_OUTLINE_H

#include <stddef.h>
#include <stdint.h>

enum {
    OUTLINE_BUCKETS = 4096,
    // A recording longer than this is sampled: each bucket reads a window from its own start, so
    // that no more sound than this is decoded in all (a three-hour file then outlines in seconds).
    OUTLINE_SAMPLED_SECONDS = 2700,
    // A gap between two windows shorter than this is read through: a seek costs more.
    OUTLINE_MIN_SKIP_MS = 1000,
    // The quietest level drawn above the centre line, in dB below full scale.
    OUTLINE_FLOOR_DB = 54,
};

struct OutlinePlan {
    uint64_t frames;   // the whole length
    uint32_t buckets;  // OUTLINE_BUCKETS, or one per frame for a shorter file
    uint64_t window;   // frames read from each bucket's start; 0: every frame, straight through
};

// How a recording of `frames` frames at `rate` Hz is read.
OutlinePlan PlanOutline(uint64_t frames, uint32_t rate);

struct Outline {
    OutlinePlan plan;
    int32_t channels;
    // Buckets complete: level[0..ready) never change again.
    uint32_t ready;
    // The bucket being filled: its sum of squared samples and how many samples it holds.
    uint32_t current;
    double squares;
    uint64_t samples;
    // Root mean square of each complete bucket, 0..32767.
    uint16_t level[OUTLINE_BUCKETS];
};

void OutlineStart(Outline *outline, const OutlinePlan &plan, int32_t channels);
// Where the next read starts and how many frames it may take there; false once every bucket has
// been read. `at` is the frame after the last one added.
bool OutlineNextRead(const Outline *outline, uint64_t at, uint64_t *from, uint64_t *frames);
// Adds `count` interleaved frames from frame `at` on; `at` never goes back. Every bucket before
// the one of the last frame is complete then.
void OutlineAdd(Outline *outline, uint64_t at, const int16_t *pcm, size_t count);
// The reading ended (at the end, or where the decoder gave up): the bucket being filled is
// complete too, and any after it stay unknown.
void OutlineFinish(Outline *outline);

// The level drawn in column `x` of `width`: the loudest complete bucket under it. False while a
// bucket under it is still to come.
bool OutlineColumnLevel(const Outline *outline, uint32_t ready, int32_t x, int32_t width,
                        uint16_t *level);
// The columns [*first, *last) of `width` that show buckets [from, to) of `buckets`.
void OutlineColumnsOf(uint32_t buckets, uint32_t from, uint32_t to, int32_t width, int32_t *first,
                      int32_t *last);
// How far above (and below) the centre line a level reaches, in pixels of `halfHeight`: a decibel
// scale from OUTLINE_FLOOR_DB below full scale (0) to full scale (halfHeight).
int32_t OutlineReach(uint16_t level, int32_t halfHeight);

// The column of second `second` of a recording `length` seconds long drawn `width` wide, and the
// second a column stands for (the one at its middle). A recording of no length is all column 0.
int32_t OutlineColumnOfSecond(int32_t second, int32_t length, int32_t width);
int32_t OutlineSecondOfColumn(int32_t x, int32_t length, int32_t width);

#endif
