// The hook library's matcher as plain functions: exact modifiers, rows without a key, one report
// per press and per release, release attribution, what is swallowed and the reported flags.
#include <gtest/gtest.h>

#include <string.h>

#include <random>

#include "hook/matcher.h"
#include "input/tables.h"

namespace {

enum { VK_SPACE = 0x20, VK_LEFT = 0x25, VK_RIGHT = 0x27, VK_A = 0x41, VK_F5 = 0x74 };
enum { VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_LCONTROL = 0xA2, VK_RMENU = 0xA5, VK_LWIN = 0x5B };

struct Matcher : ::testing::Test {
    KeyData rows[KEY_DATA_ROWS];
    MatcherState state;
    void SetUp() override {
        SetDefaultKeyData(rows);
        memset(&state, 0xEE, sizeof state);
        ResetMatcher(&state);
    }
    MatchResult Down(uint32_t vkey, unsigned held) {
        return MatchKeyEvent(&state, rows, KEY_DATA_ROWS, vkey, 0, held);
    }
    MatchResult Up(uint32_t vkey, unsigned held) {
        return MatchKeyEvent(&state, rows, KEY_DATA_ROWS, vkey, 1, held);
    }
};

TEST_F(Matcher, ModifiersMustBeExactlyThoseOfTheRow) {
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_SPACE, HELD_CTRL), 0);
    // Ctrl+Shift+Space is LOOP's own row, the second after TIMESTAMP.
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_SPACE, HELD_CTRL | HELD_SHIFT),
              KEY_DATA_STAMP_ROWS + 1);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_SPACE, HELD_CTRL | HELD_ALT), -1);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_SPACE, HELD_CTRL | HELD_WIN), -1);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_SPACE, 0), -1);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_RIGHT, HELD_CTRL), 3);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, 0x28, HELD_CTRL), 5);
    // Any nonzero flag in a row counts as set.
    SetKeyData(&rows[2], VK_F5, -3, 0, 2, 0x100, 0, OP_REW);
    EXPECT_EQ(RowModifiers(&rows[2]), unsigned(HELD_SHIFT | HELD_ALT | HELD_WIN));
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_F5, HELD_SHIFT | HELD_ALT | HELD_WIN), 2);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_F5, HELD_SHIFT | HELD_ALT), -1);
}

TEST_F(Matcher, RowWithoutKeyNeverMatchesAndFirstRowWins) {
    SetKeyData(&rows[0], 0, 0, 0, 0, 0, 1, OP_PLAY_PAUSE);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, 0, 0), -1);
    MatchResult r = Down(0, 0);
    EXPECT_FALSE(r.report);
    EXPECT_FALSE(r.swallow);
    // Two rows with the same combination: the lower one is reported.
    SetKeyData(&rows[1], VK_A, 0, 1, 0, 0, 0, OP_STOP);
    SetKeyData(&rows[4], VK_A, 0, 1, 0, 0, 0, OP_PITCH_UP);
    EXPECT_EQ(FindKeyRow(rows, KEY_DATA_ROWS, VK_A, HELD_CTRL), 1);
    // Only the rows counted are searched.
    EXPECT_EQ(FindKeyRow(rows, 3, 0x28, HELD_CTRL), -1);
}

TEST_F(Matcher, OnePressOneReleaseAutoRepeatSwallowed) {
    MatchResult r = Down(VK_LEFT, HELD_CTRL);
    EXPECT_TRUE(r.report);
    EXPECT_TRUE(r.swallow);
    EXPECT_FALSE(r.released);
    EXPECT_EQ(r.operation, OP_REW);
    for (int i = 0; i < 5; ++i) {
        r = Down(VK_LEFT, HELD_CTRL);
        EXPECT_FALSE(r.report) << "auto-repeat " << i;
        EXPECT_TRUE(r.swallow) << "auto-repeat " << i;
    }
    r = Up(VK_LEFT, HELD_CTRL);
    EXPECT_TRUE(r.report);
    EXPECT_TRUE(r.swallow);
    EXPECT_TRUE(r.released);
    EXPECT_EQ(r.operation, OP_REW);
    // A second release, or a release never pressed, is nobody's.
    r = Up(VK_LEFT, HELD_CTRL);
    EXPECT_FALSE(r.report);
    EXPECT_FALSE(r.swallow);
    // The next press is reported again.
    r = Down(VK_LEFT, HELD_CTRL);
    EXPECT_TRUE(r.report);
    EXPECT_EQ(r.operation, OP_REW);
}

