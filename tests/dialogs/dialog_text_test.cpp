// The texts and decisions of the binding dialogs without any window: the three columns of the
// settings list, the assignment title, the list entries selected on opening and what OK stores,
// for the default table and for rows that only an edited parlomix_key can hold.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "input/dialog_text.h"
#include "input/tables.h"

namespace {

KeyData Row(int32_t vkey, int16_t shift, int16_t ctrl, int16_t alt, int16_t win, int16_t button,
            int32_t operation) {
    KeyData row;
    memset(&row, 0, sizeof row);
    SetKeyData(&row, vkey, shift, ctrl, alt, win, button, operation);
    return row;
}

std::string KeyText(const KeyData &row) {
    char text[KEY_TEXT_SIZE];
    return FormatKeyText(&row, text);
}

std::string Title(const KeyData &row) {
    char text[DIALOG_TEXT_SIZE];
    return FormatAssignmentTitle(&row, text);
}

// What the assignment dialog's controls hold when it opens on `row` and nothing is touched.
AssignmentChoice Untouched(const KeyData &row) {
    AssignmentChoice choice;
    choice.shift = row.shift != 0;
    choice.ctrl = row.ctrl != 0;
    choice.alt = row.alt != 0;
    choice.win = row.win != 0;
    choice.keyIndex = KeyListIndex(row.vkey);
    choice.buttonIndex = ButtonListIndex(row.joyButton);
    return choice;
}

int KeyIndexOfName(const char *name) {
    for (int i = 0; i < KeyNameTableCount; ++i)
        if (strcmp(KeyNameTable[i].name, name) == 0) return i;
    return -1;
}

TEST(SettingsList, DefaultTableReadsRowByRow) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    // The rows of the earlier versions; the later ones read as tables_test shows.
    static const char *const expected[KEY_DATA_STAMP_ROWS][3] = {
        {"PLAY/PAUSE", "[Ctrl][Space]", "Button 1"},
        {"STOP", "[Ctrl][無変換]", "Button 2"},
        {"REW", "[Ctrl][←]", "Button 3"},
        {"FF", "[Ctrl][→]", "Button 4"},
        {"PITCH_UP", "[Ctrl][↑]", "(なし)"},
        {"PITCH_DOWN", "[Ctrl][↓]", "(なし)"},
        {"TIMESTAMP", "[Ctrl][変換]", "(なし)"},
    };
    for (int i = 0; i < KEY_DATA_STAMP_ROWS; ++i) {
        EXPECT_STREQ(OperationColumnText(&table[i]), expected[i][0]) << "row " << i;
        EXPECT_EQ(KeyText(table[i]), expected[i][1]) << "row " << i;
        EXPECT_STREQ(ButtonColumnText(&table[i]), expected[i][2]) << "row " << i;
    }
}

TEST(SettingsList, RowsOnlyAnEditedFileCanHold) {
    // No key: "(なし)" alone, whatever modifiers are stored with it.
    EXPECT_EQ(KeyText(Row(0, 0, 1, 0, 0, 1, 1)), "(\x82\xC8\x82\xB5)");
    EXPECT_EQ(KeyText(Row(0, 1, 1, 1, 1, 0, 1)), "(なし)");
    EXPECT_EQ(KeyText(Row(0x6C, 0, 1, 0, 0, 0, 1)), "[Ctrl][not difined]");
    // Any nonzero flag counts, and the tags keep their order.
    EXPECT_EQ(KeyText(Row(0x41, 2, -1, 0x100, 7, 0, 1)), "[Shift][Ctrl][Alt][Win][A]");

    KeyData noOperation = Row(0x41, 0, 0, 0, 0, 0, 0);
    EXPECT_STREQ(OperationColumnText(&noOperation), "");
    KeyData strange = Row(0x41, 0, 0, 0, 0, 5, 99);
    EXPECT_STREQ(OperationColumnText(&strange), "nod difined");
    EXPECT_STREQ(ButtonColumnText(&strange), "nod difined");
    KeyData negative = Row(0x41, 0, 0, 0, 0, -1, -1);
    EXPECT_STREQ(OperationColumnText(&negative), "nod difined");
    EXPECT_STREQ(ButtonColumnText(&negative), "nod difined");
}

