// Path arithmetic of the settings files, without any window: the program directory from the
// executable's path, and "<directory>\<name>" composed within its fixed buffer.
#ifndef PARLOMIX_SETTINGS_PATH_H
#define PARLOMIX_SETTINGS_PATH_H

#include <stddef.h>

#include "common/file_spec.h"

enum { PROGRAM_DIRECTORY_SIZE = 260, SETTINGS_PATH_SIZE = 264 };

// Drive and directory of `modulePath`, ending in a backslash ("C:\Tools\" for
// "C:\Tools\prog.exe"), stepping over the double-byte characters that `leads` describes.
// Returns false, leaving `directory` empty, when there is no directory part or it does not fit.
bool ProgramDirectoryFromModulePath(const char *modulePath, const LeadByteTable *leads,
                                    char directory[PROGRAM_DIRECTORY_SIZE]);

// "%s\%s" of directory and name (so a doubled backslash before the name, which the file system
// accepts). Returns false when the directory is empty or the result does not fit `size`.
bool ComposeSettingsPath(const char *directory, const char *name, char *path, size_t size);

#endif
