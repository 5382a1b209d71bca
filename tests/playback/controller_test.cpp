// The playback controller against the recording fake: every cell of the operation table in the
// three states, the REW/FF/pitch steps and their repeat timers, the refresh tick, the seek bar
// and the pitch box.
#include <string.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "fake_port.h"
#include "playback/controller.h"
#include "res/resource.h"

namespace {

struct Controller : ::testing::Test {
    FakeWorld world;
    PlaybackPort port;
    RepeatTimers repeats{};
    PlayState playState{};
    OptionData options;

    void SetUp() override {
        BindFakePort(&port, &world);
        SetDefaultOptionData(&options);
        playState.fileInfo.length = world.length;
    }

    void Library(int32_t state, int32_t position) {
        world.state = state;
        world.position = position;
    }

    int32_t Run(int32_t operation) {
        return RunOperation(&port, &repeats, 1, operation, &playState, &options);
    }

    // Runs and forgets the calls, for the steps that only set up a case.
    void Prepare(int32_t operation) {
        Run(operation);
        world.calls.clear();
    }
};

struct Cell {
    int32_t state;
    int32_t operation;
    int32_t result;
    const char *calls;   // between the two getState calls (or after the one, for -1)
    int32_t stateAfter;  // the library's and PlayState's state afterwards
    int32_t positionAfter;
};

// The library starts at position 10 of 100 s; seekPosition is 7; revSeconds 1, rewSeconds 4,
// ffSeconds 4, pitchStep 1, library pitch 100.
const Cell CELLS[] = {
    {0, 1, 1, "play, timer 1 200", 1, 10},
    {1, 1, 1, "pause, kill 1", 2, 10},
    {2, 1, 1, "seek 9, restart, timer 1 200", 1, 9},
    {0, 2, 1, "play, timer 1 200", 1, 10},
    {1, 2, -1, "", 1, 10},
    {2, 2, 1, "seek 9, restart, timer 1 200", 1, 9},
    {0, 3, -1, "", 0, 10},
    {1, 3, 1, "pause, kill 1", 2, 10},
    {2, 3, -1, "", 2, 10},
    {0, 4, -1, "", 0, 10},
    {1, 4, 1, "stop, kill 1", 0, 0},
    {2, 4, 1, "stop, kill 1", 0, 0},
    {0, 5, -1, "", 0, 10},
    {1, 5, 1, "seek 6, timer 2 180", 1, 6},
    {2, 5, 1, "seek 6, timer 2 180", 2, 6},
    {0, 6, 1, "", 0, 10},
    {1, 6, 1, "", 1, 10},
    {2, 6, 1, "", 2, 10},
    {0, 7, -1, "", 0, 10},
    {1, 7, 1, "seek 14, timer 3 180", 1, 14},
    {2, 7, 1, "seek 14, timer 3 180", 2, 14},
    {0, 8, 1, "", 0, 10},
    {1, 8, 1, "", 1, 10},
    {2, 8, 1, "", 2, 10},
    {0, 9, 1, "getPitch, setPitch 101, post 101, timer 4 180", 0, 10},
    {1, 9, 1, "getPitch, setPitch 101, post 101, timer 4 180", 1, 10},
    {2, 9, 1, "getPitch, setPitch 101, post 101, timer 4 180", 2, 10},
    {0, 10, 1, "", 0, 10},
    {1, 10, 1, "", 1, 10},
    {2, 10, 1, "", 2, 10},
    {0, 11, 1, "getPitch, setPitch 99, post 99, timer 5 180", 0, 10},
    {1, 11, 1, "getPitch, setPitch 99, post 99, timer 5 180", 1, 10},
    {2, 11, 1, "getPitch, setPitch 99, post 99, timer 5 180", 2, 10},
    {0, 12, 1, "", 0, 10},
    {1, 12, 1, "", 1, 10},
    {2, 12, 1, "", 2, 10},
    {0, 13, 1, "play, pause, seek 7", 2, 7},
    {1, 13, 1, "pause, seek 7", 2, 7},
    {2, 13, 1, "seek 7", 2, 7},
    {0, 14, -1, "", 0, 10},
    {1, 14, -1, "", 1, 10},
    {2, 14, -1, "", 2, 10},
    // The time stamp is typed by the main window; playback is never touched by it.
    {VBMP3_STOPPED, OP_TIMESTAMP, 1, "", VBMP3_STOPPED, 10},
    {VBMP3_PLAYING, OP_TIMESTAMP, 1, "", VBMP3_PLAYING, 10},
    {VBMP3_PAUSED, OP_TIMESTAMP, 1, "", VBMP3_PAUSED, 10},
    // Numbers outside the table only read the state back.
    {1, 0, 1, "", 1, 10},
    {2, OP_LAST + 1, 1, "", 2, 10},
    {0, -3, 1, "", 0, 10},
};

TEST_F(Controller, EveryCellOfTheOperationTable) {
    for (const Cell &cell : CELLS) {
        SCOPED_TRACE("state " + std::to_string(cell.state) + " operation " +
                     std::to_string(cell.operation));
        FakeWorld fresh;
        world = fresh;
        repeats = RepeatTimers{};
        options.pitch = 100;
        Library(cell.state, 10);
        playState = PlayState{};
        playState.state = 5;  // a value the library never reports, to see whether it was written
        playState.position = 55;
        playState.seekPosition = 7;
        playState.fileInfo.length = 100;
        PlayState before = playState;

        EXPECT_EQ(cell.result, Run(cell.operation));

        std::string expected = "getState";
        if (cell.calls[0] != '\0') {
            expected += std::string(", ") + cell.calls;
        }
        if (cell.result == 1) {
            expected += ", getState";
        }
        EXPECT_EQ(expected, Calls(world));
        EXPECT_EQ(cell.stateAfter, world.state);
        if (cell.result == -1) {
            EXPECT_EQ(0, memcmp(&before, &playState, sizeof playState));
        } else {
            EXPECT_EQ(cell.stateAfter, playState.state);
            EXPECT_EQ(cell.positionAfter, playState.position);
        }
    }
}

// The loop A-B in a file of 100 s with revSeconds 3, rewSeconds and ffSeconds 4.
TEST_F(Controller, LoopBoundaries) {
    struct {
        const char *name;
        int32_t loop, from, to;  // before
        int32_t state, position;
        int32_t operation;
        const char *calls;  // between the two getState calls
        int32_t loopAfter, fromAfter, toAfter;
    } const rows[] = {
        {"first press marks A", LOOP_OFF, 0, 0, VBMP3_PLAYING, 10, OP_LOOP, "", LOOP_MARKED, 10, 0},
        {"second press: B ends the second heard", LOOP_MARKED, 10, 0, VBMP3_PLAYING, 13, OP_LOOP,
         "loop 10 14", LOOP_ON, 10, 14},
        {"B in A's own second", LOOP_MARKED, 10, 0, VBMP3_PAUSED, 10, OP_LOOP, "loop 10 11",
         LOOP_ON, 10, 11},
        {"B at the file's end", LOOP_MARKED, 98, 0, VBMP3_PLAYING, 100, OP_LOOP, "loop 98 100",
         LOOP_ON, 98, 100},
        {"third press ends it", LOOP_ON, 10, 14, VBMP3_PLAYING, 12, OP_LOOP, "loop 0 0", LOOP_OFF,
         0, 0},
        {"speed changes keep it", LOOP_ON, 10, 14, VBMP3_PLAYING, 12, OP_PITCH_UP,
         "getPitch, setPitch 101, post 101, timer 4 180", LOOP_ON, 10, 14},
        {"resume inside: back REV, not before A", LOOP_ON, 10, 14, VBMP3_PAUSED, 11, OP_PLAY_PAUSE,
         "seek 10, restart, timer 1 200", LOOP_ON, 10, 14},
        {"resume inside: back REV", LOOP_ON, 10, 20, VBMP3_PAUSED, 15, OP_PLAY_PAUSE,
         "seek 12, restart, timer 1 200", LOOP_ON, 10, 20},
        {"REW inside keeps it", LOOP_ON, 10, 20, VBMP3_PLAYING, 18, OP_REW, "seek 14, timer 2 180",
         LOOP_ON, 10, 20},
        {"REW before A ends it", LOOP_ON, 10, 20, VBMP3_PLAYING, 12, OP_REW,
         "loop 0 0, seek 8, timer 2 180", LOOP_OFF, 0, 0},
        {"FF past B ends it", LOOP_ON, 10, 14, VBMP3_PLAYING, 12, OP_FF,
         "loop 0 0, seek 16, timer 3 180", LOOP_OFF, 0, 0},
        {"REW before a marked A forgets A", LOOP_MARKED, 10, 0, VBMP3_PAUSED, 11, OP_REW,
         "seek 7, timer 2 180", LOOP_OFF, 0, 0},
        {"STOP ends it", LOOP_ON, 10, 14, VBMP3_PLAYING, 12, OP_STOP, "stop, kill 1, loop 0 0",
         LOOP_OFF, 0, 0},
    };
    options.revSeconds = 3;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        world = FakeWorld{};
        repeats = RepeatTimers{};
        Library(row.state, row.position);
        playState.loop = row.loop;
        playState.loopFrom = row.from;
        playState.loopTo = row.to;
        EXPECT_EQ(Run(row.operation), 1);
        EXPECT_EQ(Calls(world),
                  std::string("getState") + (row.calls[0] ? ", " : "") + row.calls + ", getState");
        EXPECT_EQ(playState.loop, row.loopAfter);
        EXPECT_EQ(playState.loopFrom, row.fromAfter);
        EXPECT_EQ(playState.loopTo, row.toAfter);
    }
    Library(VBMP3_STOPPED, 0);
    EXPECT_EQ(Run(OP_LOOP), -1) << "a stopped file has no heard position to mark";
}

