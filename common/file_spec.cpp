// Splitting a path into its bare file name, aware of the double-byte characters of the code page
// the path is written in; and the choice of the form a path is stored in.
#include "common/file_spec.h"

#include <string.h>

static LeadByteTable MakeCp932LeadBytes(void) {
    LeadByteTable table;
    for (int byte = 0; byte < 256; ++byte) {
        table.lead[byte] = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
    return table;
}

const LeadByteTable *Cp932LeadBytes(void) {
    static const LeadByteTable table = MakeCp932LeadBytes();
    return &table;
}

void SetFileSpecNameWith(FileSpec *file, const LeadByteTable *leads) {
    // A path read from a file or another process may lack its terminator: never look past the
    // field.
    const char *path = file->path;
    size_t length = strnlen(path, sizeof file->path);
    size_t start = 0;
    size_t i = 0;
    if (length >= 2 && path[1] == ':' && !leads->lead[(unsigned char)path[0]]) {
        start = i = 2;
    }
    while (i < length) {
        unsigned char c = (unsigned char)path[i];
        if (leads->lead[c] && i + 1 < length) {
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

void SetFileSpecWideName(FileSpec *file) {
    const wchar_t *path = file->widePath;
    size_t length = 0;
    while (length < FILE_SPEC_TEXT && path[length] != L'\0') ++length;
    size_t start = length >= 2 && path[1] == L':' ? 2 : 0;
    for (size_t i = start; i < length; ++i) {
        if (path[i] == L'\\' || path[i] == L'/') start = i + 1;
    }
    size_t count = length - start;
    if (count >= FILE_SPEC_TEXT) count = FILE_SPEC_TEXT - 1;
    memcpy(file->wideName, path + start, count * sizeof(wchar_t));
    memset(file->wideName + count, 0, (FILE_SPEC_TEXT - count) * sizeof(wchar_t));
}

static bool FitsStoredField(const char *text) {
    return text != NULL && text[0] != '\0' && strnlen(text, FILE_SPEC_TEXT) < FILE_SPEC_TEXT;
}

StoredForm ChooseStoredForm(FileSpec *file, const char *named, const char *shortPath,
                            const LeadByteTable *leads) {
    StoredForm form = STORED_THIS_RUN;
    const char *stored = "";
    if (FitsStoredField(named)) {
        form = STORED_AS_NAMED;
        stored = named;
    } else if (FitsStoredField(shortPath)) {
        form = STORED_SHORT;
        stored = shortPath;
    }
    memset(file->path, 0, sizeof file->path);
    memcpy(file->path, stored, strlen(stored));
    SetFileSpecNameWith(file, leads);
    return form;
}
