// Layout: the client rectangles of the main window, computed from the default font's metrics on
// every size change. The first is the status line, which other code invalidates; the outline band,
// when shown, sits between it and the seek bar and pushes everything below down by its height.
#ifndef PARLOMIX_LAYOUT_H
#define PARLOMIX_LAYOUT_H

#include <stdint.h>

#include "settings/option_data.h"

struct LayoutRect {
    int32_t left, top, right, bottom;
};

enum LayoutIndex {
    LAYOUT_STATUS,
    LAYOUT_SEEK_BAR,
    LAYOUT_ALWAYS_TOP,
    LAYOUT_PLAY_MODE,
    LAYOUT_PITCH_BOX,
    LAYOUT_PITCH_UPDOWN,
    LAYOUT_REV_BOX,
    LAYOUT_REV_UPDOWN,
    LAYOUT_STEP_BOX,
    LAYOUT_STEP_UPDOWN,
    LAYOUT_OUTLINE,  // empty while the band is off
    LAYOUT_COUNT
};

// The outline band's height, in lines of text.
enum { OUTLINE_BAND_LINES = 3 };

struct Layout {
    LayoutRect rects[LAYOUT_COUNT];
};
static_assert(sizeof(Layout) == 176, "eleven rectangles of four int32");

// Fills `layout` for a client width and the font's tmHeight and tmAveCharWidth, with or without
// the outline band.
void ComputeLayout(int32_t clientWidth, int32_t textHeight, int32_t averageCharWidth, bool outline,
                   Layout *layout);

// The client height the rectangles need: the lowest bottom.
int32_t LayoutHeight(const Layout *layout);

// The normal rectangle the main window first takes, in screen pixels. The untouched default
// rectangle is made for DEFAULT_WINDOW_DPI and is scaled to `systemDpi`, so that the controls,
// which follow the font, fit at every DPI; any other stored rectangle is the user's own and comes
// back as stored, as it does when `systemDpi` is not positive. With an outline band of
// `outlineHeight` pixels (0: none), a rectangle less tall than the scaled default and the band
// grows downwards to that height; a taller one is kept.
LayoutRect InitialWindowRect(const OptionData *options, int32_t systemDpi, int32_t outlineHeight);

#endif
