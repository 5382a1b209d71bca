// parlomix.ini through GetPrivateProfileStringW and WritePrivateProfileStringW.
#include "settings/ini_file.h"

#include <windows.h>
#include <wchar.h>

#include <vector>

enum { INI_CONVERT_LIMIT = 1 << 20 };

static bool IniPathBesideProgram(wchar_t *path, size_t size) {
    if (size == 0) return false;
    path[0] = L'\0';
    std::vector<wchar_t> module(INI_PATH_SIZE);
    DWORD n = GetModuleFileNameW(NULL, module.data(), (DWORD)module.size());
    if (n == 0 || n >= module.size()) return false;
    size_t end = n;
    while (end > 0 && module[end - 1] != L'\\' && module[end - 1] != L'/') --end;
    if (end == 0 || end + wcslen(INI_FILE_NAME) + 1 > size) return false;
    wmemcpy(path, module.data(), end);
    wcscpy(path + end, INI_FILE_NAME);
    return true;
}

const wchar_t *IniPath() {
    static wchar_t path[INI_PATH_SIZE];
    static bool found;
    if (!found) found = IniPathBesideProgram(path, INI_PATH_SIZE);
    return found ? path : nullptr;
}

int IniReadInt(const wchar_t *path, const wchar_t *section, const wchar_t *key, int fallback,
               int low, int high) {
    wchar_t text[32];
    GetPrivateProfileStringW(section, key, L"", text, 32, path);
    const wchar_t *p = text;
    while (*p == L' ' || *p == L'\t') ++p;
    bool negative = *p == L'-';
    if (negative || *p == L'+') ++p;
    if (*p < L'0' || *p > L'9') return fallback;
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > 0x7fffffffLL) return fallback;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    if (*p != L'\0') return fallback;
    if (negative) value = -value;
    if (value < low || value > high) return fallback;
    return (int)value;
}

void IniReadText(const wchar_t *path, const wchar_t *section, const wchar_t *key,
                 const wchar_t *fallback, wchar_t *text, size_t size) {
    if (size == 0) return;
    // The profile API cannot tell an empty value from a missing key by its result; a default
    // that no file can hold tells them apart.
    static const wchar_t MISSING[] = L"\x01missing\x01";
    std::vector<wchar_t> read(size + sizeof MISSING / sizeof MISSING[0]);
    GetPrivateProfileStringW(section, key, MISSING, read.data(), (DWORD)read.size(), path);
    const wchar_t *source = wcscmp(read.data(), MISSING) == 0 ? fallback : read.data();
    wcsncpy(text, source, size - 1);
    text[size - 1] = L'\0';
}

// Makes `path` a UTF-16LE file with its byte-order mark: created empty when missing, converted
// from the ANSI code page when it has no mark. Without the mark the profile API writes ANSI and
// loses every character outside the code page.
static bool EnsureUnicodeFile(const wchar_t *path) {
    static const unsigned char BOM[2] = {0xFF, 0xFE};
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return false;
    }
    // No settings file is this large: whatever it is, the profile API may make of it what it can.
    if (size.QuadPart > INI_CONVERT_LIMIT) {
        CloseHandle(file);
        return true;
    }
    std::vector<unsigned char> bytes((size_t)size.QuadPart);
    DWORD got = 0;
    if (!bytes.empty() &&
        (!ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, NULL) || got != bytes.size())) {
        CloseHandle(file);
        return false;
    }
    if (bytes.size() >= 2 && bytes[0] == BOM[0] && bytes[1] == BOM[1]) {
        CloseHandle(file);
        return true;
    }
    std::vector<wchar_t> text;
    if (!bytes.empty()) {
        int n =
            MultiByteToWideChar(CP_ACP, 0, (const char *)bytes.data(), (int)bytes.size(), NULL, 0);
        text.resize((size_t)n);
        MultiByteToWideChar(CP_ACP, 0, (const char *)bytes.data(), (int)bytes.size(), text.data(),
                            n);
    }
    DWORD put = 0;
    SetFilePointer(file, 0, NULL, FILE_BEGIN);
    bool ok = WriteFile(file, BOM, 2, &put, NULL) && put == 2;
    DWORD textBytes = (DWORD)(text.size() * sizeof(wchar_t));
    if (ok && textBytes)
        ok = WriteFile(file, text.data(), textBytes, &put, NULL) && put == textBytes;
    ok = ok && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

bool IniWriteText(const wchar_t *path, const wchar_t *section, const wchar_t *key,
                  const wchar_t *text) {
    if (!path[0] || !EnsureUnicodeFile(path)) return false;
    return WritePrivateProfileStringW(section, key, text, path) != 0;
}

bool IniWriteInt(const wchar_t *path, const wchar_t *section, const wchar_t *key, int value) {
    wchar_t text[16];
    swprintf(text, 16, L"%d", value);
    return IniWriteText(path, section, key, text);
}
