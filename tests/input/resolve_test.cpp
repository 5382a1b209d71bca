// ResolveOperation over every bound operation, pressed and released, with Play mode off and on,
// including Play mode switched between a press and its release.
#include <gtest/gtest.h>

#include <string.h>

#include "input/resolve.h"
#include "input/tables.h"

namespace {

const int32_t PRESSED = 0;
const int32_t RELEASED = static_cast<int32_t>(0x80000000u);

struct Resolve : ::testing::Test {
    OptionData options;
    void SetUp() override { memset(&options, 0, sizeof options); }
};

TEST_F(Resolve, PlayPauseFollowsPlayMode) {
    options.playMode = 0;
    EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, PRESSED, &options), OP_PLAY_PAUSE);
    EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, RELEASED, &options), OP_INVALID);
    for (int32_t mode : {1, -1, 2, 0x10000}) {
        options.playMode = mode;
        EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, PRESSED, &options), OP_PLAY) << mode;
        EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, RELEASED, &options), OP_PAUSE) << mode;
    }
}

TEST_F(Resolve, PlayModeSwitchedBetweenPressAndRelease) {
    options.playMode = 0;
    EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, PRESSED, &options), OP_PLAY_PAUSE);
    options.playMode = 1;
    EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, RELEASED, &options), OP_PAUSE);
    EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, PRESSED, &options), OP_PLAY);
    options.playMode = 0;
    EXPECT_EQ(ResolveOperation(OP_PLAY_PAUSE, RELEASED, &options), OP_INVALID);
}

TEST_F(Resolve, StopTimestampAndTheRepeatingOperations) {
    for (int32_t mode : {0, 1}) {
        options.playMode = mode;
        EXPECT_EQ(ResolveOperation(OP_STOP, PRESSED, &options), OP_STOP);
        EXPECT_EQ(ResolveOperation(OP_STOP, RELEASED, &options), OP_INVALID);
        EXPECT_EQ(ResolveOperation(OP_TIMESTAMP, PRESSED, &options), OP_TIMESTAMP);
        EXPECT_EQ(ResolveOperation(OP_TIMESTAMP, RELEASED, &options), OP_INVALID);
        for (int32_t once : {OP_JUMP, OP_LOOP, OP_GOTO, OP_SNIPPET1, OP_SNIPPET8, OP_CLARITY}) {
            EXPECT_EQ(ResolveOperation(once, PRESSED, &options), once);
            EXPECT_EQ(ResolveOperation(once, RELEASED, &options), OP_INVALID);
        }
        EXPECT_EQ(ResolveOperation(OP_LAST + 1, PRESSED, &options), OP_INVALID);
        EXPECT_EQ(ResolveOperation(OP_REW, PRESSED, &options), OP_REW);
        EXPECT_EQ(ResolveOperation(OP_REW, RELEASED, &options), OP_REW_END);
        EXPECT_EQ(ResolveOperation(OP_FF, PRESSED, &options), OP_FF);
        EXPECT_EQ(ResolveOperation(OP_FF, RELEASED, &options), OP_FF_END);
        EXPECT_EQ(ResolveOperation(OP_PITCH_UP, PRESSED, &options), OP_PITCH_UP);
        EXPECT_EQ(ResolveOperation(OP_PITCH_UP, RELEASED, &options), OP_PITCH_UP_END);
        EXPECT_EQ(ResolveOperation(OP_PITCH_DOWN, PRESSED, &options), OP_PITCH_DOWN);
        EXPECT_EQ(ResolveOperation(OP_PITCH_DOWN, RELEASED, &options), OP_PITCH_DOWN_END);
    }
}

TEST_F(Resolve, OnlyBitThirtyOneMeansReleased) {
    // Keystroke flags of a press carry repeat count, scan code, extended and context bits;
    // a repeated press (bit 30) is still a press.
    for (int32_t flags : {0x00390001, 0x41390001, 0x7FFFFFFF, 0x20000000}) {
        EXPECT_EQ(ResolveOperation(OP_REW, flags, &options), OP_REW) << flags;
        EXPECT_EQ(ResolveOperation(OP_STOP, flags, &options), OP_STOP) << flags;
    }
    for (uint32_t flags : {0xC0390001u, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(ResolveOperation(OP_REW, static_cast<int32_t>(flags), &options), OP_REW_END)
            << flags;
    }
}

TEST_F(Resolve, OperationsThatCannotBeBoundDoNothing) {
    for (int32_t mode : {0, 1}) {
        options.playMode = mode;
        for (int32_t op :
             {0, 2, 3, 6, 8, 10, 12, 13, 14, OP_LAST + 1, 100, -1, -5, INT32_MIN, INT32_MAX}) {
            EXPECT_EQ(ResolveOperation(op, PRESSED, &options), OP_INVALID) << op;
            EXPECT_EQ(ResolveOperation(op, RELEASED, &options), OP_INVALID) << op;
        }
    }
}

}  // namespace
