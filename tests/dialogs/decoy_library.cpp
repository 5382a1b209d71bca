// A library planted in the program's folder under the name of a system library: when it is
// loaded it leaves the file "decoy-loaded" beside itself, so that a test can tell that the
// program took it instead of the system's.
#include <windows.h>

#include <string.h>

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpA(HWND, LPCSTR, UINT, DWORD_PTR) {
    return NULL;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char *separator = strrchr(path, '\\');
    if (separator == NULL) return TRUE;
    strcpy(separator + 1, "decoy-loaded");
    HANDLE marker =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
