// The code page that this system's ANSI functions speak, as the lead-byte table that the path
// splitting reads: paths come from those functions, so their bytes are split in that code page.
#include <windows.h>

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
