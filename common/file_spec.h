// FileSpec names one audio file: its full path and its bare name, both fixed 260-byte strings in
// the system's ANSI code page. The shared `currentFile` and every history entry start with these
// two fields.
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

// Which bytes start a double-byte character in a code page; a single-byte code page (1252 and
// the other Western ones) has none, so every byte of its paths is a character of its own.
struct LeadByteTable {
    bool lead[256];
};

// The lead bytes of code page 932 (0x81-0x9F and 0xE0-0xFC).
const LeadByteTable *Cp932LeadBytes(void);

// Writes into `name` the last component of `path` (base name and extension), stepping over the
// double-byte characters that `leads` describes so that a trail byte 0x5C or 0x2E never splits
// one.
void SetFileSpecNameWith(FileSpec *file, const LeadByteTable *leads);

// Win32 only: the lead bytes of the code page the ANSI functions use on this system, and the
// name split in that code page.
const LeadByteTable *ActiveLeadBytes(void);
void SetFileSpecName(FileSpec *file);

#endif
