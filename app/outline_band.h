// The outline band of the main window: the loudness of the whole open file, read by a thread of
// its own through an independent reader of the audio library and drawn as it arrives, with the
// part already heard darker, the heard position and the loop. A click or drag on it asks the main
// window to seek (WM_OUTLINE_SEEK); the setting that shows it is [View] Outline of parlomix.ini.
#ifndef PARLOMIX_OUTLINE_BAND_H
#define PARLOMIX_OUTLINE_BAND_H

#include <windows.h>

#include "audio/outline.h"
#include "common/file_spec.h"

struct OutlineBand {
    HWND window;  // the band (IDC_OUTLINE); null when it could not be made
    HWND owner;   // the main window, which receives WM_OUTLINE_PROGRESS and WM_OUTLINE_SEEK
    bool shown;
    bool dragging;
    // The open file, read while the band is shown; an empty path: none.
    wchar_t path[FILE_SPEC_TEXT];
    int32_t length;  // seconds
    int32_t position;
    int32_t loopFrom, loopTo;  // loopTo <= loopFrom: no loop
    // The reading: one thread at a time, numbered by `job` so that a stale message is ignored.
    // The thread fills `outline` and publishes how many buckets are complete; those never
    // change again, so the window reads them without a lock.
    HANDLE thread;
    WPARAM job;
    volatile LONG cancel;
    volatile LONG published;
    volatile LONG posted;  // a progress message is on its way
    uint32_t drawn;        // buckets the window has invalidated so far
    Outline outline;
};

// [View] Outline of parlomix.ini: shown unless it says 0.
bool LoadOutlineShown();
bool SaveOutlineShown(bool shown);

// Makes the band as a hidden child of `owner`; it shows itself with ShowOutlineBand.
void CreateOutlineBand(OutlineBand *band, HWND owner);
// Shows or hides the band; a shown band reads the open file, a hidden one reads nothing.
void ShowOutlineBand(OutlineBand *band, bool shown);

// The file just opened, by its real path: its reading starts at once if the band is shown.
void OutlineFileOpened(OutlineBand *band, const wchar_t *path);
// No file any more (a close, or before another open): the reading ends and the band empties.
// Also the teardown: afterwards no thread of the band runs.
void OutlineFileClosed(OutlineBand *band);

// WM_OUTLINE_PROGRESS: the columns newly complete are drawn.
void OnOutlineProgress(OutlineBand *band, WPARAM job);

// The seek bar's range and position, and the loop, as the band shows them (seconds).
void SetOutlineRange(OutlineBand *band, int32_t position, int32_t length);
void SetOutlinePosition(OutlineBand *band, int32_t position);
void SetOutlineLoop(OutlineBand *band, int32_t from, int32_t to);

#endif