TEST_F(Matcher, ReleaseGoesToTheReportedRowWhateverIsHeldOrBound) {
    ASSERT_TRUE(Down(VK_RIGHT, HELD_CTRL).report);
    // Ctrl let go first, even Shift pressed meanwhile.
    MatchResult r = Up(VK_RIGHT, HELD_SHIFT);
    EXPECT_TRUE(r.report);
    EXPECT_TRUE(r.swallow);
    EXPECT_TRUE(r.released);
    EXPECT_EQ(r.operation, OP_FF);

    // The rows change while the key is held: the release keeps the operation of its press.
    ASSERT_EQ(Down(VK_SPACE, HELD_CTRL).operation, OP_PLAY_PAUSE);
    SetKeyData(&rows[0], VK_F5, 0, 0, 0, 0, 0, OP_STOP);
    r = Up(VK_SPACE, HELD_CTRL);
    EXPECT_TRUE(r.report);
    EXPECT_EQ(r.operation, OP_PLAY_PAUSE);
}

TEST_F(Matcher, KeysHeldTogetherAreTrackedApart) {
    ASSERT_EQ(Down(VK_LEFT, HELD_CTRL).operation, OP_REW);
    ASSERT_EQ(Down(VK_RIGHT, HELD_CTRL).operation, OP_FF);
    MatchResult r = Up(VK_LEFT, HELD_CTRL);
    EXPECT_EQ(r.operation, OP_REW);
    EXPECT_TRUE(r.released);
    r = Up(VK_RIGHT, 0);
    EXPECT_EQ(r.operation, OP_FF);
    EXPECT_TRUE(r.released);
}

TEST_F(Matcher, UnmatchedKeysAndModifiersPassOn) {
    MatchResult r = Down(VK_SPACE, 0);
    EXPECT_FALSE(r.report);
    EXPECT_FALSE(r.swallow);
    // Ctrl pressed while Space repeats: the key stays the focused program's until released.
    r = Down(VK_SPACE, HELD_CTRL);
    EXPECT_FALSE(r.report);
    EXPECT_FALSE(r.swallow);
    r = Up(VK_SPACE, HELD_CTRL);
    EXPECT_FALSE(r.report);
    EXPECT_FALSE(r.swallow);
    EXPECT_TRUE(Down(VK_SPACE, HELD_CTRL).report);

    // A row bound to a modifier key itself never takes it over.
    SetKeyData(&rows[1], VK_CONTROL, 0, 1, 0, 0, 0, OP_STOP);
    SetKeyData(&rows[2], VK_LCONTROL, 0, 0, 0, 0, 0, OP_REW);
    for (uint32_t vkey :
         {0x10u, 0x11u, 0x12u, 0x5Bu, 0x5Cu, 0xA0u, 0xA1u, 0xA2u, 0xA3u, 0xA4u, 0xA5u}) {
        EXPECT_TRUE(IsModifierKey(vkey)) << vkey;
        for (unsigned held : {0u, unsigned(HELD_CTRL)}) {
            r = Down(vkey, held);
            EXPECT_FALSE(r.report || r.swallow) << vkey;
            r = Up(vkey, held);
            EXPECT_FALSE(r.report || r.swallow) << vkey;
        }
    }
    for (uint32_t vkey : {0x0Fu, 0x13u, 0x5Au, 0x5Du, 0x9Fu, 0xA6u}) {
        EXPECT_FALSE(IsModifierKey(vkey)) << vkey;
    }
    // Codes beyond the key range never match nor touch the state.
    SetKeyData(&rows[3], 0x141, 0, 1, 0, 0, 0, OP_FF);
    r = Down(0x141, HELD_CTRL);
    EXPECT_FALSE(r.report || r.swallow);
}

