// The command line's file, refused with a box when its path does not fit the path field.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "app/app_main.h"
#include "app/records.h"
#include "common/show_error.h"

static const char PATH_TOO_LONG_TEXT[] = "File path too long";

static const char *CommandLineArgument() { return __argc >= 2 ? __argv[1] : NULL; }

// A longer path cannot be named by the 260-byte field: it is refused rather than cut, since a
// cut path would name another file.
static bool FitsPathField(const char *argument) { return strlen(argument) < FILE_SPEC_TEXT; }

bool ReportTooLongCommandLineFile(HWND owner) {
    const char *argument = CommandLineArgument();
    if (!argument || FitsPathField(argument)) return false;
    ShowError(owner, PATH_TOO_LONG_TEXT);
    return true;
}

int GetCommandLineFile(FileSpec *file) {
    const char *argument = CommandLineArgument();
    if (!argument || !FitsPathField(argument)) return 0;
    size_t length = strlen(argument);
    FileSpec record;
    memset(&record, 0, sizeof record);
    memcpy(record.path, argument, length);
    SetFileSpecName(&record);
    // One copy of the whole record, so the shared bytes never hold half a path.
    memcpy(file, &record, sizeof record);
    return 1;
}
