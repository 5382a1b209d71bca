// Opening a file, as plain steps over a PlaybackPort: the previous file's position goes into
// the history, the new file is opened and shown, moves to the head of the history and, by
// default, pauses at the position remembered for it. The main window runs it over
// its bound port for every source: the Open dialog, a drop, the history, a second instance.
#ifndef PARLOMIX_OPEN_SEQUENCE_H
#define PARLOMIX_OPEN_SEQUENCE_H

#include <stdint.h>

#include "common/file_spec.h"
#include "playback/controller.h"
#include "playback/play_state.h"
#include "playback/playback_port.h"
#include "settings/option_data.h"

// `fileOpen` and `playState` are read and written. Every repeat timer is stopped first. A failed
// open shows "vbmp3_open error" and leaves no file open and the history as it was. `options`
// supplies resumePosition; it is not const only because the closing SEEK runs through RunOperation.
void OpenFileSequence(const PlaybackPort *port, RepeatTimers *repeats, bool *fileOpen,
                      PlayState *playState, const FileSpec *file, OptionData *options);

// After a successful open: state, seek bar, title "name - display name", status line and the
// history's head.
void ShowOpenedFile(const PlaybackPort *port, PlayState *playState, const FileSpec *file);

// After a failed open: the bare title, an all-zero PlayState, an empty seek bar, a fresh status
// line and then the "vbmp3_open error" box, so that a file opened while the box is up stays.
void ReportOpenError(const PlaybackPort *port, PlayState *playState);

#endif
