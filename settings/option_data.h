// OptionData is the whole content of parlomix_opt: 4244 bytes, little-endian int32 fields and
// eight 524-byte history entries, with no header or padding. The byte image is the file format.
#ifndef PARLOMIX_OPTION_DATA_H
#define PARLOMIX_OPTION_DATA_H

#include <stddef.h>
#include <stdint.h>

#include "common/file_spec.h"

enum { HISTORY_SLOTS = 8, PITCH_STEP_MAX = 250 };

// The range of revSeconds, rewSeconds and ffSeconds, whole seconds: what the window's up-downs
// offer and what a repaired file holds.
enum { STEP_SECONDS_MIN = 0, STEP_SECONDS_MAX = 9 };

struct HistoryEntry {
    char path[FILE_SPEC_TEXT];
    char name[FILE_SPEC_TEXT];
    int32_t position;  // remembered playing position, whole seconds
};
static_assert(sizeof(HistoryEntry) == 524, "HistoryEntry is 524 bytes");
static_assert(offsetof(HistoryEntry, name) == 260 && offsetof(HistoryEntry, position) == 520,
              "HistoryEntry begins with the FileSpec fields");

struct OptionData {
    int32_t alwaysOnTop;
    int32_t playMode;
    int32_t pitch;
    int32_t pitchStep;
    int32_t revSeconds;
    int32_t rewSeconds;
    int32_t ffSeconds;
    int32_t windowLeft;
    int32_t windowTop;
    int32_t windowRight;
    int32_t windowBottom;
    int32_t historyCount;
    HistoryEntry history[HISTORY_SLOTS];
    int32_t resumePosition;
};
static_assert(sizeof(OptionData) == 4244, "parlomix_opt is 4244 bytes");
static_assert(offsetof(OptionData, alwaysOnTop) == 0 && offsetof(OptionData, playMode) == 4 &&
                  offsetof(OptionData, pitch) == 8 && offsetof(OptionData, pitchStep) == 12 &&
                  offsetof(OptionData, revSeconds) == 16 &&
                  offsetof(OptionData, rewSeconds) == 20 && offsetof(OptionData, ffSeconds) == 24 &&
                  offsetof(OptionData, windowLeft) == 28 && offsetof(OptionData, windowTop) == 32 &&
                  offsetof(OptionData, windowRight) == 36 &&
                  offsetof(OptionData, windowBottom) == 40 &&
                  offsetof(OptionData, historyCount) == 44 && offsetof(OptionData, history) == 48 &&
                  offsetof(OptionData, resumePosition) == 4240,
              "OptionData field offsets");

// The default window rectangle, (0, 0) to (DEFAULT_WINDOW_RIGHT, DEFAULT_WINDOW_BOTTOM), is
// measured in pixels at 96 DPI.
enum { DEFAULT_WINDOW_RIGHT = 260, DEFAULT_WINDOW_BOTTOM = 162, DEFAULT_WINDOW_DPI = 96 };

// Zeroes the whole record, then sets pitch 100, pitchStep 1, revSeconds 1, rewSeconds 4,
// ffSeconds 4, the default window rectangle and resumePosition 1.
void SetDefaultOptionData(OptionData *options);

// Brings values that only a damaged or hand-edited file can hold back into range: the history
// count into 0..8, pitch into VBMP3_PITCH_MIN..VBMP3_PITCH_MAX, pitchStep into
// 1..PITCH_STEP_MAX, the three step values into STEP_SECONDS_MIN..STEP_SECONDS_MAX, and every
// counted history string
// terminated within its field. Values the program writes itself are unchanged.
void RepairOptionData(OptionData *options);

#endif