// A session lock or a desktop switch while keys are held: their releases never come.
TEST_F(Matcher, ReleaseAllReportsEachReportedKeyOnceAndForgetsEveryKey) {
    ASSERT_EQ(Down(VK_LEFT, HELD_CTRL).operation, OP_REW);
    ASSERT_EQ(Down(VK_RIGHT, HELD_CTRL).operation, OP_FF);
    ASSERT_FALSE(Down(VK_SPACE, 0).report);  // passed on to the focused program
    HeldRelease released[MATCHER_KEYS];
    ASSERT_EQ(ReleaseAllKeys(&state, released), 2);
    EXPECT_EQ(released[0].vkey, uint32_t(VK_LEFT));
    EXPECT_EQ(released[0].operation, OP_REW);
    EXPECT_EQ(released[1].vkey, uint32_t(VK_RIGHT));
    EXPECT_EQ(released[1].operation, OP_FF);
    EXPECT_EQ(ReleaseAllKeys(&state, released), 0);

    // A late release is nobody's; the next press of the key is reported, not swallowed quietly.
    MatchResult r = Up(VK_LEFT, HELD_CTRL);
    EXPECT_FALSE(r.report || r.swallow);
    r = Down(VK_RIGHT, HELD_CTRL);
    EXPECT_TRUE(r.report);
    EXPECT_EQ(r.operation, OP_FF);
    // A key that was passed on is matched afresh too.
    r = Down(VK_SPACE, HELD_CTRL);
    EXPECT_TRUE(r.report);
    EXPECT_EQ(r.operation, OP_PLAY_PAUSE);
}

