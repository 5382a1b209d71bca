// Joystick buttons: decoding of the four button messages, the binding row a button finds, and
// the probe and capture rules over recorded platform calls.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "input/joystick.h"
#include "input/tables.h"

namespace {

const uint32_t DOWN_MESSAGES[] = {JOY1_BUTTON_DOWN_MESSAGE, JOY2_BUTTON_DOWN_MESSAGE};
const uint32_t UP_MESSAGES[] = {JOY1_BUTTON_UP_MESSAGE, JOY2_BUTTON_UP_MESSAGE};

TEST(DecodeJoyButton, MessageNumbers) {
    EXPECT_EQ(JOY1_BUTTON_DOWN_MESSAGE, 0x3B5u);
    EXPECT_EQ(JOY2_BUTTON_DOWN_MESSAGE, 0x3B6u);
    EXPECT_EQ(JOY1_BUTTON_UP_MESSAGE, 0x3B7u);
    EXPECT_EQ(JOY2_BUTTON_UP_MESSAGE, 0x3B8u);
}

TEST(DecodeJoyButton, PressAndReleaseOfEachButtonOnBothJoysticks) {
    for (int b = 1; b <= 4; ++b) {
        // The low bits report which buttons are down now; only the change bits count.
        uintptr_t wParam = (0x100u << (b - 1)) | 0x0Fu;
        for (uint32_t message : DOWN_MESSAGES) {
            JoyEvent event = {-7, 0x1234};
            DecodeJoyButton(message, wParam, 0x7FFF7FFF, &event);
            EXPECT_EQ(event.button, b) << message;
            EXPECT_EQ(event.flags, 0u) << message;
        }
        for (uint32_t message : UP_MESSAGES) {
            JoyEvent event = {-7, 0};
            DecodeJoyButton(message, wParam, 0, &event);
            EXPECT_EQ(event.button, b) << message;
            EXPECT_EQ(event.flags, 0x80000000u) << message;
        }
    }
}

TEST(DecodeJoyButton, LowestChangedButtonWinsAndNoneGivesZero) {
    struct {
        uintptr_t wParam;
        int32_t button;
    } const cases[] = {
        {0x300, 1}, {0xF00, 1}, {0x600, 2}, {0xE00, 2},  {0xC00, 3},  {0x900, 1},  {0x800, 4},
        {0xA00, 2}, {0x000, 0}, {0x00F, 0}, {0x1000, 0}, {0xF000, 0}, {0x1800, 4},
    };
    for (const auto &c : cases) {
        JoyEvent event = {9, 9};
        DecodeJoyButton(JOY2_BUTTON_UP_MESSAGE, c.wParam, 0, &event);
        EXPECT_EQ(event.button, c.button) << std::hex << c.wParam;
        EXPECT_EQ(event.flags, 0x80000000u);
    }
}

struct JoyBinding : ::testing::Test {
    KeyData table[KEY_DATA_ROWS];
    JoyEvent event;
    void SetUp() override {
        SetDefaultKeyData(table);
        memset(&event, 0, sizeof event);
    }
};

TEST_F(JoyBinding, DefaultButtonsFindTheirRows) {
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x100, 0, &event, table), 0);
    EXPECT_EQ(table[0].operation, OP_PLAY_PAUSE);
    EXPECT_EQ(event.flags, 0u);
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_UP_MESSAGE, 0x100, 0, &event, table), 0);
    EXPECT_EQ(event.flags, 0x80000000u);
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x400, 0, &event, table), 2);
    EXPECT_EQ(table[2].operation, OP_REW);
    EXPECT_EQ(FindJoyBinding(JOY2_BUTTON_UP_MESSAGE, 0x800, 0, &event, table), 3);
    EXPECT_EQ(event.button, 4);
}

TEST_F(JoyBinding, ButtonZeroNeverMatchesARowWithoutButton) {
    // Rows 4 and 5 have no button; a message naming none of buttons 1 to 4 must not find them.
    ASSERT_EQ(table[4].joyButton, 0);
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x1000, 0, &event, table), -1);
    EXPECT_EQ(event.button, 0);
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_UP_MESSAGE, 0, 0, &event, table), -1);
    EXPECT_EQ(event.flags, 0x80000000u);
}

TEST_F(JoyBinding, UnboundButtonFindsNothingAndLowerRowWins) {
    table[3].joyButton = 0;
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x800, 0, &event, table), -1);
    EXPECT_EQ(event.button, 4);

    table[0].joyButton = 2;
    table[3].joyButton = 2;
    table[1].joyButton = 0;
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x200, 0, &event, table), 0);
    table[0].joyButton = 0;
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x200, 0, &event, table), 3);
    // The last row is searched too.
    table[5].joyButton = 1;
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x100, 0, &event, table), 5);
    // Buttons compare as 16-bit values: a stray high word never matches.
    table[5].joyButton = static_cast<int16_t>(0x0101);
    EXPECT_EQ(FindJoyBinding(JOY1_BUTTON_DOWN_MESSAGE, 0x100, 0, &event, table), -1);
}

