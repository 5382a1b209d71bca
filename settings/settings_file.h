// The two settings files beside the executable: parlomix_opt (OptionData) and parlomix_key
// (the KeyData rows). Read once when the main window is created, written once at close.
#ifndef PARLOMIX_SETTINGS_FILE_H
#define PARLOMIX_SETTINGS_FILE_H

#include <windows.h>

#include "input/key_data.h"
#include "settings/option_data.h"
#include "settings/settings_path.h"

#define OPTION_FILE_NAME "parlomix_opt"
#define KEY_FILE_NAME "parlomix_key"

// The program's folder, ending in a backslash; empty when the module path cannot be had whole.
void GetProgramDirectory(wchar_t directory[PROGRAM_DIRECTORY_SIZE]);

// Reads `count` items of `size` bytes into `buffer`; on failure shows "fopen" or "fread"
// (caption "error") owned by `owner` and returns 0.
int ReadSettingsFile(HWND owner, void *buffer, int size, int count, const wchar_t *directory,
                     const char *name);
// Reads up to `count` items of `size` bytes, of which at least `required` must be whole; returns
// how many were read, or 0 after the same boxes as ReadSettingsFile when fewer than `required`
// (at least 1).
int ReadSettingsItems(HWND owner, void *buffer, int size, int count, int required,
                      const wchar_t *directory, const char *name);
// Writes them; on failure shows "fopen" or "fwrite" and returns 0. The old file stays whole
// until the new one is complete: the data goes to a temporary file that then replaces it. Where
// that file cannot be made or cannot replace the old one, the file is written in place, so a
// save fails only where writing the file itself fails.
int WriteSettingsFile(HWND owner, const void *buffer, int size, int count, const wchar_t *directory,
                      const char *name);

// Start-up: program directory, then `options` and the KEY_DATA_ROWS rows of `keys`, each falling
// back to defaults that are written at once. A key file of the six base rows loads without a box
// and gains the later rows from the defaults.
void LoadSettings(HWND window, OptionData *options, KeyData *keys);
// Close, into the directory LoadSettings found: the stored rectangle and history are taken into
// `options` from the window only when `placementAndHistory` is true (creation reached the steps
// that applied them); both files are written.
void SaveSettings(HWND window, bool placementAndHistory, OptionData *options, const KeyData *keys);

#endif
