// The main window procedure: the order of start-up and close, and the routing of every message.
#ifndef PARLOMIX_MAIN_WINDOW_H
#define PARLOMIX_MAIN_WINDOW_H

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