// JUMP and GOTO keep the play state; a target outside the loop ends it.
TEST_F(Controller, JumpToKeepsThePlayState) {
    struct {
        const char *name;
        bool fileOpen;
        int32_t state, loop;
        int64_t target;
        JumpResult result;
        const char *calls;
        int32_t stateAfter, loopAfter;
    } const rows[] = {
        {"playing", true, VBMP3_PLAYING, LOOP_OFF, 30, JUMP_DONE, "getState, seek 30, getState",
         VBMP3_PLAYING, LOOP_OFF},
        {"paused", true, VBMP3_PAUSED, LOOP_OFF, 30, JUMP_DONE, "getState, seek 30, getState",
         VBMP3_PAUSED, LOOP_OFF},
        {"stopped waits paused there", true, VBMP3_STOPPED, LOOP_OFF, 30, JUMP_DONE,
         "getState, play, pause, seek 30, getState", VBMP3_PAUSED, LOOP_OFF},
        {"the very end", true, VBMP3_PAUSED, LOOP_OFF, 100, JUMP_DONE,
         "getState, seek 100, getState", VBMP3_PAUSED, LOOP_OFF},
        {"past the end", true, VBMP3_PLAYING, LOOP_OFF, 101, JUMP_PAST_END, "", VBMP3_PLAYING,
         LOOP_OFF},
        {"huge", true, VBMP3_PLAYING, LOOP_OFF, INT64_MAX / 1000, JUMP_PAST_END, "", VBMP3_PLAYING,
         LOOP_OFF},
        {"before the start", true, VBMP3_PLAYING, LOOP_OFF, -1, JUMP_BEFORE_START, "",
         VBMP3_PLAYING, LOOP_OFF},
        {"no file", false, VBMP3_PLAYING, LOOP_OFF, 5, JUMP_NO_FILE, "", VBMP3_PLAYING, LOOP_OFF},
        {"inside the loop", true, VBMP3_PLAYING, LOOP_ON, 12, JUMP_DONE,
         "getState, seek 12, getState", VBMP3_PLAYING, LOOP_ON},
        {"outside the loop", true, VBMP3_PLAYING, LOOP_ON, 50, JUMP_DONE,
         "getState, loop 0 0, seek 50, getState", VBMP3_PLAYING, LOOP_OFF},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        world = FakeWorld{};
        Library(row.state, 3);
        playState.loop = row.loop;
        playState.loopFrom = 10;
        playState.loopTo = 14;
        EXPECT_EQ(JumpTo(&port, row.fileOpen, row.target, &playState), row.result);
        EXPECT_EQ(Calls(world), row.calls);
        EXPECT_EQ(world.state, row.stateAfter);
        EXPECT_EQ(playState.loop, row.loopAfter);
    }
}

