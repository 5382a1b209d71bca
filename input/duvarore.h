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

#endif
