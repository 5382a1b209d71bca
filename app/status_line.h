// Draws the status line (state, position, length) straight into a device context.
#ifndef PARLOMIX_STATUS_LINE_H
#define PARLOMIX_STATUS_LINE_H

#include <windows.h>

#include "app/layout.h"
#include "playback/play_state.h"

// `note`, when not empty, follows the state for as long as the window keeps it.
void DrawStatusLine(HDC dc, const RECT *statusRect, const PlayState *playState, const char *note);
// A note in place of the status line, over the whole of its rectangle.
void DrawStatusNote(HDC dc, const RECT *statusRect, const wchar_t *note);
// The labels "PITCH", "REV" and "REW_FF" under the seek bar, in the context's own font.
void DrawValueLabels(HDC dc, const Layout *layout);

#endif
