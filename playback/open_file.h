// Opening an audio file from the main window: the open routine every source ends in, the Open
// dialog and the drop of files on the window.
#ifndef PARLOMIX_OPEN_FILE_H
#define PARLOMIX_OPEN_FILE_H

#include <windows.h>
#include <shellapi.h>

#include "app/file_spec.h"
#include "app/layout.h"
#include "playback/play_state.h"
#include "settings/option_data.h"

// Stores the open file's position in history entry 0 and closes it, opens `file` and shows it,
// moves it to the head of the history and, with resumePosition 1, pauses at the position
// remembered for it. A failed open shows "vbmp3_open error" and leaves no file open and the
// history as it was. `options` is not const for the closing SEEK's sake (see ExecuteOperation).
void OpenAudioFile(HWND window, int32_t *fileOpen, PlayState *playState, HWND seekBar,
                   FileSpec file, Layout layout, OptionData *options);

// The Open dialog, starting at the file `file` names; on OK its path and bare name are in
// `file`. Returns nonzero when the user chose a file.
int32_t ChooseAudioFile(HWND window, FileSpec *file);

// Takes the first of the dropped files into `file` (further ones are ignored) and releases
// the drop. Returns 1 when there was a file, else 0 with `file` untouched.
int32_t TakeDroppedFile(HDROP drop, FileSpec *file);

#endif
