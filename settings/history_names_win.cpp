// Reading and writing the history's real names in parlomix.ini.
#include "settings/history_names.h"

#include <windows.h>
#include <wchar.h>

#include "settings/history.h"
#include "settings/ini_file.h"

static void SlotKey(wchar_t (&key)[16], const wchar_t *prefix, int32_t slot) {
    swprintf(key, 16, L"%ls%d", prefix, (int)slot + 1);
}

// The stored path of slot `index` read in the code page; empty when it is not text of it.
static void StoredPathText(int32_t index, wchar_t (&text)[FILE_SPEC_TEXT]) {
    if (!MultiByteToWideChar(CP_ACP, 0, HistoryEntryAt(index)->path, -1, text, FILE_SPEC_TEXT))
        text[0] = L'\0';
}

void LoadHistoryNames(const wchar_t *iniPath) {
    for (int32_t i = 0; i < playHistoryCount; ++i) {
        wchar_t stored[FILE_SPEC_TEXT];
        StoredPathText(i, stored);
        SetHistoryWidePath(i, stored);
        if (!iniPath[0] || !stored[0]) continue;
        wchar_t key[16];
        wchar_t named[FILE_SPEC_TEXT];
        SlotKey(key, L"Stored", i);
        IniReadText(iniPath, HISTORY_NAMES_SECTION, key, L"", named, FILE_SPEC_TEXT);
        if (wcscmp(named, stored) != 0) continue;
        wchar_t real[FILE_SPEC_TEXT];
        SlotKey(key, L"Path", i);
        IniReadText(iniPath, HISTORY_NAMES_SECTION, key, L"", real, FILE_SPEC_TEXT);
        if (real[0]) SetHistoryWidePath(i, real);
    }
}

bool SaveHistoryNames(const wchar_t *iniPath) {
    if (!iniPath[0]) return false;
    int32_t slots[HISTORY_SLOTS];
    int32_t count = HistoryStoredSlots(slots);
    bool needed[HISTORY_SLOTS] = {};
    bool any = false;
    for (int32_t k = 0; k < count; ++k) {
        wchar_t stored[FILE_SPEC_TEXT];
        StoredPathText(slots[k], stored);
        const wchar_t *real = HistoryWidePath(slots[k]);
        needed[k] = real[0] && wcscmp(real, stored) != 0;
        any = any || needed[k];
    }
    // Where no file needs its name, the section goes, and no settings file is made for it.
    if (!any) {
        if (GetFileAttributesW(iniPath) == INVALID_FILE_ATTRIBUTES) return true;
        return WritePrivateProfileStringW(HISTORY_NAMES_SECTION, NULL, NULL, iniPath) != 0;
    }
    bool ok = true;
    for (int32_t k = 0; k < HISTORY_SLOTS; ++k) {
        wchar_t storedKey[16];
        wchar_t pathKey[16];
        SlotKey(storedKey, L"Stored", k);
        SlotKey(pathKey, L"Path", k);
        wchar_t stored[FILE_SPEC_TEXT] = L"";
        if (needed[k]) StoredPathText(slots[k], stored);
        ok = IniWriteText(iniPath, HISTORY_NAMES_SECTION, storedKey, needed[k] ? stored : NULL) &&
             ok;
        ok = IniWriteText(iniPath, HISTORY_NAMES_SECTION, pathKey,
                          needed[k] ? HistoryWidePath(slots[k]) : NULL) &&
             ok;
    }
    return ok;
}
