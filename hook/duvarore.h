// The keyboard-hook library's interface: the stdcall calls that Parlomix.exe imports from
// duvarore.dll under their decorated names. Shared by the library itself and the program.
#ifndef PARLOMIX_DUVARORE_H
#define PARLOMIX_DUVARORE_H

#include "input/key_data.h"

struct HWND__;

extern "C" {
void __stdcall SetHook(HWND__ *window);
// Takes a copy of the first KEY_DATA_BASE_ROWS rows, as every program that knows no other row
// count passes; the library's further rows are cleared, so they match no key.
void __stdcall CopyKeyData(const KeyData *rows);
// Takes a copy of `count` rows (at most KEY_DATA_ROWS are used); the library's further rows are
// cleared. The program hands its whole table through this call.
void __stdcall CopyKeyRows(const KeyData *rows, int32_t count);
void __stdcall ResetHook(void);
}

// The registered message through which the library reports a matched key.
#define ZT_COMMAND_NAME "ZT_Command"

// While the hook is set, the library's message-only window of this class hears of session
// changes (WM_WTSSESSION_CHANGE); on a lock or unlock every held key is reported released.
#define DUVARORE_SESSION_CLASS "DuvaroreSessionWatch"

#endif