TEST_F(Controller, NoOpenFileDoesNothingAtAll) {
    Library(1, 10);
    playState.position = 3;
    PlayState before = playState;
    for (int32_t operation = OP_PLAY_PAUSE; operation <= OP_INVALID; ++operation) {
        EXPECT_EQ(0, RunOperation(&port, &repeats, 0, operation, &playState, &options));
    }
    EXPECT_EQ("", Calls(world));
    EXPECT_EQ(0, memcmp(&before, &playState, sizeof playState));
}

// A held step and the release that ends it.
struct HeldStep {
    const char *name;
    int32_t press;
    int32_t release;
    const char *releaseCalls;  // with no file open any more
};

const HeldStep HELD_STEPS[] = {
    {"OP_REW", OP_REW, OP_REW_END, "kill 2"},
    {"OP_FF", OP_FF, OP_FF_END, "kill 3"},
    {"OP_PITCH_UP", OP_PITCH_UP, OP_PITCH_UP_END, "kill 4"},
    {"OP_PITCH_DOWN", OP_PITCH_DOWN, OP_PITCH_DOWN_END, "kill 5"},
};

// The file went while the key was held (a failed open from a second start or a drop): the
// release must still end the repeat, or the next file steps on by itself.
TEST_F(Controller, AReleaseWithNoFileOpenStillStopsItsRepeat) {
    for (const HeldStep &step : HELD_STEPS) {
        SCOPED_TRACE(step.name);
        world = FakeWorld{};
        repeats = RepeatTimers{};
        Library(1, 50);
        Prepare(step.press);
        ASSERT_EQ(1u, world.runningTimers.size());
        EXPECT_EQ(0, RunOperation(&port, &repeats, 0, step.release, &playState, &options));
        EXPECT_EQ(step.releaseCalls, Calls(world));
        EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
        // A second release has nothing left to stop.
        world.calls.clear();
        EXPECT_EQ(0, RunOperation(&port, &repeats, 0, step.release, &playState, &options));
        EXPECT_EQ("", Calls(world));
    }
}

