// The PlaybackPort of the running program: vbmp3.dll and one main window with its seek bar and
// status line. The main window binds it once, when its seek bar exists, and keeps it.
#ifndef PARLOMIX_PLAYBACK_BIND_H
#define PARLOMIX_PLAYBACK_BIND_H

#include <windows.h>

#include "app/layout.h"
#include "app/outline_band.h"
#include "playback/playback_port.h"

struct PlaybackWindow {
    HWND window;
    HWND seekBar;  // null only in a window whose audio library could not start
    // The window's own layout, read at each use: the status line moves with every size change.
    const Layout *layout;
    // Shown in place of the status line until the next command; null: none.
    const wchar_t *statusNote;
    // The status line's note, owned by the window; empty when there is none.
    const char *note;
    // Shows the position, the range and the loop beside the seek bar; null: none.
    OutlineBand *outline;
};

// Fills `port` so that it acts on the library and on `binding`, which must outlive `port`.
void BindPlaybackPort(PlaybackPort *port, PlaybackWindow *binding, HWND window, HWND seekBar,
                      const Layout *layout);

#endif
