// Default options and the repair of a damaged options record after it is read.
#include "settings/option_data.h"

#include <string.h>

#include "audio/vbmp3.h"

void SetDefaultOptionData(OptionData *options) {
    memset(options, 0, sizeof *options);
    options->pitch = 100;
    options->pitchStep = 1;
    options->revSeconds = 1;
    options->rewSeconds = 4;
    options->ffSeconds = 4;
    options->windowRight = DEFAULT_WINDOW_RIGHT;
    options->windowBottom = DEFAULT_WINDOW_BOTTOM;
    options->resumePosition = 1;
}

static int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}

void RepairOptionData(OptionData *options) {
    options->historyCount = Clamp(options->historyCount, 0, HISTORY_SLOTS);
    options->pitch = Clamp(options->pitch, VBMP3_PITCH_MIN, VBMP3_PITCH_MAX);
    // The step is added to a pitch of at most VBMP3_PITCH_MAX and taken from one of at least
    // VBMP3_PITCH_MIN: the bound
    // keeps either result far from overflow, whatever a hand-edited file holds.
    options->pitchStep = Clamp(options->pitchStep, 1, PITCH_STEP_MAX);
    options->revSeconds = Clamp(options->revSeconds, STEP_SECONDS_MIN, STEP_SECONDS_MAX);
    options->rewSeconds = Clamp(options->rewSeconds, STEP_SECONDS_MIN, STEP_SECONDS_MAX);
    options->ffSeconds = Clamp(options->ffSeconds, STEP_SECONDS_MIN, STEP_SECONDS_MAX);
    // Strings of the counted entries are used as C strings: make sure each ends in its field.
    for (int32_t i = 0; i < options->historyCount; ++i) {
        HistoryEntry *e = &options->history[i];
        e->path[sizeof e->path - 1] = '\0';
        e->name[sizeof e->name - 1] = '\0';
    }
}
