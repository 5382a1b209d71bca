// The steps of opening a file, kept apart from the window so that tests can follow them.
#include "playback/open_sequence.h"

#include <string.h>

#include "settings/history.h"

void ShowOpenedFile(const PlaybackPort *port, PlayState *playState, const FileSpec *file) {
    playState->state = port->getState(port->context, &playState->position);
    port->setSeekBar(port->context, playState->position, playState->fileInfo.length);
    port->setTitle(port->context, file);
    port->invalidateStatus(port->context);
    HistoryAddFile(file);
    port->historyChanged(port->context);
}

void ReportOpenError(const PlaybackPort *port, PlayState *playState) {
    port->setTitle(port->context, nullptr);
    memset(playState, 0, sizeof *playState);
    port->setSeekBar(port->context, 0, 0);
    port->invalidateStatus(port->context);
    // The box comes last: its message loop keeps serving the window, where a second start may
    // open another file, and nothing may undo that open once the box is answered.
    port->showOpenError(port->context);
}

void OpenFileSequence(const PlaybackPort *port, RepeatTimers *repeats, bool *fileOpen,
                      PlayState *playState, const FileSpec *file, OptionData *options) {
    // Whatever happens next, the file a held step was meant for is gone.
    StopAllRepeats(port, repeats);
    ClearLoop(port, playState);
    if (*fileOpen) {
        SetHistoryPosition(0, playState->position);
        port->close(port->context);
        *fileOpen = false;
    }
    *fileOpen = port->open(port->context, file, &playState->fileInfo) != 0;
    if (!*fileOpen) {
        ReportOpenError(port, playState);
        return;
    }
    ShowOpenedFile(port, playState, file);
    if (options->resumePosition == 1) {
        playState->seekPosition = HistoryEntryAt(0)->position;
        RunOperation(port, repeats, *fileOpen, OP_SEEK, playState, options);
        port->setThumb(port->context, playState->position);
    }
}