TEST_F(Controller, RewNearTheStartSeeksToZeroAndKeepsDoingSoWhileHeld) {
    Library(1, 2);
    Run(OP_REW);
    EXPECT_EQ("getState, seek 0, timer 2 180, getState", Calls(world));
    EXPECT_EQ(0, playState.seekPosition);
    world.calls.clear();
    Run(OP_REW);  // the repeat tick: the timer runs already and is not started again
    EXPECT_EQ("getState, seek 0, getState", Calls(world));
    Run(OP_REW_END);
    EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
}

TEST_F(Controller, FfNearTheEndStopsAtTheLength) {
    Library(2, 98);
    Run(OP_FF);
    EXPECT_EQ("getState, seek 100, timer 3 180, getState", Calls(world));
    EXPECT_EQ(100, playState.seekPosition);
    EXPECT_EQ(100, playState.position);
    world.calls.clear();
    Run(OP_FF);
    EXPECT_EQ("getState, seek 100, getState", Calls(world));
}

TEST_F(Controller, RewWhileFfRepeatsStopsTheFfRepeat) {
    Library(1, 50);
    Prepare(OP_FF);
    Run(OP_REW);
    EXPECT_EQ("getState, kill 3, seek 50, timer 2 180, getState", Calls(world));
    EXPECT_EQ(std::vector<int32_t>{2}, world.runningTimers);
    world.calls.clear();
    Run(OP_FF);
    EXPECT_EQ("getState, kill 2, seek 54, timer 3 180, getState", Calls(world));
    EXPECT_EQ(std::vector<int32_t>{3}, world.runningTimers);
}

TEST_F(Controller, EndOperationsStopOnlyTheirOwnRepeat) {
    Library(1, 50);
    world.pitch = 150;
    Prepare(OP_REW);
    Prepare(OP_PITCH_UP);
    Prepare(OP_PITCH_DOWN);
    EXPECT_EQ(3u, world.runningTimers.size());
    Run(OP_FF_END);  // FF does not run: nothing to kill
    Run(OP_PITCH_UP_END);
    EXPECT_EQ("getState, getState, getState, kill 4, getState", Calls(world));
    world.calls.clear();
    Run(OP_PITCH_UP_END);  // already stopped: no second kill
    EXPECT_EQ("getState, getState", Calls(world));
    EXPECT_EQ((std::vector<int32_t>{2, 5}), world.runningTimers);
}

