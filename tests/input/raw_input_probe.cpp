// A library that a test loads into the running Parlomix.exe: on loading it writes the raw input
// registrations of that process to a text file beside itself ("page usage flags window" in hex,
// one per line) and refuses to stay loaded.
#include <windows.h>

#include <stdio.h>
#include <string.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length < 4 || length >= MAX_PATH) return FALSE;
    strcpy(path + length - 4, ".txt");
    RAWINPUTDEVICE list[16];
    UINT count = 16;
    UINT got = GetRegisteredRawInputDevices(list, &count, sizeof list[0]);
    FILE *file = fopen(path, "wb");
    if (!file) return FALSE;
    for (UINT i = 0; got != (UINT)-1 && i < got; ++i) {
        fprintf(file, "%X %X %lX %llX\n", list[i].usUsagePage, list[i].usUsage,
                (unsigned long)list[i].dwFlags, (unsigned long long)(uintptr_t)list[i].hwndTarget);
    }
    fclose(file);
    return FALSE;
}
