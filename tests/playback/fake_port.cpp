// The recording fake of the library and the window. The library model keeps the rules the
// program relies on: seeks only while playing or paused and within the file, pitch 50..300.
#include "fake_port.h"

#include <algorithm>

static FakeWorld *World(void *context) { return static_cast<FakeWorld *>(context); }

static void Record(void *context, const std::string &call) {
    World(context)->calls.push_back(call);
}

static int32_t GetState(void *context, int32_t *position) {
    Record(context, "getState");
    *position = World(context)->position;
    return World(context)->state;
}

static int32_t Play(void *context) {
    Record(context, "play");
    World(context)->state = 1;
    return 1;
}

static int32_t Pause(void *context) {
    Record(context, "pause");
    if (World(context)->state == 1) {
        World(context)->state = 2;
    }
    return 1;
}

static int32_t Restart(void *context) {
    Record(context, "restart");
    if (World(context)->state == 2) {
        World(context)->state = 1;
    }
    return 1;
}

static int32_t Stop(void *context) {
    Record(context, "stop");
    World(context)->state = 0;
    World(context)->position = 0;
    return 1;
}

static int32_t Seek(void *context, int32_t seconds) {
    Record(context, "seek " + std::to_string(seconds));
    FakeWorld *world = World(context);
    if (world->refuseSeek || world->state == 0 || seconds < 0 || seconds > world->length) {
        return 0;
    }
    world->position = seconds;
    return 1;
}

static int32_t SetPitch(void *context, int32_t pitch) {
    Record(context, "setPitch " + std::to_string(pitch));
    if (pitch < 50 || pitch > 300) {
        return 0;
    }
    World(context)->pitch = pitch;
    return 1;
}

static int32_t GetPitch(void *context) {
    Record(context, "getPitch");
    return World(context)->pitch;
}

static int32_t Open(void *context, const FileSpec *file, Vbmp3FileInfo *info) {
    Record(context, std::string("open ") + file->path);
    FakeWorld *world = World(context);
    if (world->openResult != 0) {
        *info = Vbmp3FileInfo{};
        info->length = world->length;
        world->state = 0;
        world->position = 0;
    }
    return world->openResult;
}

static void SetLoop(void *context, int32_t from, int32_t to) {
    Record(context, "loop " + std::to_string(from) + " " + std::to_string(to));
}

static int32_t Close(void *context) {
    Record(context, "close");
    World(context)->state = 0;
    World(context)->position = 0;
    return 1;
}

static void StartTimer(void *context, int32_t id, int32_t periodMs) {
    Record(context, "timer " + std::to_string(id) + " " + std::to_string(periodMs));
    std::vector<int32_t> &timers = World(context)->runningTimers;
    if (std::find(timers.begin(), timers.end(), id) == timers.end()) {
        timers.push_back(id);
    }
}

static void StopTimer(void *context, int32_t id) {
    Record(context, "kill " + std::to_string(id));
    std::vector<int32_t> &timers = World(context)->runningTimers;
    timers.erase(std::remove(timers.begin(), timers.end(), id), timers.end());
}

static void PostPitch(void *context, int32_t pitch) {
    Record(context, "post " + std::to_string(pitch));
}

static void DrawStatus(void *context, const PlayState *playState) {
    Record(context,
           "draw " + std::to_string(playState->state) + " " + std::to_string(playState->position));
}

static void InvalidateStatus(void *context) { Record(context, "invalidate"); }

static void SetThumb(void *context, int32_t position) {
    Record(context, "thumb " + std::to_string(position));
    World(context)->thumb = position;
}

static int32_t GetThumb(void *context) { return World(context)->thumb; }

static void SetSeekBar(void *context, int32_t position, int32_t length) {
    Record(context, "bar " + std::to_string(position) + " " + std::to_string(length));
    World(context)->thumb = position;
}

static void SetTitle(void *context, const FileSpec *file) {
    Record(context, std::string("title ") + (file != nullptr ? file->name : "-"));
}

static void ShowError(void *context, const char *text) {
    Record(context, std::string("error ") + text);
}

static void ShowOpenError(void *context) {
    Record(context, "openError");
    std::function<void()> during;
    during.swap(World(context)->duringOpenError);
    if (during) {
        during();
    }
}

static void HistoryChanged(void *context) { Record(context, "menu"); }

void BindFakePort(PlaybackPort *port, FakeWorld *world) {
    port->context = world;
    port->getState = GetState;
    port->play = Play;
    port->pause = Pause;
    port->restart = Restart;
    port->stop = Stop;
    port->seek = Seek;
    port->setPitch = SetPitch;
    port->getPitch = GetPitch;
    port->open = Open;
    port->close = Close;
    port->setLoop = SetLoop;
    port->startTimer = StartTimer;
    port->stopTimer = StopTimer;
    port->postPitch = PostPitch;
    port->drawStatus = DrawStatus;
    port->invalidateStatus = InvalidateStatus;
    port->setThumb = SetThumb;
    port->getThumb = GetThumb;
    port->setSeekBar = SetSeekBar;
    port->setTitle = SetTitle;
    port->showError = ShowError;
    port->showOpenError = ShowOpenError;
    port->historyChanged = HistoryChanged;
}

std::string Calls(const FakeWorld &world) {
    std::string joined;
    for (const std::string &call : world.calls) {
        if (!joined.empty()) {
            joined += ", ";
        }
        joined += call;
    }
    return joined;
}