TEST_F(Controller, HeldPitchUpHaltsOnNormalPitchWithStepOne) {
    world.pitch = 98;
    Run(OP_PITCH_UP);
    Run(OP_PITCH_UP);  // the tick that lands on 100
    EXPECT_EQ(100, world.pitch);
    EXPECT_EQ(100, options.pitch);
    EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
    EXPECT_EQ(
        "getState, getPitch, setPitch 99, post 99, timer 4 180, getState, "
        "getState, getPitch, setPitch 100, post 100, kill 4, getState",
        Calls(world));
    world.calls.clear();
    Run(OP_PITCH_UP_END);
    Run(OP_PITCH_UP);  // a new press goes on past 100
    EXPECT_EQ(101, world.pitch);
    EXPECT_EQ(std::vector<int32_t>{4}, world.runningTimers);
}

TEST_F(Controller, PitchStepThatJumpsOverNormalDoesNotHalt) {
    world.pitch = 99;
    options.pitchStep = 2;
    Run(OP_PITCH_UP);
    Run(OP_PITCH_UP);
    Run(OP_PITCH_UP);
    EXPECT_EQ(105, world.pitch);
    EXPECT_EQ(105, options.pitch);
    EXPECT_EQ(std::vector<int32_t>{4}, world.runningTimers);
    EXPECT_EQ(std::string::npos, Calls(world).find("kill"));
}

TEST_F(Controller, PitchDownHaltsOnNormalFromAbove) {
    world.pitch = 101;
    Run(OP_PITCH_DOWN);
    EXPECT_EQ(100, world.pitch);
    EXPECT_EQ("getState, getPitch, setPitch 100, post 100, getState", Calls(world));
    EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
}

TEST_F(Controller, PitchStaysWithinItsLimitsAndTheRepeatKeepsRunning) {
    world.pitch = 300;
    Run(OP_PITCH_UP);
    Run(OP_PITCH_UP);
    EXPECT_EQ(
        "getState, getPitch, setPitch 300, post 300, timer 4 180, getState, "
        "getState, getPitch, setPitch 300, post 300, getState",
        Calls(world));
    EXPECT_EQ(300, options.pitch);
    EXPECT_EQ(std::vector<int32_t>{4}, world.runningTimers);

    world.calls.clear();
    world.pitch = 52;
    options.pitchStep = 5;
    Run(OP_PITCH_DOWN);
    EXPECT_EQ("getState, getPitch, setPitch 50, post 50, timer 5 180, getState", Calls(world));
    EXPECT_EQ(50, options.pitch);
}

TEST_F(Controller, SeekFromEveryStateEndsPausedAtTheTarget) {
    for (int32_t state = 0; state <= 2; ++state) {
        SCOPED_TRACE(state);
        Library(state, 30);
        playState.seekPosition = 12;
        EXPECT_EQ(1, Run(OP_SEEK));
        EXPECT_EQ(2, playState.state);
        EXPECT_EQ(12, playState.position);
        EXPECT_EQ(2, world.state);
    }
    // SEEK never touches the refresh timer.
    EXPECT_EQ(std::string::npos, Calls(world).find("timer"));
    EXPECT_EQ(std::string::npos, Calls(world).find("kill"));
}

TEST_F(Controller, ResumeGoesBackRevSecondsButNotBeforeTheStart) {
    options.revSeconds = 9;
    Library(2, 1);
    Run(OP_PLAY_PAUSE);
    EXPECT_EQ("getState, seek 0, restart, timer 1 200, getState", Calls(world));
    EXPECT_EQ(1, playState.state);
    EXPECT_EQ(0, playState.position);

    world.calls.clear();
    options.revSeconds = 0;
    Library(2, 40);
    Run(OP_PLAY);
    EXPECT_EQ("getState, seek 40, restart, timer 1 200, getState", Calls(world));
}

TEST_F(Controller, StepsReadTheOptionsAfreshOnEveryCall) {
    Library(1, 50);
    options.rewSeconds = 9;
    Run(OP_REW);
    options.rewSeconds = 2;
    Run(OP_REW);
    EXPECT_EQ(39, playState.position);
    options.ffSeconds = 0;
    Run(OP_FF);
    EXPECT_EQ(39, playState.seekPosition);
}

TEST_F(Controller, RefreshTickEndsItsTimerOnlyOnceTheFileStopped) {
    Library(1, 33);
    RefreshTick(&port, &playState);
    EXPECT_EQ("getState, draw 1 33, thumb 33", Calls(world));
    world.calls.clear();
    Library(2, 34);
    RefreshTick(&port, &playState);
    EXPECT_EQ("getState, draw 2 34, thumb 34", Calls(world));
    world.calls.clear();
    Library(0, 0);
    RefreshTick(&port, &playState);
    EXPECT_EQ("getState, kill 1, draw 0 0, thumb 0", Calls(world));
    EXPECT_EQ(0, playState.state);
}

