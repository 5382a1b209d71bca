// The play history: the last eight files opened, most recent first, each with the position
// reached in it. The list lives here while the program runs and in the options record between
// runs; app/history_menu.h shows it in the File menu.
#ifndef PARLOMIX_HISTORY_H
#define PARLOMIX_HISTORY_H

#include <stddef.h>
#include <stdint.h>

#include "common/file_spec.h"
#include "res/resource.h"
#include "settings/option_data.h"

// Nine slots: 0..7 can be counted, 8 is where the oldest entry is pushed out to.
enum { HISTORY_LIST_SLOTS = HISTORY_SLOTS + 1 };

// Room for a menu item: a 260-unit path, " \t" and hh:mm:ss with hours of any width.
enum { HISTORY_ITEM_TEXT = 296 };

extern HistoryEntry playHistory[HISTORY_LIST_SLOTS];
extern int32_t playHistoryCount;
static_assert(sizeof(playHistory) == 4716, "nine 524-byte slots");

// The history index that a File menu command id stands for, or -1 when it is no history item.
int32_t HistoryIndexOfCommand(int32_t commandId);

// Inserts a copy of `entry` at index 0; every slot moves down one (slot 8 falls off) and the
// count grows to at most 8.
void HistoryPushFront(const HistoryEntry *entry);

// Closes the gap at `index`; 0 (and nothing changed) when `index` is outside 0..8, else 1.
int32_t HistoryRemoveAt(int32_t index);

// Index of the first counted entry whose path equals entry's path byte for byte (letter case
// counts), or -1.
int32_t HistoryFind(const HistoryEntry *entry);

// The slot at `index`, unchecked: callers pass 0 or an index that HistoryFind returned.
HistoryEntry *HistoryEntryAt(int32_t index);

void SetHistoryPosition(int32_t index, int32_t position);

// Copies the stored path and name and the real path of the slot at `index` into `file`.
void GetHistoryFile(int32_t index, FileSpec *file);

// The real path of the slot at `index` (empty when only the stored form is known), and its
// setter for the names read back at start-up.
const wchar_t *HistoryWidePath(int32_t index);
void SetHistoryWidePath(int32_t index, const wchar_t *path);

// The slots that the options record keeps, in order, into `slots`; returns their count. A file
// with no stored form stays listed for this run only.
int32_t HistoryStoredSlots(int32_t slots[HISTORY_SLOTS]);

// Empties the list; the slots keep their bytes.
void ClearHistory(void);

// The list part of AddToHistory: `file` becomes entry 0, with the position remembered for its
// path or 0 when it was not listed; its name replaces the listed one. A file with no stored form
// is found by its real path.
void HistoryAddFile(const FileSpec *file);

// The list part of LoadHistory: zeroes all slots and copies the stored entries. A damaged
// count is clamped into 0..8 and every string is cut to its field. Returns the new count.
int32_t HistoryLoadFrom(const OptionData *options);

// Copies the count and the entries that HistoryStoredSlots names into `options`; later stored
// entries stay as they were.
void StoreHistory(OptionData *options);

// True once the history was loaded in this run. A close after a start that never loaded it
// must not store the empty list over the saved one.
bool HistoryLoaded(void);

// Back to the state at program start: all slots zero, count 0, not loaded.
void ResetHistory(void);

// The File menu text of an entry: path, a space, a tab and the position as hh:mm:ss.
void FormatHistoryItem(const HistoryEntry *entry, char *text, size_t size);
// The same for the real path of a file.
void FormatHistoryItemWide(const wchar_t *path, int32_t position, wchar_t *text, size_t size);

#endif