// Records every platform call and answers from a script.
struct FakeJoystick {
    unsigned count = 0;
    unsigned position[2] = {0, 0};
    unsigned capture = 0, caps = 0, threshold = 0;
    std::string log;

    static FakeJoystick *Self(void *context) { return static_cast<FakeJoystick *>(context); }
    static unsigned Count(void *c) {
        Self(c)->log += "count;";
        return Self(c)->count;
    }
    static unsigned Position(void *c, unsigned id) {
        Self(c)->log += "pos" + std::to_string(id) + ";";
        return id < 2 ? Self(c)->position[id] : 165u;
    }
    static unsigned Capture(void *c, unsigned id) {
        Self(c)->log += "capture" + std::to_string(id) + ";";
        return Self(c)->capture;
    }
    static unsigned Caps(void *c, unsigned id) {
        Self(c)->log += "caps" + std::to_string(id) + ";";
        return Self(c)->caps;
    }
    static unsigned Threshold(void *c, unsigned id) {
        Self(c)->log += "threshold" + std::to_string(id) + ";";
        return Self(c)->threshold;
    }
    static unsigned Release(void *c, unsigned id) {
        Self(c)->log += "release" + std::to_string(id) + ";";
        return 0;
    }
    JoystickCalls Calls() {
        JoystickCalls calls = {this, Count, Position, Capture, Caps, Threshold, Release};
        return calls;
    }
};

const unsigned UNPLUGGED = JOY_UNPLUGGED_ERROR;
const unsigned BAD_PARAMETERS = 165;

TEST(ChooseJoystick, ProbeRules) {
    struct {
        unsigned count, first, second, current, expected;
        const char *log;
    } const cases[] = {
        {0, 0, 0, 0, 0, "count;"},
        {0, 0, 0, 1, 1, "count;"},
        {1, 0, 0, 1, 0, "count;pos0;"},
        {1, BAD_PARAMETERS, 0, 1, 0, "count;pos0;"},  // an error other than unplugged
        {1, UNPLUGGED, 0, 0, 0, "count;pos0;"},
        {2, UNPLUGGED, 0, 0, 1, "count;pos0;pos1;"},
        {2, UNPLUGGED, BAD_PARAMETERS, 0, 1, "count;pos0;pos1;"},
        {2, 0, 0, 1, 0, "count;pos0;pos1;"},
        {2, UNPLUGGED, UNPLUGGED, 0, 0, "count;pos0;pos1;"},
        {2, UNPLUGGED, UNPLUGGED, 1, 1, "count;pos0;pos1;"},
        // Any count but two: the second joystick is never asked about.
        {16, UNPLUGGED, 0, 0, 0, "count;pos0;"},
        {3, UNPLUGGED, 0, 0, 0, "count;pos0;"},
        {16, BAD_PARAMETERS, BAD_PARAMETERS, 0, 0, "count;pos0;"},
    };
    for (const auto &c : cases) {
        FakeJoystick fake;
        fake.count = c.count;
        fake.position[0] = c.first;
        fake.position[1] = c.second;
        JoystickCalls calls = fake.Calls();
        EXPECT_EQ(ChooseJoystick(&calls, c.current), c.expected)
            << c.count << " " << c.first << " " << c.second;
        EXPECT_EQ(fake.log, c.log) << c.count << " " << c.first << " " << c.second;
    }
}

TEST(SetUpJoystickCapture, FailingStepsReleaseOnlyAfterACapture) {
    struct {
        unsigned capture, caps, threshold;
        int expected;
        const char *log;
    } const cases[] = {
        {0, 0, 0, 1, "capture1;caps1;threshold1;"},
        {165, 0, 0, 0, "capture1;"},
        {0, 165, 0, 0, "capture1;caps1;release1;"},
        {0, 0, 165, 0, "capture1;caps1;threshold1;release1;"},
    };
    for (const auto &c : cases) {
        FakeJoystick fake;
        fake.capture = c.capture;
        fake.caps = c.caps;
        fake.threshold = c.threshold;
        JoystickCalls calls = fake.Calls();
        EXPECT_EQ(SetUpJoystickCapture(&calls, 1), c.expected);
        EXPECT_EQ(fake.log, c.log);
    }
}

}  // namespace
