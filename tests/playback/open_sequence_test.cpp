// Opening files against the recording fake: what reaches the library, the window and the history
// for a new file, a listed one, the open one again, a failed open and resumePosition off.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_port.h"
#include "playback/open_sequence.h"
#include "settings/history.h"

namespace {

struct Open : ::testing::Test {
    FakeWorld world;
    PlaybackPort port;
    RepeatTimers repeats{};
    PlayState playState{};
    OptionData options;
    bool fileOpen = false;

    void SetUp() override {
        ResetHistory();
        BindFakePort(&port, &world);
        SetDefaultOptionData(&options);
    }

    void OpenPath(const char *path) {
        FileSpec file;
        memset(&file, 0, sizeof file);
        strcpy(file.path, path);
        SetFileSpecNameWith(&file, Cp932LeadBytes());
        OpenFileSequence(&port, &repeats, &fileOpen, &playState, &file, &options);
    }

    // Plays on to `position`, as the refresh timer would have seen it.
    void PlayTo(int32_t position) {
        world.state = 1;
        world.position = position;
        playState.state = 1;
        playState.position = position;
    }
};

TEST_F(Open, ANewFileIsShownListedAndPausedAtTheStart) {
    world.length = 321;
    OpenPath("C:\\rec\\talk.wav");
    EXPECT_TRUE(fileOpen);
    EXPECT_EQ(
        "open C:\\rec\\talk.wav, getState, bar 0 321, title talk.wav, invalidate, menu, "
        "getState, play, pause, seek 0, getState, thumb 0",
        Calls(world));
    EXPECT_EQ(2, playState.state);
    EXPECT_EQ(0, playState.position);
    EXPECT_EQ(321, playState.fileInfo.length);
    EXPECT_EQ(1, playHistoryCount);
    EXPECT_STREQ("talk.wav", HistoryEntryAt(0)->name);
}

TEST_F(Open, TheNextOpenStoresThePositionReachedAndClosesFirst) {
    OpenPath("C:\\one.wav");
    PlayTo(42);
    world.calls.clear();
    OpenPath("C:\\two.wav");
    EXPECT_EQ(0u, Calls(world).find("close, open C:\\two.wav"));
    EXPECT_EQ(2, playHistoryCount);
    EXPECT_STREQ("C:\\one.wav", HistoryEntryAt(1)->path);
    EXPECT_EQ(42, HistoryEntryAt(1)->position);
    EXPECT_EQ(0, HistoryEntryAt(0)->position);
}

TEST_F(Open, AListedFileReopensPausedAtItsRememberedPosition) {
    const char *paths[] = {"C:\\a.wav", "C:\\b.wav", "C:\\c.wav", "C:\\d.wav"};
    const int32_t reached[] = {61, 62, 63, 64};
    for (int i = 0; i < 4; ++i) {
        OpenPath(paths[i]);
        PlayTo(reached[i]);
    }
    world.calls.clear();
    OpenPath("C:\\a.wav");  // entry 3
    EXPECT_EQ(2, playState.state);
    EXPECT_EQ(61, playState.position);
    EXPECT_EQ(61, playState.seekPosition);
    EXPECT_EQ(2, world.state);
    EXPECT_NE(std::string::npos, Calls(world).find("seek 61, getState, thumb 61"));
    EXPECT_STREQ("C:\\a.wav", HistoryEntryAt(0)->path);
    EXPECT_STREQ("C:\\d.wav", HistoryEntryAt(1)->path);
    EXPECT_EQ(64, HistoryEntryAt(1)->position);
    EXPECT_EQ(4, playHistoryCount);
}

TEST_F(Open, OpeningTheOpenFileAgainContinuesWhereItWas) {
    OpenPath("C:\\same.wav");
    PlayTo(88);
    OpenPath("C:\\same.wav");
    EXPECT_EQ(1, playHistoryCount);
    EXPECT_EQ(88, HistoryEntryAt(0)->position);
    EXPECT_EQ(2, playState.state);
    EXPECT_EQ(88, playState.position);
}

TEST_F(Open, AFailedOpenLeavesNoFileAnEmptyDisplayAndTheHistoryAsItWas) {
    OpenPath("C:\\good.wav");
    PlayTo(30);
    playState.seekPosition = 12;
    world.openResult = 0;
    world.calls.clear();
    OpenPath("C:\\missing.wav");
    EXPECT_FALSE(fileOpen);
    EXPECT_EQ("close, open C:\\missing.wav, title -, bar 0 0, invalidate, openError", Calls(world));
    PlayState zero{};
    EXPECT_EQ(0, memcmp(&zero, &playState, sizeof playState));
    // The closed file kept the position it had reached, and nothing else was listed.
    EXPECT_EQ(1, playHistoryCount);
    EXPECT_STREQ("C:\\good.wav", HistoryEntryAt(0)->path);
    EXPECT_EQ(30, HistoryEntryAt(0)->position);

    // With no file open, a further failure closes nothing.
    world.calls.clear();
    OpenPath("C:\\missing.wav");
    EXPECT_EQ(0u, Calls(world).find("open C:\\missing.wav"));
    EXPECT_EQ(30, HistoryEntryAt(0)->position);
}

// A second start handled inside the open-error box opens its file there; answering the box must
// not wipe that file's state, title or seek bar.
TEST_F(Open, AFileOpenedWhileTheErrorBoxIsUpStaysOpen) {
    world.openResult = 0;
    world.duringOpenError = [this] {
        world.openResult = 1;
        world.length = 77;
        OpenPath("C:\\second start.wav");
    };
    OpenPath("C:\\missing.wav");
    EXPECT_TRUE(fileOpen);
    EXPECT_EQ(77, playState.fileInfo.length);
    EXPECT_EQ(2, playState.state);
    std::string calls = Calls(world);
    EXPECT_EQ(0u, calls.find("open C:\\missing.wav, title -, bar 0 0, invalidate, openError, "
                             "open C:\\second start.wav, getState, bar 0 77, title second "
                             "start.wav"))
        << calls;
    // Nothing of the failed open follows the successful one.
    EXPECT_EQ(std::string::npos, calls.find("title -", calls.find("second start.wav")));
    EXPECT_EQ(std::string::npos, calls.find("bar 0 0", calls.find("second start.wav")));
    EXPECT_STREQ("second start.wav", HistoryEntryAt(0)->name);
}

// A step held while the file changes (a drop, a second start) ends with that file: neither the
// next file nor a failed open inherits the repeat.
TEST_F(Open, EveryOpenStopsTheRepeatsThatRun) {
    const struct {
        const char *name;
        int32_t openResult;
    } outcomes[] = {{"OPEN_SUCCEEDS", 1}, {"OPEN_FAILS", 0}};
    for (const auto &outcome : outcomes) {
        SCOPED_TRACE(outcome.name);
        world = FakeWorld{};
        OpenPath("C:\\held.wav");
        PlayTo(20);
        RunOperation(&port, &repeats, fileOpen, OP_FF, &playState, &options);
        RunOperation(&port, &repeats, fileOpen, OP_PITCH_DOWN, &playState, &options);
        ASSERT_EQ((std::vector<int32_t>{3, 5}), world.runningTimers);
        world.openResult = outcome.openResult;
        world.calls.clear();
        OpenPath("C:\\next.wav");
        EXPECT_EQ(0u, Calls(world).find("kill 3, kill 5, close, open C:\\next.wav"));
        EXPECT_EQ(std::vector<int32_t>{}, world.runningTimers);
        for (bool running : repeats.running) EXPECT_FALSE(running);
    }
}

TEST_F(Open, WithoutResumePositionTheFileStaysAsOpened) {
    OpenPath("C:\\a.wav");
    PlayTo(50);
    options.resumePosition = 0;
    OpenPath("C:\\b.wav");
    OpenPath("C:\\a.wav");
    EXPECT_EQ(0, playState.state);
    EXPECT_EQ(0, playState.position);
    EXPECT_EQ(std::string::npos, Calls(world).find("seek 50"));
    EXPECT_EQ(50, HistoryEntryAt(0)->position);

    // Only exactly 1 turns it on.
    options.resumePosition = 2;
    OpenPath("C:\\b.wav");
    EXPECT_EQ(0, playState.state);
}

}  // namespace
