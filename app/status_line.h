// Draws the status line (state, position, length) straight into a device context.
#ifndef PARLOMIX_STATUS_LINE_H
#define PARLOMIX_STATUS_LINE_H

#include <windows.h>

#include "playback/play_state.h"

void DrawStatusLine(HDC dc, const RECT *statusRect, const PlayState *playState);

#endif
