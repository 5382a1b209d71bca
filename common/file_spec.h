// FileSpec names one audio file twice: as the system names it (Unicode path and bare name, where
// it is opened and shown) and in its stored form (fixed 260-byte strings in the system's ANSI
// code page, the form that parlomix_opt keeps). The shared `currentFile` holds one; every history
// entry starts with the two stored fields.
#ifndef PARLOMIX_FILE_SPEC_H
#define PARLOMIX_FILE_SPEC_H

#include <stddef.h>

// Both forms hold at most FILE_SPEC_TEXT - 1 units (bytes, or UTF-16 units) and a terminator.
enum { FILE_SPEC_TEXT = 260 };

struct FileSpec {
    // The stored form: the path itself where the code page holds it, else its short path; empty
    // when neither can name the file (it is then remembered for this run only).
    char path[FILE_SPEC_TEXT];
    char name[FILE_SPEC_TEXT];
    // The real path and its last component; an empty widePath means the stored form is all there
    // is (read in the code page).
    wchar_t widePath[FILE_SPEC_TEXT];
    wchar_t wideName[FILE_SPEC_TEXT];
};
static_assert(offsetof(FileSpec, name) == 260, "name follows the 260-byte path");
static_assert(offsetof(FileSpec, widePath) == 520, "the stored fields come first");

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

// Writes into `wideName` the last component of `widePath`.
void SetFileSpecWideName(FileSpec *file);

// Which stored form a file got.
enum StoredForm {
    STORED_AS_NAMED,  // the code page holds the path itself
    STORED_SHORT,     // only the short path could be stored
    STORED_THIS_RUN,  // nothing can be stored: the history keeps it for this run
};

// Fills the stored fields of `file` from the code-page texts of its path (`named`) and of its
// short path (`shortPath`); each is null when the system has none or the code page cannot hold
// it, and one that does not fit the field counts as none. The stored name is split from the
// stored path with `leads`.
StoredForm ChooseStoredForm(FileSpec *file, const char *named, const char *shortPath,
                            const LeadByteTable *leads);

// Win32 only: the lead bytes of the code page the ANSI functions use on this system, and the
// name split in that code page.
const LeadByteTable *ActiveLeadBytes(void);
void SetFileSpecName(FileSpec *file);

// Makes `file` name `path` (fewer than FILE_SPEC_TEXT units, else false and `file` untouched):
// the real path and name, and the stored form the system's code page and short names allow (an
// empty stored path: STORED_THIS_RUN).
bool SetFileSpecFromWide(FileSpec *file, const wchar_t *path);
// A record with only its stored form (an older entry, a test) gains the real path read from it.
void CompleteWidePath(FileSpec *file);

#endif
