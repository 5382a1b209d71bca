// Choosing an audio file from the main window: the Open dialog and the drop of files on the
// window. Every source then ends in OpenFileSequence over the window's port.
#ifndef PARLOMIX_OPEN_FILE_H
#define PARLOMIX_OPEN_FILE_H

#include <windows.h>
#include <shellapi.h>
#include <stdint.h>

#include "common/file_spec.h"

// The Open dialog, starting at the file `file` names; on OK `file` names the chosen file. Returns
// nonzero when the user chose a file; a path too long for the record gets the box that says so.
int32_t ChooseAudioFile(HWND window, FileSpec *file);

// Takes the first of the dropped files into `file` (further ones are ignored) and releases
// the drop. Returns 1 when there was a file, else 0 with `file` untouched; a path too long for
// the record gets the box that says so, owned by `window`.
int32_t TakeDroppedFile(HWND window, HDROP drop, FileSpec *file);

#endif
