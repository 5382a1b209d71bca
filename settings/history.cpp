// The play history's list operations, its load and store through the options record and the
// text of its menu items. No window code here; app/history_menu.cpp adds the File menu.
#include "settings/history.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

HistoryEntry playHistory[HISTORY_LIST_SLOTS];
int32_t playHistoryCount;
static bool historyLoaded;
// The real path of each slot, moved with it; empty where only the stored form is known.
static wchar_t realPaths[HISTORY_LIST_SLOTS][FILE_SPEC_TEXT];

static void CopyWide(wchar_t *field, const wchar_t *text) {
    size_t length = 0;
    while (length < FILE_SPEC_TEXT - 1 && text[length] != L'\0') ++length;
    memcpy(field, text, length * sizeof(wchar_t));
    memset(field + length, 0, (FILE_SPEC_TEXT - length) * sizeof(wchar_t));
}

static bool RunOnly(int32_t index) {
    return playHistory[index].path[0] == '\0' && realPaths[index][0] != L'\0';
}

static void PushFront(const HistoryEntry *entry, const wchar_t *realPath) {
    wchar_t path[FILE_SPEC_TEXT];
    CopyWide(path, realPath);
    HistoryPushFront(entry);
    memcpy(realPaths[0], path, sizeof path);
}

// Copies a NUL-terminated string into a zeroed fixed field, cutting it to the field.
static void CopyField(char *field, const char *text) {
    size_t length = strnlen(text, FILE_SPEC_TEXT - 1);
    memcpy(field, text, length);
    field[length] = '\0';
}

int32_t HistoryIndexOfCommand(int32_t commandId) {
    if (commandId >= IDM_HISTORY_FIRST && commandId < IDM_HISTORY_FIRST + HISTORY_SLOTS) {
        return commandId - IDM_HISTORY_FIRST;
    }
    return -1;
}

void HistoryPushFront(const HistoryEntry *entry) {
    // `entry` may be one of the slots, so it is copied before the slots move.
    HistoryEntry copy = *entry;
    for (int32_t i = HISTORY_LIST_SLOTS - 1; i >= 1; --i) {
        playHistory[i] = playHistory[i - 1];
        memcpy(realPaths[i], realPaths[i - 1], sizeof realPaths[i]);
    }
    playHistory[0] = copy;
    memset(realPaths[0], 0, sizeof realPaths[0]);
    playHistoryCount += 1;
    if (playHistoryCount > HISTORY_SLOTS) {
        playHistoryCount = HISTORY_SLOTS;
    }
}

int32_t HistoryRemoveAt(int32_t index) {
    if (index < 0 || index > HISTORY_LIST_SLOTS - 1) {
        return 0;
    }
    for (int32_t i = index; i < HISTORY_LIST_SLOTS - 1; ++i) {
        playHistory[i] = playHistory[i + 1];
        memcpy(realPaths[i], realPaths[i + 1], sizeof realPaths[i]);
    }
    memset(realPaths[HISTORY_LIST_SLOTS - 1], 0, sizeof realPaths[0]);
    playHistoryCount -= 1;
    if (playHistoryCount < 0) {
        playHistoryCount = 0;
    }
    return 1;
}

int32_t HistoryFind(const HistoryEntry *entry) {
    for (int32_t i = 0; i < playHistoryCount; ++i) {
        if (strncmp(playHistory[i].path, entry->path, FILE_SPEC_TEXT) == 0) {
            return i;
        }
    }
    return -1;
}

HistoryEntry *HistoryEntryAt(int32_t index) { return &playHistory[index]; }

void SetHistoryPosition(int32_t index, int32_t position) { playHistory[index].position = position; }

void GetHistoryFile(int32_t index, FileSpec *file) {
    memcpy(file->path, playHistory[index].path, FILE_SPEC_TEXT);
    memcpy(file->name, playHistory[index].name, FILE_SPEC_TEXT);
    memcpy(file->widePath, realPaths[index], sizeof file->widePath);
    SetFileSpecWideName(file);
}

const wchar_t *HistoryWidePath(int32_t index) { return realPaths[index]; }

void SetHistoryWidePath(int32_t index, const wchar_t *path) { CopyWide(realPaths[index], path); }

int32_t HistoryStoredSlots(int32_t slots[HISTORY_SLOTS]) {
    int32_t count = 0;
    for (int32_t i = 0; i < playHistoryCount; ++i) {
        if (!RunOnly(i)) slots[count++] = i;
    }
    return count;
}

void ClearHistory(void) { playHistoryCount = 0; }

void HistoryAddFile(const FileSpec *file) {
    HistoryEntry entry;
    memset(&entry, 0, sizeof entry);
    CopyField(entry.path, file->path);
    CopyField(entry.name, file->name);
    int32_t found = -1;
    if (entry.path[0] != '\0') {
        found = HistoryFind(&entry);
    } else {
        for (int32_t i = 0; i < playHistoryCount && found < 0; ++i) {
            if (RunOnly(i) && wcsncmp(realPaths[i], file->widePath, FILE_SPEC_TEXT) == 0) found = i;
        }
    }
    if (found >= 0) {
        entry.position = playHistory[found].position;
        HistoryRemoveAt(found);
    }
    PushFront(&entry, file->widePath);
}

int32_t HistoryLoadFrom(const OptionData *options) {
    memset(playHistory, 0, sizeof playHistory);
    memset(realPaths, 0, sizeof realPaths);
    historyLoaded = true;
    int32_t count = options->historyCount;
    if (count < 0) {
        count = 0;
    } else if (count > HISTORY_SLOTS) {
        count = HISTORY_SLOTS;
    }
    playHistoryCount = count;
    for (int32_t i = 0; i < count; ++i) {
        playHistory[i] = options->history[i];
        // A damaged file may hold strings without their terminator.
        playHistory[i].path[FILE_SPEC_TEXT - 1] = '\0';
        playHistory[i].name[FILE_SPEC_TEXT - 1] = '\0';
    }
    return count;
}

void StoreHistory(OptionData *options) {
    int32_t slots[HISTORY_SLOTS];
    options->historyCount = HistoryStoredSlots(slots);
    for (int32_t i = 0; i < options->historyCount; ++i) {
        options->history[i] = playHistory[slots[i]];
    }
}

bool HistoryLoaded(void) { return historyLoaded; }

void ResetHistory(void) {
    memset(playHistory, 0, sizeof playHistory);
    memset(realPaths, 0, sizeof realPaths);
    playHistoryCount = 0;
    historyLoaded = false;
}

void FormatHistoryItem(const HistoryEntry *entry, char *text, size_t size) {
    int32_t position = entry->position;
    snprintf(text, size, "%.*s \t%02d:%02d:%02d", FILE_SPEC_TEXT - 1, entry->path,
             (int)(position / 60 / 60), (int)(position / 60 % 60), (int)(position % 60));
}

void FormatHistoryItemWide(const wchar_t *path, int32_t position, wchar_t *text, size_t size) {
    if (size == 0) return;
    // The time is digits and colons alone: the same in every character set.
    HistoryEntry timeOnly;
    memset(&timeOnly, 0, sizeof timeOnly);
    timeOnly.position = position;
    char time[HISTORY_ITEM_TEXT];
    FormatHistoryItem(&timeOnly, time, sizeof time);
    size_t at = 0;
    for (size_t i = 0; i < FILE_SPEC_TEXT - 1 && path[i] != L'\0' && at + 1 < size; ++i) {
        text[at++] = path[i];
    }
    for (size_t i = 0; time[i] != '\0' && at + 1 < size; ++i) text[at++] = (wchar_t)time[i];
    text[at] = L'\0';
}
