// The PlaybackPort of the running program: vbmp3.dll and one main window with its seek bar and
// status line. Shared by the controller's handlers and the open routine.
#ifndef PARLOMIX_PLAYBACK_BIND_H
#define PARLOMIX_PLAYBACK_BIND_H

#include <windows.h>

#include "app/layout.h"
#include "playback/controller.h"
#include "playback/playback_port.h"

struct PlaybackWindow {
    HWND window;
    HWND seekBar;  // null where the step at hand never touches the bar
    RECT status;
};

// Fills `port` so that it acts on the library and on `binding`, which must outlive its use.
void BindPlaybackPort(PlaybackPort *port, PlaybackWindow *binding, HWND window, HWND seekBar,
                      const Layout *layout);

// The program's one set of repeat-timer flags.
extern RepeatTimers controllerRepeats;

#endif
