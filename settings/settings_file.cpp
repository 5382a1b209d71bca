// Reading and writing the two settings files with their error boxes, and the load and save
// steps of the main window.
#include "settings/settings_file.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "common/show_error.h"
#include "input/tables.h"
#include "settings/history.h"
#include "settings/history_names.h"
#include "settings/ini_file.h"

// Found once at start-up; the close writes where the start read.
static wchar_t programDirectory[PROGRAM_DIRECTORY_SIZE];

// "cleate" is misspelt on purpose: the box shows the exact text users know.
static const char SETUP_READ_ERROR_TEXT[] =
    "Setup file read error.\nLoad default settings and cleate file.";

static void FileBox(HWND owner, const char *text) { MessageBoxA(owner, text, "error", MB_OK); }

void GetProgramDirectory(wchar_t directory[PROGRAM_DIRECTORY_SIZE]) {
    directory[0] = L'\0';
    wchar_t module[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(NULL, module, MAX_PATH + 1);
    // A truncated module path would name the wrong directory: then there is none.
    if (n == 0 || n >= MAX_PATH) return;
    size_t end = n;
    while (end > 0 && module[end - 1] != L'\\' && module[end - 1] != L'/') --end;
    if (end == 0 || end >= PROGRAM_DIRECTORY_SIZE) return;
    wmemcpy(directory, module, end);
    directory[end] = L'\0';
}

// "<directory>\<name>" as ComposeSettingsPath makes it, in UTF-16 units; the names are ASCII.
static bool ComposeWidePath(const wchar_t *directory, const char *name, wchar_t *path,
                            size_t size) {
    size_t directoryLength = wcslen(directory);
    size_t nameLength = strlen(name);
    path[0] = L'\0';
    if (directoryLength == 0 || directoryLength + 1 + nameLength >= size) return false;
    wmemcpy(path, directory, directoryLength);
    path[directoryLength] = L'\\';
    for (size_t i = 0; i <= nameLength; ++i) path[directoryLength + 1 + i] = (wchar_t)name[i];
    return true;
}

int ReadSettingsFile(HWND owner, void *buffer, int size, int count, const wchar_t *directory,
                     const char *name) {
    return ReadSettingsItems(owner, buffer, size, count, count, directory, name) == count;
}

int ReadSettingsItems(HWND owner, void *buffer, int size, int count, int required,
                      const wchar_t *directory, const char *name) {
    wchar_t path[SETTINGS_PATH_SIZE];
    FILE *file =
        ComposeWidePath(directory, name, path, SETTINGS_PATH_SIZE) ? _wfopen(path, L"rb") : NULL;
    if (!file) {
        FileBox(owner, "fopen");
        return 0;
    }
    size_t got = fread(buffer, (size_t)size, (size_t)count, file);
    fclose(file);
    if (got < (size_t)required) {
        FileBox(owner, "fread");
        return 0;
    }
    return (int)got;
}

enum WriteOutcome { WRITE_DONE, WRITE_NOT_OPENED, WRITE_NOT_WRITTEN };

// Writes the items into `path`, created or emptied first.
static WriteOutcome WriteItems(const wchar_t *path, const void *buffer, int size, int count) {
    FILE *file = _wfopen(path, L"wb");
    if (!file) return WRITE_NOT_OPENED;
    size_t put = fwrite(buffer, (size_t)size, (size_t)count, file);
    bool flushed = fflush(file) == 0;
    bool closed = fclose(file) == 0;
    return put < (size_t)count || !flushed || !closed ? WRITE_NOT_WRITTEN : WRITE_DONE;
}

static const char *WriteFailureText(WriteOutcome outcome) {
    return outcome == WRITE_NOT_OPENED ? "fopen" : "fwrite";
}

int WriteSettingsFile(HWND owner, const void *buffer, int size, int count, const wchar_t *directory,
                      const char *name) {
    wchar_t path[SETTINGS_PATH_SIZE];
    wchar_t temporary[SETTINGS_PATH_SIZE + 8];
    if (!ComposeWidePath(directory, name, path, SETTINGS_PATH_SIZE)) {
        FileBox(owner, "fopen");
        return 0;
    }
    wcscpy(temporary, path);
    wcscat(temporary, L".new");
    WriteOutcome outcome = WriteItems(temporary, buffer, size, count);
    if (outcome == WRITE_DONE) {
        // The old file is replaced only by a complete new one.
        if (MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return 1;
        }
        DeleteFileW(temporary);
    } else if (outcome == WRITE_NOT_WRITTEN) {
        // The data itself could not be written: the old file stays as it was.
        DeleteFileW(temporary);
        FileBox(owner, WriteFailureText(outcome));
        return 0;
    }
    // The temporary file could not be made or could not take the old one's place: its longer
    // name may not fit where the file's own does, or the folder may let the file be rewritten
    // but no file be made or renamed. Then the file is written in place, as a save always could.
    outcome = WriteItems(path, buffer, size, count);
    if (outcome != WRITE_DONE) {
        FileBox(owner, WriteFailureText(outcome));
        return 0;
    }
    return 1;
}

void LoadSettings(HWND window, OptionData *options, KeyData *keys) {
    GetProgramDirectory(programDirectory);
    if (ReadSettingsFile(window, options, sizeof *options, 1, programDirectory, OPTION_FILE_NAME)) {
        RepairOptionData(options);
    } else {
        ShowError(window, SETUP_READ_ERROR_TEXT);
        SetDefaultOptionData(options);
        WriteSettingsFile(window, options, sizeof *options, 1, programDirectory, OPTION_FILE_NAME);
    }
    int rows = ReadSettingsItems(window, keys, sizeof keys[0], KEY_DATA_ROWS, KEY_DATA_BASE_ROWS,
                                 programDirectory, KEY_FILE_NAME);
    if (rows > 0) {
        CompleteKeyData(keys, rows);
    } else {
        ShowError(window, SETUP_READ_ERROR_TEXT);
        SetDefaultKeyData(keys);
        WriteSettingsFile(window, keys, sizeof keys[0], KEY_DATA_ROWS, programDirectory,
                          KEY_FILE_NAME);
    }
}

void SaveSettings(HWND window, bool placementAndHistory, OptionData *options, const KeyData *keys) {
    if (placementAndHistory) {
        WINDOWPLACEMENT placement;
        memset(&placement, 0, sizeof placement);
        placement.length = sizeof placement;
        if (GetWindowPlacement(window, &placement)) {
            options->windowLeft = placement.rcNormalPosition.left;
            options->windowTop = placement.rcNormalPosition.top;
            options->windowRight = placement.rcNormalPosition.right;
            options->windowBottom = placement.rcNormalPosition.bottom;
        }
        StoreHistory(options);
        // The real names are kept where the system allows; the stored entries open without them.
        if (const wchar_t *iniPath = IniPath()) SaveHistoryNames(iniPath);
    }
    if (!WriteSettingsFile(window, options, sizeof *options, 1, programDirectory, OPTION_FILE_NAME))
        ShowError(window, "Cannot save file");
    if (!WriteSettingsFile(window, keys, sizeof keys[0], KEY_DATA_ROWS, programDirectory,
                           KEY_FILE_NAME))
        ShowError(window, "Cannot save file");
}
