// parlomix.ini beside the program: the settings that the fixed binary files have no room for
// (stamp format, snippets, view, sound), as UTF-16 text that any administrator can read and edit.
// Read and written through the profile API; a missing, damaged or hand-edited file gives the
// defaults of whatever cannot be read, never a box.
#ifndef PARLOMIX_INI_FILE_H
#define PARLOMIX_INI_FILE_H

#include <stddef.h>

#define INI_FILE_NAME L"parlomix.ini"

// Room for the program's folder (in UTF-16 units, as long as the system allows) and the name.
enum { INI_PATH_SIZE = 32768 + 16 };

// "<program folder>\parlomix.ini", found from the executable's own path at the first call and
// kept for the run; null when the module path cannot be had. For the program's window thread.
const wchar_t *IniPath();

// The integer of `key`, or `fallback` when the file, the section or the key is missing, the text
// is not a whole decimal number, or it lies outside [low, high].
int IniReadInt(const wchar_t *path, const wchar_t *section, const wchar_t *key, int fallback,
               int low, int high);
// The text of `key` into `text` (NUL-terminated, cut to `size` - 1 units), or `fallback` when
// the key is missing.
void IniReadText(const wchar_t *path, const wchar_t *section, const wchar_t *key,
                 const wchar_t *fallback, wchar_t *text, size_t size);

// Write one key. The file is made UTF-16LE with its byte-order mark first, so that the profile API
// keeps every character; an existing file in the ANSI code page (edited by hand) is converted,
// keeping its contents. Return false when the file cannot be written.
bool IniWriteInt(const wchar_t *path, const wchar_t *section, const wchar_t *key, int value);
bool IniWriteText(const wchar_t *path, const wchar_t *section, const wchar_t *key,
                  const wchar_t *text);

#endif
