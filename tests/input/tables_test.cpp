// Operation, button and key tables: table order and contents, first-match lookups and their
// literals for misses, CP932 bytes of the Japanese names, default rows as bytes, key texts.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <set>
#include <string>

#include "input/tables.h"

namespace {

TEST(OperationTable, NamesInNumberOrderAndMisses) {
    static const char *const names[] = {
        "PLAY/PAUSE", "PLAY",     "PAUSE",     "STOP",         "REW",        "REW_END",
        "FF",         "FF_END",   "PITCH_UP",  "PITCH_UP_END", "PITCH_DOWN", "PITCH_DOWN_END",
        "SEEK",       "INVALID",  "TIMESTAMP", "JUMP",         "LOOP",       "GOTO",
        "SNIPPET1",   "SNIPPET2", "SNIPPET3",  "SNIPPET4",     "SNIPPET5",   "SNIPPET6",
        "SNIPPET7",   "SNIPPET8", "CLARITY"};
    static_assert(sizeof names / sizeof names[0] == OP_LAST, "a name for each operation");
    ASSERT_EQ(OperationTableCount, OP_LAST);
    for (int i = 0; i < OP_LAST; ++i) {
        EXPECT_EQ(OperationTable[i].operation, i + 1);
        EXPECT_STREQ(OperationTable[i].name, names[i]);
        EXPECT_STREQ(OperationName(i + 1), names[i]);
    }
    for (int32_t miss : {0, OP_LAST + 1, -1, 0x10001, INT32_MIN}) {
        EXPECT_STREQ(OperationName(miss), "nod difined") << miss;
    }
}

TEST(JoyButtonTable, NamesAndMisses) {
    ASSERT_EQ(JoyButtonTableCount, 5);
    EXPECT_STREQ(JoyButtonName(0), "(\x82\xC8\x82\xB5)");  // (なし)
    EXPECT_STREQ(JoyButtonName(1), "Button 1");
    EXPECT_STREQ(JoyButtonName(4), "Button 4");
    for (int16_t i = 0; i < 5; ++i) EXPECT_EQ(JoyButtonTable[i].button, i);
    for (int16_t miss : {5, -1, 256, INT16_MAX}) {
        EXPECT_STREQ(JoyButtonName(miss), "nod difined") << miss;
    }
}

TEST(KeyNameTable, RowCountOrderAndTheOneDuplicateCode) {
    ASSERT_EQ(KeyNameTableCount, 115);
    int duplicates = 0;
    for (int i = 1; i < KeyNameTableCount; ++i) {
        ASSERT_LE(KeyNameTable[i - 1].vkey, KeyNameTable[i].vkey) << "row " << i;
        if (KeyNameTable[i - 1].vkey == KeyNameTable[i].vkey) {
            ++duplicates;
            EXPECT_EQ(KeyNameTable[i].vkey, 0x92);
        }
    }
    EXPECT_EQ(duplicates, 1);
    std::set<std::string> names;
    for (int i = 0; i < KeyNameTableCount; ++i) names.insert(KeyNameTable[i].name);
    EXPECT_EQ(names.size(), 115u) << "every key has a name of its own";
    // Modifiers are flags of a binding, never keys of the table; 0x6C has no key.
    for (int32_t absent : {0x10, 0x11, 0x12, 0x5B, 0x5C, 0x6C, 0xA0, 0xA2, 0xA4}) {
        EXPECT_STREQ(KeyName(absent), "not difined") << absent;
    }
}

TEST(KeyNameTable, RunsOfGeneratedNames) {
    char expected[16];
    for (int d = 0; d <= 9; ++d) {
        snprintf(expected, sizeof expected, "%d", d);
        EXPECT_STREQ(KeyName(0x30 + d), expected);
        snprintf(expected, sizeof expected, "Num %d", d);
        EXPECT_STREQ(KeyName(0x60 + d), expected);
    }
    for (int c = 'A'; c <= 'Z'; ++c) {
        snprintf(expected, sizeof expected, "%c", c);
        EXPECT_STREQ(KeyName(0x41 + (c - 'A')), expected);
    }
    for (int f = 1; f <= 24; ++f) {
        snprintf(expected, sizeof expected, "F%d", f);
        EXPECT_STREQ(KeyName(0x6F + f), expected);
    }
    EXPECT_STREQ(KeyName(0x88), "not difined");
    EXPECT_STREQ(KeyName(0x6A), "Num *");
    EXPECT_STREQ(KeyName(0x6F), "Num /");
}

TEST(KeyNameTable, NamedKeysAndFirstMatch) {
    struct {
        int32_t vkey;
        const char *name;
    } const rows[] = {
        {0x08, "Back Space"},
        {0x0C, "Clear"},
        {0x1B, "Esc"},
        {0x20, "Space"},
        {0x22, "PageDown"},
        {0x2F, "Help"},
        {0x91, "Scroll Lock"},
        {0x92, "NEC PC-9800 '='on numpad"},
        {0x93, "Fujitsu/OASYS 'Unregister word'"},
        {0x96, "Fujitsu/OASYS 'Right OYAYUBI'"},
        {0xBA, ":"},
        {0xC0, "@"},
        {0xDB, "["},
        {0xDC, "\\"},
        {0xDE, "^"},
        {0xE2, "backslash"},
    };
    for (const auto &row : rows) EXPECT_STREQ(KeyName(row.vkey), row.name) << row.vkey;
    for (int32_t miss : {0x01, 0xE3, 0xFF, 0x120, -1, 0x10020}) {
        EXPECT_STREQ(KeyName(miss), "not difined") << miss;
    }
    // The second 0x92 row is in the table but never found by code.
    EXPECT_STREQ(KeyNameTable[98].name, "Fujitsu/OASYS 'Dictionary'");
    EXPECT_EQ(KeyNameTable[98].vkey, 0x92);
}

TEST(KeyNameTable, JapaneseNamesAreCp932Bytes) {
    EXPECT_STREQ(KeyName(0x00), "(\x82\xC8\x82\xB5)");
    EXPECT_STREQ(KeyName(0x1C), "\x95\xCF\x8A\xB7");          // 変換
    EXPECT_STREQ(KeyName(0x1D), "\x96\xB3\x95\xCF\x8A\xB7");  // 無変換
    EXPECT_STREQ(KeyName(0x25), "\x81\xA9");                  // ←
    EXPECT_STREQ(KeyName(0x26), "\x81\xAA");                  // ↑
    EXPECT_STREQ(KeyName(0x27), "\x81\xA8");                  // →
    EXPECT_STREQ(KeyName(0x28), "\x81\xAB");                  // ↓
    EXPECT_EQ(strlen(KeyName(0xDC)), 1u);
}

// The first 120 bytes are the six rows of every earlier parlomix_key, unchanged; the seventh
// row follows them.
static const unsigned char DEFAULT_IMAGE[140] = {
    0x20, 0, 0, 0, 0,    0, 1, 0, 0,    0, 0, 0, 1,    0, 0, 0, 1,    0, 0, 0, 0x1D, 0, 0, 0,
    0,    0, 1, 0, 0,    0, 0, 0, 2,    0, 0, 0, 4,    0, 0, 0, 0x25, 0, 0, 0, 0,    0, 1, 0,
    0,    0, 0, 0, 3,    0, 0, 0, 5,    0, 0, 0, 0x27, 0, 0, 0, 0,    0, 1, 0, 0,    0, 0, 0,
    4,    0, 0, 0, 7,    0, 0, 0, 0x26, 0, 0, 0, 0,    0, 1, 0, 0,    0, 0, 0, 0,    0, 0, 0,
    9,    0, 0, 0, 0x28, 0, 0, 0, 0,    0, 1, 0, 0,    0, 0, 0, 0,    0, 0, 0, 11,   0, 0, 0,
    0x1C, 0, 0, 0, 0,    0, 1, 0, 0,    0, 0, 0, 0,    0, 0, 0, 15,   0, 0, 0,
};

TEST(KeyData, DefaultRowsByteImage) {
    KeyData table[KEY_DATA_ROWS + 1];
    char text[KEY_TEXT_SIZE];
    memset(table, 0xA5, sizeof table);
    SetDefaultKeyData(table);
    EXPECT_EQ(memcmp(table, DEFAULT_IMAGE, sizeof DEFAULT_IMAGE), 0);
    const unsigned char *after = reinterpret_cast<const unsigned char *>(&table[KEY_DATA_ROWS]);
    for (size_t i = 0; i < sizeof(KeyData); ++i) {
        EXPECT_EQ(after[i], 0xA5) << "wrote past the rows at " << i;
    }
    // After the first 140 bytes: JUMP on Ctrl+Shift+変換, LOOP on Ctrl+Shift+Space, then GOTO and
    // SNIPPET1..8 unbound, each row its own operation in number order.
    const KeyData *later = &table[KEY_DATA_STAMP_ROWS];
    EXPECT_EQ(FormatKeyText(&later[0], text), std::string("[Shift][Ctrl][変換]"));
    EXPECT_EQ(FormatKeyText(&later[1], text), std::string("[Shift][Ctrl][Space]"));
    for (int i = 0; i < KEY_DATA_ROWS - KEY_DATA_STAMP_ROWS; ++i) {
        EXPECT_EQ(later[i].operation, OP_JUMP + i);
        EXPECT_EQ(later[i].vkey == 0, i >= 2) << OperationName(later[i].operation);
        EXPECT_EQ(later[i].joyButton, 0);
    }
}

// A table as a file left it: the six base rows edited (reserved bytes included), then whatever
// the file held for the seventh row, and only `rowsRead` rows of it counted.
TEST(KeyData, CompleteKeyDataKeepsTheBaseRowsAndDefaultsTheRest) {
    KeyData edited;
    memset(&edited, 0, sizeof edited);
    SetKeyData(&edited, 0x74, 1, 0, 0, 0, 3, OP_TIMESTAMP);
    edited.reserved[1] = 0x77;
    KeyData foreign = edited;
    foreign.operation = OP_STOP;
    struct {
        const char *name;
        int rowsRead;
        const KeyData *seventh;
        bool seventhKept;
    } const cases[] = {
        {"six rows: the seventh from the defaults", KEY_DATA_BASE_ROWS, &edited, false},
        {"seven rows: the seventh as stored", KEY_DATA_STAMP_ROWS, &edited, true},
        {"a seventh row binding another operation", KEY_DATA_ROWS, &foreign, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        KeyData table[KEY_DATA_ROWS];
        memset(table, 0x3C, sizeof table);
        for (int i = 0; i < KEY_DATA_BASE_ROWS; ++i) table[i].operation = i;
        table[KEY_DATA_BASE_ROWS] = *c.seventh;
        KeyData before[KEY_DATA_ROWS];
        memcpy(before, table, sizeof table);
        CompleteKeyData(table, c.rowsRead);
        EXPECT_EQ(memcmp(table, before, sizeof(KeyData) * KEY_DATA_BASE_ROWS), 0);
        const void *seventh = c.seventhKept ? (const void *)c.seventh : DEFAULT_IMAGE + 120;
        EXPECT_EQ(memcmp(&table[KEY_DATA_BASE_ROWS], seventh, sizeof(KeyData)), 0);
        // Every row past what the file held comes from the defaults.
        KeyData defaults[KEY_DATA_ROWS];
        SetDefaultKeyData(defaults);
        EXPECT_EQ(memcmp(&table[KEY_DATA_STAMP_ROWS], &defaults[KEY_DATA_STAMP_ROWS],
                         sizeof(KeyData) * (KEY_DATA_ROWS - KEY_DATA_STAMP_ROWS)),
                  0);
    }
}

TEST(KeyData, SetKeyDataStoresFieldsAndKeepsReservedBytes) {
    KeyData row;
    memset(&row, 0, sizeof row);
    row.reserved[0] = 0x5A;
    row.reserved[1] = 0xC3;
    SetKeyData(&row, 0x74, 1, -1, 2, 0x7FFF, 3, 9);
    EXPECT_EQ(row.vkey, 0x74);
    EXPECT_EQ(row.shift, 1);
    EXPECT_EQ(row.ctrl, -1);
    EXPECT_EQ(row.alt, 2);
    EXPECT_EQ(row.win, 0x7FFF);
    EXPECT_EQ(row.joyButton, 3);
    EXPECT_EQ(row.operation, 9);
    EXPECT_EQ(row.reserved[0], 0x5A);
    EXPECT_EQ(row.reserved[1], 0xC3);
}

static std::string KeyText(int32_t vkey, int16_t shift, int16_t ctrl, int16_t alt, int16_t win) {
    KeyData row;
    memset(&row, 0, sizeof row);
    SetKeyData(&row, vkey, shift, ctrl, alt, win, 0, 1);
    char text[KEY_TEXT_SIZE];
    memset(text, 'x', sizeof text);
    EXPECT_EQ(FormatKeyText(&row, text), text);
    return std::string(text);
}

TEST(FormatKeyText, ModifierTagsThenBracketedKeyName) {
    EXPECT_EQ(KeyText(0x20, 0, 1, 0, 0), "[Ctrl][Space]");
    EXPECT_EQ(KeyText(0x74, 1, 0, 1, 0), "[Shift][Alt][F5]");
    EXPECT_EQ(KeyText(0x41, 1, 1, 1, 1), "[Shift][Ctrl][Alt][Win][A]");
    EXPECT_EQ(KeyText(0x5A, 0, 0, 0, 0), "[Z]");
    EXPECT_EQ(KeyText(0x2E, 0, 0, 0, 1), "[Win][Delete]");
    // Any nonzero flag counts as set.
    EXPECT_EQ(KeyText(0x0D, -1, 2, 0, 0), "[Shift][Ctrl][Enter]");
    EXPECT_EQ(KeyText(0x1D, 0, 1, 0, 0), "[Ctrl][\x96\xB3\x95\xCF\x8A\xB7]");
}

TEST(FormatKeyText, NoKeyHidesModifiersAndUnknownKeyIsBracketed) {
    EXPECT_EQ(KeyText(0, 0, 1, 0, 0), "(\x82\xC8\x82\xB5)");
    EXPECT_EQ(KeyText(0, 1, 1, 1, 1), "(\x82\xC8\x82\xB5)");
    EXPECT_EQ(KeyText(0x6C, 0, 1, 0, 0), "[Ctrl][not difined]");
    EXPECT_EQ(KeyText(0x92, 0, 0, 0, 0), "[NEC PC-9800 '='on numpad]");
    EXPECT_EQ(KeyText(0xDC, 0, 0, 1, 0), "[Alt][\\]");
}

}  // namespace
