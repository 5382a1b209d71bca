// The command line's file, read as Unicode and refused with a box when its path does not fit the
// path field.
#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

#include "app/app_main.h"
#include "app/records.h"
#include "common/show_error.h"

static const char PATH_TOO_LONG_TEXT[] = "File path too long";

// The first argument, split as the system splits a command line; false when there is none.
// `arguments` is to be freed with LocalFree.
static bool CommandLineArgument(wchar_t **argument, LPWSTR **arguments) {
    int count = 0;
    *arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    *argument = *arguments && count >= 2 ? (*arguments)[1] : NULL;
    return *argument != NULL;
}

// A longer path cannot be named by the path field: it is refused rather than cut, since a cut
// path would name another file.
static bool FitsPathField(const wchar_t *argument) { return wcslen(argument) < FILE_SPEC_TEXT; }

bool ReportTooLongCommandLineFile(HWND owner) {
    wchar_t *argument;
    LPWSTR *arguments;
    bool tooLong = CommandLineArgument(&argument, &arguments) && !FitsPathField(argument);
    LocalFree(arguments);
    if (tooLong) ReportPathTooLong(owner);
    return tooLong;
}

void ReportPathTooLong(HWND owner) { ShowError(owner, PATH_TOO_LONG_TEXT); }

int GetCommandLineFile(FileSpec *file) {
    wchar_t *argument;
    LPWSTR *arguments;
    bool taken = CommandLineArgument(&argument, &arguments) && FitsPathField(argument) &&
                 SetFileSpecFromWide(file, argument);
    LocalFree(arguments);
    return taken ? 1 : 0;
}
