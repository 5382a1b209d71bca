// The common error box of the main window's handlers.
#include "common/show_error.h"

void ShowError(HWND owner, const char *text) {
    MessageBoxA(owner, text, "Parlomix ERROR", MB_OK | MB_ICONEXCLAMATION);
}
