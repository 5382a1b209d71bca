// The play history's list operations, its load and store through the options record and the
// text of its menu items. No window code here; app/history_menu.cpp adds the File menu.
#include "settings/history.h"

#include <stdio.h>
#include <string.h>

HistoryEntry playHistory[HISTORY_LIST_SLOTS];
int32_t playHistoryCount;
static bool historyLoaded;

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
    }
    playHistory[0] = copy;
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
    }
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
}

void ClearHistory(void) { playHistoryCount = 0; }

void HistoryAddFile(const FileSpec *file) {
    HistoryEntry entry;
    memset(&entry, 0, sizeof entry);
    CopyField(entry.path, file->path);
    CopyField(entry.name, file->name);
    int32_t found = HistoryFind(&entry);
    if (found >= 0) {
        entry.position = playHistory[found].position;
        HistoryRemoveAt(found);
    }
    HistoryPushFront(&entry);
}

int32_t HistoryLoadFrom(const OptionData *options) {
    memset(playHistory, 0, sizeof playHistory);
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
    options->historyCount = playHistoryCount;
    for (int32_t i = 0; i < playHistoryCount; ++i) {
        options->history[i] = playHistory[i];
    }
}

bool HistoryLoaded(void) { return historyLoaded; }

void ResetHistory(void) {
    memset(playHistory, 0, sizeof playHistory);
    playHistoryCount = 0;
    historyLoaded = false;
}

void FormatHistoryItem(const HistoryEntry *entry, char *text, size_t size) {
    int32_t position = entry->position;
    snprintf(text, size, "%.*s \t%02d:%02d:%02d", FILE_SPEC_TEXT - 1, entry->path,
             (int)(position / 60 / 60), (int)(position / 60 % 60), (int)(position % 60));
}