TEST_F(Controller, SeekBarWithoutAFileOrOnAStoppedFileReturnsTheThumbToZero) {
    world.thumb = 40;
    SeekBarScrolled(&port, 0, SEEK_BAR_RELEASE, &playState);
    EXPECT_EQ("thumb 0", Calls(world));
    world.calls.clear();
    world.thumb = 40;
    Library(0, 0);
    SeekBarScrolled(&port, 1, SEEK_BAR_RELEASE, &playState);
    EXPECT_EQ("getState, thumb 0", Calls(world));
}

TEST_F(Controller, DraggingThePausedThumbMovesTheStatusOnlyAndReleaseSeeks) {
    Library(2, 10);
    world.thumb = 60;
    SeekBarScrolled(&port, 1, SEEK_BAR_DRAG, &playState);
    EXPECT_EQ("getState, kill 1, draw 2 60", Calls(world));
    EXPECT_EQ(60, playState.position);
    EXPECT_EQ(10, world.position);

    world.calls.clear();
    world.thumb = 70;
    SeekBarScrolled(&port, 1, SEEK_BAR_RELEASE, &playState);
    EXPECT_EQ("getState, seek 70, getState, invalidate, timer 1 200", Calls(world));
    EXPECT_EQ(70, playState.position);
    EXPECT_EQ(2, playState.state);

    world.calls.clear();
    SeekBarScrolled(&port, 1, SEEK_BAR_OTHER, &playState);
    EXPECT_EQ("getState", Calls(world));
}

TEST_F(Controller, RefusedSeekFromTheBarShowsTheErrorAndLeavesTheTimerStopped) {
    Library(1, 10);
    world.refuseSeek = true;
    world.thumb = 20;
    SeekBarScrolled(&port, 1, SEEK_BAR_RELEASE, &playState);
    EXPECT_EQ("getState, seek 20, error vbmp3_seek error", Calls(world));
    EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
}

TEST_F(Controller, PitchBoxStoresWhatTheLibraryHolds) {
    world.pitch = 120;
    PitchBoxChanged(&port, 130, &options);
    EXPECT_EQ(130, options.pitch);
    EXPECT_EQ("setPitch 130, getPitch", Calls(world));

    world.calls.clear();
    PitchBoxChanged(&port, 301, &options);
    EXPECT_EQ(130, options.pitch);
    // The store comes before the error box.
    EXPECT_EQ("setPitch 301, getPitch, error vbmp3_setPitch error", Calls(world));
}

TEST_F(Controller, StoredPitchGoesToTheLibraryOrTakesItsValue) {
    options.pitch = 80;
    SendStoredPitch(&port, &options);
    EXPECT_EQ(80, world.pitch);
    EXPECT_EQ(80, options.pitch);

    world.pitch = 100;
    options.pitch = 20;
    SendStoredPitch(&port, &options);
    EXPECT_EQ(100, options.pitch);
}

TEST(ControllerTables, RepeatTimersSendTheirOperationAgain) {
    EXPECT_EQ(OP_REW, RepeatOperationOfTimer(TIMER_REW_REPEAT));
    EXPECT_EQ(OP_FF, RepeatOperationOfTimer(TIMER_FF_REPEAT));
    EXPECT_EQ(OP_PITCH_UP, RepeatOperationOfTimer(TIMER_PITCH_UP_REPEAT));
    EXPECT_EQ(OP_PITCH_DOWN, RepeatOperationOfTimer(TIMER_PITCH_DOWN_REPEAT));
    EXPECT_EQ(0, RepeatOperationOfTimer(TIMER_REFRESH));
    EXPECT_EQ(0, RepeatOperationOfTimer(6));
}

