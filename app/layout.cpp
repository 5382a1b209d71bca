// The main window's layout arithmetic: every rectangle follows the default font's height h and
// average character width a, so the window scales with the font and the DPI.
#include "app/layout.h"

static void Set(LayoutRect *r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    r->left = left;
    r->top = top;
    r->right = right;
    r->bottom = bottom;
}

void ComputeLayout(int32_t w, int32_t h, int32_t a, bool outline, Layout *layout) {
    // Everything under the band moves down by its height.
    const int32_t b = outline ? OUTLINE_BAND_LINES * h : 0;
    // The check boxes sit two and a half lines below the value row's top; kept in floating
    // point and truncated so that odd heights round the same way every time.
    const int32_t t = (int32_t)(3.0 * h + 2.5 * h) + b;
    LayoutRect *r = layout->rects;
    Set(&r[LAYOUT_STATUS], 0, 0, w, h);
    Set(&r[LAYOUT_OUTLINE], 0, h, w, h + b);
    Set(&r[LAYOUT_SEEK_BAR], 0, h + b, w, 3 * h + b);
    Set(&r[LAYOUT_ALWAYS_TOP], 0, t, 14 * a, t + h);
    Set(&r[LAYOUT_PLAY_MODE], 14 * a, t, w, t + h);
    Set(&r[LAYOUT_PITCH_BOX], 0, 4 * h + b, 4 * a, t);
    Set(&r[LAYOUT_PITCH_UPDOWN], 4 * a, 4 * h + b, 6 * a, t);
    Set(&r[LAYOUT_REV_BOX], 6 * a, 4 * h + b, 9 * a, t);
    Set(&r[LAYOUT_REV_UPDOWN], 9 * a, 4 * h + b, 11 * a, t);
    Set(&r[LAYOUT_STEP_BOX], 11 * a, 4 * h + b, 14 * a, t);
    Set(&r[LAYOUT_STEP_UPDOWN], 14 * a, 4 * h + b, 16 * a, t);
}

int32_t LayoutHeight(const Layout *layout) {
    int32_t height = 0;
    for (const LayoutRect &r : layout->rects)
        if (r.bottom > height) height = r.bottom;
    return height;
}

// Rounded to the nearest pixel, as MulDiv does.
static int32_t Scaled(int32_t pixels, int32_t dpi) {
    return (pixels * dpi + DEFAULT_WINDOW_DPI / 2) / DEFAULT_WINDOW_DPI;
}

LayoutRect InitialWindowRect(const OptionData *options, int32_t systemDpi, int32_t outlineHeight) {
    LayoutRect rect = {options->windowLeft, options->windowTop, options->windowRight,
                       options->windowBottom};
    bool untouched = rect.left == 0 && rect.top == 0 && rect.right == DEFAULT_WINDOW_RIGHT &&
                     rect.bottom == DEFAULT_WINDOW_BOTTOM;
    int32_t dpi = systemDpi > 0 ? systemDpi : DEFAULT_WINDOW_DPI;
    if (untouched) {
        rect.right = Scaled(DEFAULT_WINDOW_RIGHT, dpi);
        rect.bottom = Scaled(DEFAULT_WINDOW_BOTTOM, dpi);
    }
    int32_t tallEnough = Scaled(DEFAULT_WINDOW_BOTTOM, dpi) + outlineHeight;
    if (outlineHeight > 0 && rect.bottom - rect.top < tallEnough)
        rect.bottom = rect.top + tallEnough;
    return rect;
}
