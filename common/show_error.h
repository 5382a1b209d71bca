// The program's common error box, titled "Parlomix ERROR" with an exclamation icon.
#ifndef PARLOMIX_SHOW_ERROR_H
#define PARLOMIX_SHOW_ERROR_H

#include <windows.h>

void ShowError(HWND owner, const char *text);

#endif
