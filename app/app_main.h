// What start-up shares with the main window: reading the command line's file.
#ifndef PARLOMIX_APP_MAIN_H
#define PARLOMIX_APP_MAIN_H

#include <windows.h>

#include "common/file_spec.h"

// Makes `file` name the first command-line argument and returns 1; 0 when there is none or it
// does not fit the path field (then `file` is untouched).
int GetCommandLineFile(FileSpec *file);

// The "File path too long" box, owned by `owner` (null: none), for a path that the path field
// cannot hold, from wherever it came.
void ReportPathTooLong(HWND owner);

// When the first command-line argument names a file whose path does not fit the path field
// (FILE_SPEC_TEXT - 1 UTF-16 units), tells the user in an error box owned by `owner` (null: none)
// and returns true; returns false, showing nothing, for any other command line.
bool ReportTooLongCommandLineFile(HWND owner);

#endif
