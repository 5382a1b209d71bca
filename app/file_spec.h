// FileSpec names one audio file: its full path and its bare name, both fixed 260-byte CP932
// strings. The shared `currentFile` and every history entry start with these two fields.
#ifndef PARLOMIX_FILE_SPEC_H
#define PARLOMIX_FILE_SPEC_H

#include <stddef.h>

enum { FILE_SPEC_TEXT = 260 };

struct FileSpec {
    char path[FILE_SPEC_TEXT];
    char name[FILE_SPEC_TEXT];
};
static_assert(sizeof(FileSpec) == 520, "FileSpec is 520 bytes");
static_assert(offsetof(FileSpec, name) == 260, "name follows the 260-byte path");

// Writes into `name` the last component of `path` (base name and extension), stepping over
// double-byte characters of code page 932 so that a trail byte 0x5C or 0x2E never splits it.
void SetFileSpecName(FileSpec *file);

// True when `byte` starts a double-byte character in code page 932.
bool IsCp932LeadByte(unsigned char byte);

#endif