TEST(ControllerTables, PlayMenuRows) {
    struct Expected {
        int32_t id, first, second;
        bool refresh;
    } rows[] = {
        {IDM_PLAY_PAUSE, OP_PLAY_PAUSE, 0, true},
        {IDM_STOP, OP_STOP, 0, true},
        {IDM_REW, OP_REW, OP_REW_END, true},
        {IDM_FF, OP_FF, OP_FF_END, true},
        {IDM_PITCH_UP, OP_PITCH_UP, OP_PITCH_UP_END, false},
        {IDM_PITCH_DOWN, OP_PITCH_DOWN, OP_PITCH_DOWN_END, false},
    };
    for (const Expected &row : rows) {
        const PlayMenuRow *found = FindPlayMenuRow(row.id);
        ASSERT_NE(nullptr, found) << row.id;
        EXPECT_EQ(row.first, found->first) << row.id;
        EXPECT_EQ(row.second, found->second) << row.id;
        EXPECT_EQ(row.refresh, found->refresh) << row.id;
    }
    EXPECT_EQ(nullptr, FindPlayMenuRow(IDM_FF + 1));
    EXPECT_EQ(nullptr, FindPlayMenuRow(IDM_PITCH_UP - 1));
    EXPECT_EQ(nullptr, FindPlayMenuRow(IDM_OPEN));
}

TEST_F(Controller, MenuStepsLeaveNoRepeatRunning) {
    Library(1, 50);
    for (int32_t id : {IDM_REW, IDM_FF, IDM_PITCH_UP, IDM_PITCH_DOWN}) {
        const PlayMenuRow *row = FindPlayMenuRow(id);
        Run(row->first);
        Run(row->second);
    }
    EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
    for (bool flag : repeats.running) {
        EXPECT_FALSE(flag);
    }
}

// Long random runs of operations, repeat ticks, playback running to its end and changed
// options: after every step the repeat flags match the timers that really run, every seek stays
// within the file, the pitch within its limits, and PlayState follows the library exactly when
// the result is 1 and not at all otherwise.
TEST_F(Controller, RandomRunsKeepFlagsTimersAndStateConsistent) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    for (int step = 0; step < 20000; ++step) {
        switch (next(8)) {
        case 0:
            world.state = 0;  // played to the end, or stopped elsewhere
            world.position = 0;
            break;
        case 1:
            options.revSeconds = (int32_t)next(10);
            options.rewSeconds = (int32_t)next(10);
            options.ffSeconds = (int32_t)next(10);
            options.pitchStep = 1 + (int32_t)next(20);
            break;
        case 2:
            if (world.state == 1 && world.position < world.length) {
                ++world.position;  // time passes while playing
            }
            break;
        default: break;
        }
        int32_t operation = (int32_t)next(17) - 1;
        bool fileOpen = next(20) != 0;
        PlayState before = playState;
        world.calls.clear();
        int32_t result = RunOperation(&port, &repeats, fileOpen, operation, &playState, &options);
        SCOPED_TRACE("step " + std::to_string(step) + " operation " + std::to_string(operation));

        if (!fileOpen) {
            ASSERT_EQ(0, result);
            // Only a release may act, and only on its own repeat.
            ASSERT_LE(world.calls.size(), 1u);
            if (!world.calls.empty()) {
                ASSERT_EQ(0u, world.calls[0].rfind("kill ", 0)) << world.calls[0];
            }
        } else if (result == -1) {
            ASSERT_EQ(0, memcmp(&before, &playState, sizeof playState));
        } else {
            ASSERT_EQ(1, result);
            ASSERT_EQ(world.state, playState.state);
            ASSERT_EQ(world.position, playState.position);
        }
        if (result == 1 && operation == OP_SEEK) {
            ASSERT_EQ(2, playState.state);
            ASSERT_EQ(playState.seekPosition, playState.position);
        }
        for (const std::string &call : world.calls) {
            if (call.rfind("seek ", 0) == 0) {
                int32_t target = std::stoi(call.substr(5));
                ASSERT_GE(target, 0) << call;
                ASSERT_LE(target, world.length) << call;
            }
        }
        ASSERT_GE(world.pitch, VBMP3_PITCH_MIN);
        ASSERT_LE(world.pitch, VBMP3_PITCH_MAX);
        ASSERT_EQ(world.pitch, options.pitch);
        for (int32_t i = 0; i < REPEAT_TIMER_COUNT; ++i) {
            bool running = std::find(world.runningTimers.begin(), world.runningTimers.end(),
                                     TIMER_REW_REPEAT + i) != world.runningTimers.end();
            ASSERT_EQ(running, repeats.running[i]) << "timer " << TIMER_REW_REPEAT + i;
        }
        // REW and FF never repeat together.
        ASSERT_FALSE(repeats.running[0] && repeats.running[1]);
    }
}

}  // namespace
