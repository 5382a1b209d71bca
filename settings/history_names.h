// The real names of the history's files beside parlomix_opt: a file whose path the code page
// cannot hold is stored there by its short path, and its real path goes into parlomix.ini's
// [History] section ("Stored<n>" the short path as stored in entry n, counted from 1,
// "Path<n>" the real path). A version that knows no such section ignores it; a name whose
// stored path no longer matches its entry is ignored here, so an entry rewritten meanwhile keeps
// what it stores.
#ifndef PARLOMIX_HISTORY_NAMES_H
#define PARLOMIX_HISTORY_NAMES_H

#define HISTORY_NAMES_SECTION L"History"

// After the history was loaded: every slot gets its real path, from parlomix.ini where it holds
// one for that slot, else read from the stored path in the code page.
void LoadHistoryNames(const wchar_t *iniPath);

// After StoreHistory: the real path of each stored entry whose stored path does not name it in
// full; keys of entries that need none are removed. Returns false when the file cannot be
// written.
bool SaveHistoryNames(const wchar_t *iniPath);

#endif
