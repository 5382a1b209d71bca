// The Win32 side of TIMESTAMP: the poll timer's tick reads the modifier keys and, once none is
// held, types the queued stamps into whatever window has the focus as Unicode keystrokes.
#ifndef PARLOMIX_TIMESTAMP_WIN_H
#define PARLOMIX_TIMESTAMP_WIN_H

#include <windows.h>

#include "app/timestamp.h"

// TIMER_TIMESTAMP of `window`: waits, types or drops as NextTimestampStep decides; after typing
// or dropping, the timer is stopped and the queue empty.
void OnTimestampTimer(HWND window, TimestampQueue *queue);

#endif
