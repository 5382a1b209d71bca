// Layout: the ten client rectangles of the main window, computed from the default font's
// metrics on every size change. The first is the status line, which other code invalidates.
#ifndef PARLOMIX_LAYOUT_H
#define PARLOMIX_LAYOUT_H

#include <stdint.h>

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
    LAYOUT_COUNT
};

struct Layout {
    LayoutRect rects[LAYOUT_COUNT];
};
static_assert(sizeof(Layout) == 160, "ten rectangles of four int32");

// Fills `layout` for a client width and the font's tmHeight and tmAveCharWidth.
void ComputeLayout(int32_t clientWidth, int32_t textHeight, int32_t averageCharWidth,
                   Layout *layout);

#endif
