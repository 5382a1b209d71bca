// What all of the program shares about its instance: the display name, the second instance's
// message, the shared current file and the command line's file.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "app/app_main.h"
#include "app/app_title.h"

char appTitle[APP_TITLE_SIZE];
UINT ZT_ExistPrevInst;

// Zero-filled in the image and shared by all processes started from this executable, so that a
// second start can hand its file to the first before it signals.
__attribute__((section(".shr"), shared)) FileSpec currentFile = {};

int GetCommandLineFile(FileSpec *file) {
    if (__argc < 2 || !__argv[1]) return 0;
    const char *argument = __argv[1];
    size_t length = strlen(argument);
    // A longer path cannot be named by the 260-byte field: refused rather than cut.
    if (length >= sizeof file->path) return 0;
    FileSpec record;
    memset(&record, 0, sizeof record);
    memcpy(record.path, argument, length);
    SetFileSpecName(&record);
    // One copy of the whole record, so the shared bytes never hold half a path.
    memcpy(file, &record, sizeof record);
    return 1;
}
