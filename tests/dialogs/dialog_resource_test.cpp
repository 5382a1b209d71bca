// The compiled dialog templates 103, 119 and 123 as the resource compiler left them: every
// control's id, class, text, rectangle in dialog units and style bits, the dialogs' own styles,
// titles and font. Read from the resource section, so default styles that the compiler adds
// (a sorted list box, a missing tab stop) show up as they would in the program.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "res/version.h"

namespace {

// One control or the dialog itself, decoded from a DLGTEMPLATEEX.
struct Item {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::string className;  // "#128" for an ordinal class
    std::string text;       // "#114" for an ordinal text
};

struct Template {
    Item dialog;
    std::string font;
    int pointSize = 0;
    std::vector<Item> items;
};

std::string Cp932(const WCHAR *text, size_t length) {
    char out[1024] = "";
    int n = WideCharToMultiByte(932, 0, text, (int)length, out, sizeof out - 1, NULL, NULL);
    return std::string(out, n > 0 ? n : 0);
}

// A string or an ordinal (0xFFFF followed by a number).
std::string SzOrOrd(const WORD *&p) {
    if (*p == 0xFFFF) {
        std::string ordinal = "#" + std::to_string(p[1]);
        p += 2;
        return ordinal;
    }
    const WORD *start = p;
    while (*p) ++p;
    std::string text = Cp932((const WCHAR *)start, p - start);
    ++p;
    return text;
}

// Predefined classes may be stored as ordinals or as names; both mean the same class.
std::string ClassName(std::string stored) {
    static const char *const ordinals[] = {"BUTTON",  "EDIT",      "STATIC",
                                           "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    if (stored.size() > 1 && stored[0] == '#') {
        int ordinal = atoi(stored.c_str() + 1);
        if (ordinal >= 0x80 && ordinal <= 0x85) return ordinals[ordinal - 0x80];
    }
    for (char &c : stored)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return stored;
}

bool LoadTemplate(int id, Template *out) {
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    if (!found) return false;
    const WORD *p = (const WORD *)LockResource(LoadResource(NULL, found));
    if (!p || p[0] != 1 || p[1] != 0xFFFF) return false;  // only the extended form is used
    const DWORD *d = (const DWORD *)(p + 2);
    out->dialog.style = d[2];
    p = (const WORD *)(d + 3);
    int count = p[0];
    out->dialog.x = (short)p[1], out->dialog.y = (short)p[2];
    out->dialog.cx = (short)p[3], out->dialog.cy = (short)p[4];
    p += 5;
    SzOrOrd(p);  // menu
    out->dialog.className = SzOrOrd(p);
    out->dialog.text = SzOrOrd(p);
    if (out->dialog.style & DS_SETFONT) {
        out->pointSize = p[0];
        p += 3;  // point size, weight, italic and charset
        out->font = SzOrOrd(p);
    }
    for (int i = 0; i < count; ++i) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        d = (const DWORD *)p;
        Item item;
        item.style = d[2];
        p = (const WORD *)(d + 3);
        item.x = (short)p[0], item.y = (short)p[1], item.cx = (short)p[2], item.cy = (short)p[3];
        item.id = *(const DWORD *)(p + 4);
        p += 6;
        item.className = ClassName(SzOrOrd(p));
        item.text = SzOrOrd(p);
        p += 1 + *p / sizeof(WORD);  // creation data
        out->items.push_back(item);
    }
    return true;
}

const DWORD kStatic = 0xFFFF;  // IDC_STATIC as a DWORD id of the extended template

struct Expected {
    DWORD id;
    const char *className;
    const char *text;
    int x, y, cx, cy;
    DWORD typeMask, type;  // the control's kind within its low style bits
    DWORD required;        // style bits that must be set
    DWORD forbidden;       // style bits that must be clear
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kListBox =
    kChild | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT;

void CheckTemplate(int id, const char *title, int cx, int cy,
                   const std::vector<Expected> &expected) {
    Template t;
    ASSERT_TRUE(LoadTemplate(id, &t)) << id;
    EXPECT_EQ(t.dialog.text, title);
    EXPECT_EQ(t.dialog.cx, cx);
    EXPECT_EQ(t.dialog.cy, cy);
    const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
    EXPECT_EQ(t.dialog.style & frame, frame);
    EXPECT_EQ(t.font, "ＭＳ Ｐゴシック");
    EXPECT_EQ(t.pointSize, 9);
    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected &e = expected[i];
        const Item &item = t.items[i];
        SCOPED_TRACE(std::string("control ") + std::to_string(i) + " " + e.className + " " +
                     (e.text ? e.text : ""));
        EXPECT_EQ(item.id & 0xFFFF, e.id);
        EXPECT_EQ(item.className, e.className);
        if (e.text) {
            EXPECT_EQ(item.text, e.text);
        }
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        EXPECT_EQ(item.style & e.typeMask, e.type);
        EXPECT_EQ(item.style & e.required, e.required);
        EXPECT_EQ(item.style & e.forbidden, 0u);
    }
}

// Class names as ClassName gives them.
const char *const kButton = "BUTTON";
const char *const kStaticClass = "STATIC";
const char *const kListBoxClass = "LISTBOX";