TEST(AssignmentTitle, OldCombinationWithItsSpacesAndTags) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    EXPECT_EQ(Title(table[0]), "PLAY/PAUSE  (変更前 : [Ctrl][Space]  /  Button 1)");
    // Byte for byte: two ASCII spaces, CP932 "変更前", a space on each side of the colon.
    EXPECT_EQ(Title(table[0]),
              "PLAY/PAUSE  (\x95\xCF\x8D\x58\x91\x4F : [Ctrl][Space]  /  Button 1)");
    EXPECT_EQ(Title(table[5]), "PITCH_DOWN  (変更前 : [Ctrl][↓]  /  (なし))");
    EXPECT_EQ(Title(table[6]), "TIMESTAMP  (変更前 : [Ctrl][変換]  /  (なし))");
    // Unlike the list, the title shows the tags even without a key.
    EXPECT_EQ(Title(Row(0, 0, 1, 0, 0, 1, 1)),
              "PLAY/PAUSE  (変更前 : [Ctrl][(なし)]  /  Button 1)");
    EXPECT_EQ(Title(Row(0, 0, 0, 0, 0, 0, 4)), "STOP  (変更前 : [(なし)]  /  (なし))");
    EXPECT_EQ(Title(Row(0x74, 1, 1, 1, 1, 4, 7)),
              "FF  (変更前 : [Shift][Ctrl][Alt][Win][F5]  /  Button 4)");
    EXPECT_EQ(Title(Row(0x6C, 0, 0, 1, 0, 9, 0)),
              "nod difined  (変更前 : [Alt][not difined]  /  nod difined)");
}

TEST(AssignmentLists, EntrySelectedOnOpening) {
    for (int i = 0; i < KeyNameTableCount; ++i) {
        int expected = i;
        // The second name of 0x92 is never the one selected: the first name wins.
        if (i > 0 && KeyNameTable[i - 1].vkey == KeyNameTable[i].vkey) expected = i - 1;
        EXPECT_EQ(KeyListIndex(KeyNameTable[i].vkey), expected) << KeyNameTable[i].name;
    }
    int nec = KeyIndexOfName("NEC PC-9800 '='on numpad");
    ASSERT_GE(nec, 0);
    EXPECT_EQ(KeyListIndex(0x92), nec);
    EXPECT_EQ(KeyListIndex(0x42), KeyIndexOfName("B"));
    EXPECT_EQ(KeyListIndex(0), 0);
    for (int32_t absent : {0x6C, 0x10, -1, 0x1000}) EXPECT_EQ(KeyListIndex(absent), -1) << absent;

    for (int16_t b = 0; b < 5; ++b) EXPECT_EQ(ButtonListIndex(b), b);
    for (int16_t absent : {5, -1, 0x100}) EXPECT_EQ(ButtonListIndex(absent), -1) << absent;
}

TEST(AssignmentOk, UntouchedDialogKeepsEveryKeyByteForByte) {
    static const int16_t flagSets[][4] = {{0, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 1, 0}, {1, 1, 1, 1}};
    for (int i = 0; i < KeyNameTableCount; ++i) {
        for (int16_t button = 0; button < 5; ++button) {
            const int16_t *f = flagSets[(i + button) % 4];
            KeyData row = Row(KeyNameTable[i].vkey, f[0], f[1], f[2], f[3], button, 1 + i % 14);
            row.reserved[0] = 0xA5;
            row.reserved[1] = 0x5A;
            KeyData stored = row;
            AssignmentChoice choice = Untouched(row);
            ApplyAssignmentChoice(&choice, &stored);
            EXPECT_EQ(memcmp(&stored, &row, sizeof row), 0)
                << KeyNameTable[i].name << " button " << button;
        }
    }
}

