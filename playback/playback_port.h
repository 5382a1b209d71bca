// PlaybackPort: everything the playback decisions need from the outside world, as plain function
// pointers over one context. The program binds it to vbmp3.dll and the main window; unit tests bind
// it to a recording fake, so the decisions run without a window or sound.
#ifndef PARLOMIX_PLAYBACK_PORT_H
#define PARLOMIX_PLAYBACK_PORT_H

#include <stdint.h>

#include "common/file_spec.h"
#include "playback/play_state.h"

struct PlaybackPort {
    void *context;

    // The audio library, with the library's own results.
    int32_t (*getState)(void *context, int32_t *position);
    int32_t (*play)(void *context);
    int32_t (*pause)(void *context);
    int32_t (*restart)(void *context);
    int32_t (*stop)(void *context);
    int32_t (*seek)(void *context, int32_t seconds);
    int32_t (*setPitch)(void *context, int32_t pitch);
    int32_t (*getPitch)(void *context);
    // Opens the file by its real path (its stored form where it has no other).
    int32_t (*open)(void *context, const FileSpec *file, Vbmp3FileInfo *info);
    int32_t (*close)(void *context);
    // The library repeats `from`..`to` (seconds) and the seek bar shows it; to <= from: no loop.
    void (*setLoop)(void *context, int32_t from, int32_t to);

    // The main window: its timers, messages and controls.
    void (*startTimer)(void *context, int32_t id, int32_t periodMs);
    void (*stopTimer)(void *context, int32_t id);
    void (*postPitch)(void *context, int32_t pitch);
    void (*drawStatus)(void *context, const PlayState *playState);
    void (*invalidateStatus)(void *context);
    void (*setThumb)(void *context, int32_t position);
    int32_t (*getThumb)(void *context);
    void (*setSeekBar)(void *context, int32_t position, int32_t length);
    // `file` null: the title is the display name alone; else it shows the file's real name.
    void (*setTitle)(void *context, const FileSpec *file);
    void (*showError)(void *context, const char *text);
    void (*showOpenError)(void *context);
    void (*historyChanged)(void *context);
};

#endif
