// The keyboard-hook library's interface: the three stdcall calls that Parlomix.exe imports from
// duvarore.dll under their decorated names. Shared by the program and hook/.
#ifndef PARLOMIX_DUVARORE_H
#define PARLOMIX_DUVARORE_H

#include "input/key_data.h"

struct HWND__;

extern "C" {
void __stdcall SetHook(HWND__ *window);
void __stdcall CopyKeyData(const KeyData *rows);
void __stdcall ResetHook(void);
}

// The registered message through which the library reports a matched key.
#define ZT_COMMAND_NAME "ZT_Command"

// While the hook is set, the library's message-only window of this class hears of session
// changes (WM_WTSSESSION_CHANGE); on a lock or unlock every held key is reported released.
#define DUVARORE_SESSION_CLASS "DuvaroreSessionWatch"

#endif