TEST(AssignmentOk, ChoicesAreStoredAsCodesAndFlags) {
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    KeyData row = table[0];

    // Shift+F5 with button 3: flags are stored as 1 or 0, the operation stays.
    AssignmentChoice choice = {true, false, false, false, KeyIndexOfName("F5"), 3};
    ApplyAssignmentChoice(&choice, &row);
    EXPECT_EQ(row.vkey, 0x74);
    EXPECT_EQ(row.shift, 1);
    EXPECT_EQ(row.ctrl, 0);
    EXPECT_EQ(row.alt, 0);
    EXPECT_EQ(row.win, 0);
    EXPECT_EQ(row.joyButton, 3);
    EXPECT_EQ(row.operation, 1);
    EXPECT_EQ(KeyText(row), "[Shift][F5]");

    // The second name of 0x92 stores 0x92, which is then shown by its first name and reopens
    // on that first name.
    int dictionary = KeyIndexOfName("Fujitsu/OASYS 'Dictionary'");
    ASSERT_GE(dictionary, 0);
    choice = {false, false, true, false, dictionary, 0};
    ApplyAssignmentChoice(&choice, &row);
    EXPECT_EQ(row.vkey, 0x92);
    EXPECT_EQ(row.joyButton, 0);
    EXPECT_EQ(KeyText(row), "[Alt][NEC PC-9800 '='on numpad]");
    EXPECT_EQ(KeyListIndex(row.vkey), dictionary - 1);

    // "(なし)" with Ctrl keeps the flag: the list shows the bare name, the title the tag.
    choice = {false, true, false, false, 0, 1};
    ApplyAssignmentChoice(&choice, &row);
    EXPECT_EQ(row.vkey, 0);
    EXPECT_EQ(row.ctrl, 1);
    EXPECT_EQ(KeyText(row), "(なし)");
    EXPECT_EQ(Title(row), "PLAY/PAUSE  (変更前 : [Ctrl][(なし)]  /  Button 1)");

    // Nonzero flags of an edited file come back as 1.
    KeyData odd = Row(0x41, 7, -3, 0, 0x200, 2, 4);
    choice = Untouched(odd);
    ApplyAssignmentChoice(&choice, &odd);
    EXPECT_EQ(odd.shift, 1);
    EXPECT_EQ(odd.ctrl, 1);
    EXPECT_EQ(odd.alt, 0);
    EXPECT_EQ(odd.win, 1);
}

TEST(AssignmentOk, ListWithoutSelectionKeepsItsOldValue) {
    // Codes outside the tables open with nothing selected; OK then keeps them.
    KeyData row = Row(0x6C, 0, 1, 0, 0, 9, 5);
    row.reserved[0] = 1;
    KeyData before = row;
    AssignmentChoice choice = Untouched(row);
    EXPECT_EQ(choice.keyIndex, -1);
    EXPECT_EQ(choice.buttonIndex, -1);
    ApplyAssignmentChoice(&choice, &row);
    EXPECT_EQ(memcmp(&row, &before, sizeof row), 0);

    // The flags are still taken from the boxes, and a list that has a selection still counts.
    choice.shift = true;
    choice.buttonIndex = 2;
    ApplyAssignmentChoice(&choice, &row);
    EXPECT_EQ(row.vkey, 0x6C);
    EXPECT_EQ(row.shift, 1);
    EXPECT_EQ(row.joyButton, 2);

    // Indexes past either end never read outside the tables.
    for (int bad : {KeyNameTableCount, KeyNameTableCount + 1, -2, 1 << 30}) {
        choice = {false, false, false, false, bad, bad};
        ApplyAssignmentChoice(&choice, &row);
        EXPECT_EQ(row.vkey, 0x6C) << bad;
        EXPECT_EQ(row.joyButton, 2) << bad;
    }
    // The last rows of both tables are still reachable.
    choice = {false, false, false, false, KeyNameTableCount - 1, JoyButtonTableCount - 1};
    ApplyAssignmentChoice(&choice, &row);
    EXPECT_EQ(row.vkey, 0xE2);
    EXPECT_EQ(row.joyButton, 4);
}

}  // namespace
