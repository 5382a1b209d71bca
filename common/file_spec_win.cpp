// The code page that this system's ANSI functions speak, as the lead-byte table that the path
// splitting reads: stored paths are in that code page, so their bytes are split in it. And the
// real path's texts in that code page, from which its stored form is chosen.
#include <windows.h>

#include <string.h>
#include <wchar.h>

#include "common/file_spec.h"

static LeadByteTable ReadActiveLeadBytes(void) {
    LeadByteTable table;
    for (int byte = 0; byte < 256; ++byte) {
        table.lead[byte] = IsDBCSLeadByteEx(CP_ACP, (BYTE)byte) != FALSE;
    }
    return table;
}

const LeadByteTable *ActiveLeadBytes(void) {
    // The code page is fixed for the life of the process.
    static const LeadByteTable table = ReadActiveLeadBytes();
    return &table;
}

void SetFileSpecName(FileSpec *file) { SetFileSpecNameWith(file, ActiveLeadBytes()); }

// The code-page text of `wide`, or false where the code page lacks one of its characters (no
// look-alike is accepted: it would name another file) or it does not fit.
static bool ToCodePage(const wchar_t *wide, char (&text)[FILE_SPEC_TEXT]) {
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, text, sizeof text, NULL,
                                &lossy);
    return n > 0 && !lossy;
}

bool SetFileSpecFromWide(FileSpec *file, const wchar_t *path) {
    size_t length = wcslen(path);
    if (length >= FILE_SPEC_TEXT) return false;
    FileSpec record;
    memset(&record, 0, sizeof record);
    memcpy(record.widePath, path, length * sizeof(wchar_t));
    SetFileSpecWideName(&record);
    char named[FILE_SPEC_TEXT];
    char shortText[FILE_SPEC_TEXT];
    wchar_t shortPath[FILE_SPEC_TEXT];
    bool hasNamed = ToCodePage(path, named);
    DWORD shortLength = hasNamed ? 0 : GetShortPathNameW(path, shortPath, FILE_SPEC_TEXT);
    bool hasShort =
        shortLength > 0 && shortLength < FILE_SPEC_TEXT && ToCodePage(shortPath, shortText);
    ChooseStoredForm(&record, hasNamed ? named : NULL, hasShort ? shortText : NULL,
                     ActiveLeadBytes());
    // One copy of the whole record, so the shared bytes never hold half a path.
    memcpy(file, &record, sizeof record);
    return true;
}

void CompleteWidePath(FileSpec *file) {
    if (file->widePath[0] != L'\0') return;
    char path[FILE_SPEC_TEXT];
    memcpy(path, file->path, sizeof path);
    path[FILE_SPEC_TEXT - 1] = '\0';
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, file->widePath, FILE_SPEC_TEXT))
        file->widePath[0] = L'\0';
    SetFileSpecWideName(file);
}
