// What start-up shares with the main window: reading the command line's file.
#ifndef PARLOMIX_APP_MAIN_H
#define PARLOMIX_APP_MAIN_H

#include <windows.h>

#include "common/file_spec.h"

// Copies the first command-line argument into `file` and returns 1; 0 when there is none or
// it does not fit the 260-byte path (then `file` is untouched).
int GetCommandLineFile(FileSpec *file);

// When the first command-line argument names a file whose path does not fit the 260-byte path
// field, tells the user in an error box owned by `owner` (null: none) and returns true; returns
// false, showing nothing, for any other command line.
bool ReportTooLongCommandLineFile(HWND owner);

#endif