// Long random sequences of presses, repeats and releases with changing modifiers and rows
// swapped in between, and now and then a session change that releases every key: every key's
// reports alternate press and release, a release carries its press's operation, and only
// reported keys are swallowed.
TEST(MatcherSequences, ReportsPairUpWhateverTheOrderOfEvents) {
    const uint32_t keys[] = {VK_SPACE,   VK_LEFT,     VK_RIGHT, VK_A,     VK_F5,
                             VK_CONTROL, VK_LCONTROL, VK_SHIFT, VK_RMENU, VK_LWIN};
    KeyData tables[2][KEY_DATA_ROWS];
    SetDefaultKeyData(tables[0]);
    SetDefaultKeyData(tables[1]);
    SetKeyData(&tables[1][0], VK_A, 0, 1, 0, 0, 1, OP_PLAY_PAUSE);
    SetKeyData(&tables[1][2], VK_LEFT, 1, 0, 0, 0, 3, OP_REW);
    SetKeyData(&tables[1][3], VK_SPACE, 0, 1, 0, 0, 4, OP_FF);
    SetKeyData(&tables[1][4], VK_F5, 0, 0, 0, 0, 0, OP_PITCH_UP);

    std::mt19937 random(20261207u);
    for (int run = 0; run < 50; ++run) {
        MatcherState state;
        ResetMatcher(&state);
        int current = 0;
        bool down[MATCHER_KEYS] = {};
        bool reportedDown[MATCHER_KEYS] = {};
        int32_t pressOperation[MATCHER_KEYS] = {};
        int reportCount = 0;
        for (int step = 0; step < 1500; ++step) {
            if (random() % 25 == 0) current ^= 1;
            if (random() % 97 == 0) {
                HeldRelease released[MATCHER_KEYS];
                int count = ReleaseAllKeys(&state, released);
                int expected = 0;
                for (uint32_t vkey = 0; vkey < MATCHER_KEYS; ++vkey) expected += reportedDown[vkey];
                EXPECT_EQ(count, expected) << "run " << run << " step " << step;
                for (int i = 0; i < count; ++i) {
                    EXPECT_TRUE(reportedDown[released[i].vkey]) << released[i].vkey;
                    EXPECT_EQ(released[i].operation, pressOperation[released[i].vkey]);
                }
                memset(down, 0, sizeof down);
                memset(reportedDown, 0, sizeof reportedDown);
                reportCount += count;
                continue;
            }
            const KeyData *rows = tables[current];
            uint32_t vkey = keys[random() % (sizeof keys / sizeof keys[0])];
            bool up = down[vkey] ? random() % 3 == 0 : random() % 4 == 0;
            // Mostly the modifiers of the rows, so that many presses match.
            const unsigned likely[] = {HELD_CTRL, HELD_CTRL, HELD_SHIFT, 0u};
            unsigned held = random() % 2 ? likely[random() % 4] : unsigned(random() % 16);
            MatchResult r = MatchKeyEvent(&state, rows, KEY_DATA_ROWS, vkey, up, held);
            SCOPED_TRACE(testing::Message() << "run " << run << " step " << step << " key " << vkey
                                            << (up ? " up" : " down") << " held " << held);
            EXPECT_EQ(r.released != 0, up);
            if (IsModifierKey(vkey)) {
                EXPECT_FALSE(r.report || r.swallow);
                down[vkey] = !up;
                continue;
            }
            if (up) {
                EXPECT_EQ(r.report != 0, reportedDown[vkey]);
                EXPECT_EQ(r.swallow != 0, reportedDown[vkey]);
                if (r.report) {
                    EXPECT_EQ(r.operation, pressOperation[vkey]);
                }
                reportedDown[vkey] = false;
                down[vkey] = false;
            } else {
                int match = -1;
                for (int i = 0; i < KEY_DATA_ROWS && match < 0; ++i) {
                    unsigned need = (rows[i].shift ? 1u : 0u) | (rows[i].ctrl ? 2u : 0u) |
                                    (rows[i].alt ? 4u : 0u) | (rows[i].win ? 8u : 0u);
                    if (uint32_t(rows[i].vkey) == vkey && need == held) match = i;
                }
                if (!down[vkey]) {
                    // A fresh press is reported exactly when a row holds that combination.
                    EXPECT_EQ(r.report != 0, match >= 0);
                    if (match >= 0) {
                        EXPECT_EQ(r.operation, rows[match].operation);
                    }
                    EXPECT_EQ(r.swallow != 0, match >= 0);
                    if (r.report) {
                        reportedDown[vkey] = true;
                        pressOperation[vkey] = r.operation;
                    }
                } else {
                    // A repeat is never reported; it goes where its press went.
                    EXPECT_FALSE(r.report);
                    EXPECT_EQ(r.swallow != 0, reportedDown[vkey]);
                }
                down[vkey] = true;
            }
            reportCount += r.report;
        }
        EXPECT_GT(reportCount, 10) << "the sequence exercised the matches";
    }
}

TEST(KeyEventFlags, KeystrokeMessageLayout) {
    EXPECT_EQ(KeyEventFlags(0x39, 0, 0, 0), 0x00390001u);
    EXPECT_EQ(KeyEventFlags(0x39, 0, 0, 1), 0xC0390001u);
    EXPECT_EQ(KeyEventFlags(0x4B, 1, 0, 0), 0x014B0001u);
    EXPECT_EQ(KeyEventFlags(0x4B, 1, 1, 1), 0xE14B0001u);
    EXPECT_EQ(KeyEventFlags(0x1FF, 0, 0, 0), 0x00FF0001u);
    // Released means negative as a signed 32-bit value, pressed never does.
    EXPECT_LT(static_cast<int32_t>(KeyEventFlags(0xFF, 1, 1, 1)), 0);
    EXPECT_GE(static_cast<int32_t>(KeyEventFlags(0xFF, 1, 1, 0)), 0);
}

}  // namespace
