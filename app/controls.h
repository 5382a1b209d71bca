// The main window's child controls: creation of the nine standard ones, placement of those and of
// the outline band, and the seek bar's range; and the two small conversions the window's drawing
// and layout share.
#ifndef PARLOMIX_CONTROLS_H
#define PARLOMIX_CONTROLS_H

#include <windows.h>

#include "app/layout.h"
#include "res/resource.h"
#include "settings/option_data.h"

// The metrics of the font selected into a fresh DC of `window`.
TEXTMETRICA WindowTextMetrics(HWND window);

inline RECT ToRect(const LayoutRect &r) {
    RECT rect = {r.left, r.top, r.right, r.bottom};
    return rect;
}

HWND CreateSeekBar(HWND window);
void CreateOptionControls(HWND window, const OptionData *options);
void PlaceControls(HWND window, const Layout *layout);
// Makes the window topmost or not, without moving or resizing it.
void ApplyAlwaysOnTop(HWND window, int32_t alwaysOnTop);
// Range 0..length with a tick every 600 s, thumb at `position`.
void SetSeekBar(HWND seekBar, int32_t position, int32_t length);

#endif
