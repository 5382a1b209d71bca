// Program directory and settings file paths; refuses what does not fit instead of cutting it.
#include "settings/settings_path.h"

#include <stdio.h>
#include <string.h>

#include "common/file_spec.h"

bool ProgramDirectoryFromModulePath(const char *modulePath, const LeadByteTable *leads,
                                    char directory[PROGRAM_DIRECTORY_SIZE]) {
    directory[0] = '\0';
    size_t length = strlen(modulePath);
    size_t end = 0;  // one past the last separator
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = (unsigned char)modulePath[i];
        if (leads->lead[c] && i + 1 < length) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || (c == ':' && i == 1)) end = i + 1;
    }
    if (end == 0) return false;
    // A bare drive such as "C:" gets its separator, as joining drive and directory would add.
    bool addSeparator = modulePath[end - 1] == ':';
    if (end + (addSeparator ? 1 : 0) >= PROGRAM_DIRECTORY_SIZE) return false;
    memcpy(directory, modulePath, end);
    if (addSeparator) directory[end++] = '\\';
    directory[end] = '\0';
    return true;
}

bool ComposeSettingsPath(const char *directory, const char *name, char *path, size_t size) {
    if (directory[0] == '\0') {
        if (size) path[0] = '\0';
        return false;
    }
    int n = snprintf(path, size, "%s\\%s", directory, name);
    if (n < 0 || (size_t)n >= size) {
        if (size) path[0] = '\0';
        return false;
    }
    return true;
}