TEST(DialogResources, OperationSettings) {
    // The list is tall enough for every binding row and a spare one below them.
    CheckTemplate(
        IDD_OPERATION_SETTINGS, "操作設定", 307, 285,
        {
            {kStatic, kStaticClass, "割当を変更したい操作を選択し、変更ボタンを押してください。", 7,
             7, 297, 11, SS_TYPEMASK, SS_LEFT, kChild, 0},
            {IDC_OPERATION_LIST, "SYSLISTVIEW32", "", 6, 20, 294, 230, LVS_TYPEMASK, LVS_REPORT,
             kChild | LVS_SINGLESEL | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP,
             LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_SORTDESCENDING},
            {IDC_CHANGE, kButton, "変更", 198, 258, 50, 20, BS_TYPEMASK, BS_DEFPUSHBUTTON,
             kChild | WS_TABSTOP, 0},
            {IDC_CLOSE, kButton, "閉じる", 252, 258, 48, 20, BS_TYPEMASK, BS_PUSHBUTTON,
             kChild | WS_TABSTOP, 0},
        });
}

TEST(DialogResources, Assignment) {
    // No title in the resource: the dialog sets it when it opens.
    CheckTemplate(
        IDD_ASSIGNMENT, "", 311, 171,
        {
            {kStatic, kStaticClass, "新しい組合せを選択し、OKボタンを押してください。", 6, 6, 145,
             8, SS_TYPEMASK, SS_LEFT, kChild, 0},
            {kStatic, kButton, "キー", 6, 24, 204, 114, BS_TYPEMASK, BS_GROUPBOX, kChild, 0},
            {kStatic, kButton, "", 12, 36, 42, 90, BS_TYPEMASK, BS_GROUPBOX, kChild, 0},
            {IDC_SHIFT, kButton, "Shift", 18, 48, 30, 10, BS_TYPEMASK, BS_AUTOCHECKBOX, kChild, 0},
            {IDC_CTRL, kButton, "Ctrl", 18, 66, 27, 10, BS_TYPEMASK, BS_AUTOCHECKBOX, kChild, 0},
            {IDC_ALT, kButton, "Alt", 18, 84, 25, 10, BS_TYPEMASK, BS_AUTOCHECKBOX, kChild, 0},
            {IDC_WIN, kButton, "Win", 18, 102, 26, 10, BS_TYPEMASK, BS_AUTOCHECKBOX, kChild, 0},
            {kStatic, kStaticClass, "＋", 60, 78, 9, 8, SS_TYPEMASK, SS_LEFT, kChild, 0},
            {IDC_KEY_LIST, kListBoxClass, nullptr, 72, 36, 126, 90, 0, 0, kListBox, LBS_SORT},
            {kStatic, kStaticClass, "ジョイスティック", 222, 24, 46, 8, SS_TYPEMASK, SS_LEFT,
             kChild, 0},
            {IDC_BUTTON_LIST, kListBoxClass, nullptr, 222, 36, 78, 90, 0, 0, kListBox, LBS_SORT},
            {IDOK, kButton, "OK", 198, 144, 48, 20, BS_TYPEMASK, BS_DEFPUSHBUTTON, kChild, 0},
            {IDCANCEL, kButton, "キャンセル", 252, 144, 48, 20, BS_TYPEMASK, BS_PUSHBUTTON, kChild,
             0},
        });
}

TEST(DialogResources, About) {
    // The two spaces are ideographic spaces (U+3000); the version is the project's.
    const std::string text =
        std::string("Parlomix\x81\x40\x81\x40Version ") + PARLOMIX_VERSION_TEXT;
    CheckTemplate(
        IDD_ABOUT, "バージョン情報", 186, 95,
        {
            {IDOK, kButton, "OK", 68, 70, 50, 18, BS_TYPEMASK, BS_DEFPUSHBUTTON, kChild, 0},
            {kStatic, kStaticClass, "#114", 8, 7, 20, 20, SS_TYPEMASK, SS_ICON, kChild, 0},
            {kStatic, kStaticClass, text.c_str(), 50, 27, 86, 8, SS_TYPEMASK, SS_LEFT, kChild, 0},
        });
    // The icon has the two 16-colour images.
    HICON big = (HICON)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDI_PARLOMIX),
                                  IMAGE_ICON, 32, 32, 0);
    EXPECT_NE(big, (HICON)NULL);
    if (big) DestroyIcon(big);
}

// The About box and the version block must name the same version.
TEST(DialogResources, VersionBlockAgreesWithTheAboutBox) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(NULL, path, sizeof path), 0u);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &length));
    char numbers[64];
    snprintf(numbers, sizeof numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
    EXPECT_STREQ(numbers, PARLOMIX_VERSION_TEXT);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    for (const char *name : {"FileVersion", "ProductVersion"}) {
        char *value = NULL;
        std::string query = std::string("\\StringFileInfo\\041103a4\\") + name;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), (void **)&value, &length)) << name;
        EXPECT_STREQ(value, PARLOMIX_VERSION_TEXT) << name;
    }
}

}  // namespace
