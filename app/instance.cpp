// What all of the program shares about its instance: the display name, the second instance's
// message, the shared current file and the command line's file.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "app/app_main.h"
#include "app/app_title.h"
#include "common/show_error.h"

char appTitle[APP_TITLE_SIZE];
UINT ZT_ExistPrevInst;

// Zero-filled in the image and shared by all processes started from this executable, so that a
// second start can hand its file to the first before it signals.
__attribute__((section(".shr"), shared)) FileSpec currentFile = {};

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
