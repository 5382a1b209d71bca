// Drawing the status line and the three value labels with plain text output.
#include "app/status_line.h"

#include "app/status_text.h"

#include <wchar.h>

void DrawStatusLine(HDC dc, const RECT *statusRect, const PlayState *playState, const char *note) {
    char text[STATUS_LINE_SIZE];
    int length = FormatStatusLine(text, sizeof text, playState->state, playState->position,
                                  playState->fileInfo.length, playState->loop, note);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    // Opaque, so each line covers the one before without erasing.
    SetBkMode(dc, OPAQUE);
    TextOutA(dc, statusRect->left, statusRect->top, text, length);
    SelectObject(dc, previous);
}

void DrawStatusNote(HDC dc, const RECT *statusRect, const wchar_t *note) {
    // The fixed font has no Japanese letters.
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, OPAQUE);
    ExtTextOutW(dc, statusRect->left, statusRect->top, ETO_OPAQUE, statusRect, note,
                (UINT)wcslen(note), NULL);
    SelectObject(dc, previous);
}

void DrawValueLabels(HDC dc, const Layout *layout) {
    int top = layout->rects[LAYOUT_SEEK_BAR].bottom;
    TextOutA(dc, layout->rects[LAYOUT_PITCH_BOX].left, top, "PITCH", 5);
    TextOutA(dc, layout->rects[LAYOUT_REV_BOX].left, top, "REV", 3);
    TextOutA(dc, layout->rects[LAYOUT_STEP_BOX].left, top, "REW_FF", 6);
}
