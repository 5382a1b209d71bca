// Splitting a path into its bare file name, aware of code page 932's double-byte characters.
#include "app/file_spec.h"

#include <string.h>

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

void SetFileSpecName(FileSpec *file) {
    // A path read from a file or another process may lack its terminator: never look past the
    // field.
    const char *path = file->path;
    size_t length = strnlen(path, sizeof file->path);
    size_t start = 0;
    size_t i = 0;
    if (length >= 2 && path[1] == ':' && !IsCp932LeadByte((unsigned char)path[0])) {
        start = i = 2;
    }
    while (i < length) {
        unsigned char c = (unsigned char)path[i];
        if (IsCp932LeadByte(c) && i + 1 < length) {
            i += 2;
            continue;
        }
        ++i;
        if (c == '\\' || c == '/') start = i;
    }
    size_t count = length - start;
    if (count >= sizeof file->name) count = sizeof file->name - 1;
    memcpy(file->name, path + start, count);
    memset(file->name + count, 0, sizeof file->name - count);
}
