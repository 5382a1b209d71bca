// The Raw Input glue over recorded platform calls: the registration, a WM_INPUT of each kind of
// device through to the operation it runs, identifying once, unplugging and locking while held.
#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <string>
#include <vector>

#include "input/pedal_win.h"
#include "input/resolve.h"
#include "input/tables.h"

namespace {

// One scripted device and the WM_INPUT that is read next. Its fake parser reads usage n from
// bit n-1 of the report's last byte.
struct FakeRawInput {
    RID_DEVICE_INFO_HID hid = {};
    bool parser = false, registers = true;
    int infoFailures = 0;  // device questions that fail before one is answered
    DWORD reportSize = 0, reportCount = 0;
    std::vector<BYTE> reports;  // what arrives, possibly less than the header claims
    WORD joyVendor = 0, joyProduct = 0;
    std::string log;  // registrations and device questions

    static FakeRawInput *Self(void *c) { return static_cast<FakeRawInput *>(c); }
    static BOOL Register(void *c, const RAWINPUTDEVICE *d, UINT count) {
        for (UINT i = 0; i < count; ++i) {
            char text[64];
            snprintf(text, sizeof text, "%02X/%02X %lX %lX;", d[i].usUsagePage, d[i].usUsage,
                     (unsigned long)d[i].dwFlags, (unsigned long)(uintptr_t)d[i].hwndTarget);
            Self(c)->log += text;
        }
        return Self(c)->registers;
    }
    static UINT InputData(void *c, HRAWINPUT input, void *data, UINT *size) {
        FakeRawInput *f = Self(c);
        size_t bytes = offsetof(RAWINPUT, data.hid.bRawData) + f->reports.size();
        if (bytes > *size) return (UINT)-1;
        RAWINPUT *raw = static_cast<RAWINPUT *>(data);
        raw->header = {RIM_TYPEHID, (DWORD)bytes, (HANDLE)input, 0};
        raw->data.hid.dwSizeHid = f->reportSize;
        raw->data.hid.dwCount = f->reportCount;
        memcpy(raw->data.hid.bRawData, f->reports.data(), f->reports.size());
        return (UINT)bytes;
    }
    static UINT DeviceInfo(void *c, HANDLE, UINT command, void *data, UINT *size) {
        FakeRawInput *f = Self(c);
        f->log += command == RIDI_DEVICEINFO ? "info;" : "preparsed;";
        if (command == RIDI_DEVICEINFO && f->infoFailures > 0) return --f->infoFailures, (UINT)-1;
        if (command == RIDI_PREPARSEDDATA) return f->parser ? (*size = 1) : (UINT)-1;
        static_cast<RID_DEVICE_INFO *>(data)->dwType = RIM_TYPEHID;
        static_cast<RID_DEVICE_INFO *>(data)->hid = f->hid;
        return sizeof(RID_DEVICE_INFO);
    }
    static LONG Caps(void *, void *, USHORT *count) { return *count = 1, HID_PARSER_SUCCESS; }
    static LONG Usages(void *, void *, char *report, ULONG size, USHORT *list, ULONG *count) {
        *count = 0;
        for (USHORT usage = 1; usage <= 8; ++usage)
            if (BYTE(report[size - 1]) & (1u << (usage - 1))) list[(*count)++] = usage;
        return HID_PARSER_SUCCESS;
    }
    static BOOL JoystickIds(void *c, unsigned, WORD *vendor, WORD *product) {
        *vendor = Self(c)->joyVendor;
        *product = Self(c)->joyProduct;
        return Self(c)->joyVendor != 0;
    }
};

// High bits set: a handle must survive whole in either build.
HRAWINPUT const DEVICE = (HRAWINPUT)(~(uintptr_t)0 - 0xFF);

struct PedalGlue : ::testing::Test {
    FakeRawInput fake;
    PedalInput *pedals = new PedalInput();
    std::vector<JoyEvent> events;
    ~PedalGlue() override { delete pedals; }
    static void Sink(void *self, const JoyEvent *event) {
        static_cast<PedalGlue *>(self)->events.push_back(*event);
    }

    void Plug(WORD vendor, WORD product, USHORT page, USHORT usage, bool parser) {
        fake.hid = {vendor, product, 1, page, usage};
        fake.parser = parser;
        PedalCalls calls = {&fake,
                            FakeRawInput::Register,
                            FakeRawInput::InputData,
                            FakeRawInput::DeviceInfo,
                            FakeRawInput::Caps,
                            FakeRawInput::Usages,
                            FakeRawInput::JoystickIds};
        PedalSink sink = {this, Sink};
        RegisterPedalsWith(pedals, &calls, &sink, (HWND)(uintptr_t)0x4242, 0);
    }
    // The operations that the events since the last call run with the default bindings and Play
    // mode off.
    std::string Operations() {
        KeyData table[KEY_DATA_ROWS];
        SetDefaultKeyData(table);
        OptionData options = {};
        std::string text;
        for (size_t i = 0; i < events.size(); ++i) {
            int row = FindPedalBinding(&events[i], table);
            int32_t op = row < 0 ? OP_INVALID
                                 : ResolveOperation(table[row].operation, (int32_t)events[i].flags,
                                                    &options);
            if (op != OP_INVALID) text += std::string(text.empty() ? "" : " ") + OperationName(op);
        }
        events.clear();
        return text;
    }
    // One WM_INPUT claiming `count` reports of `size` bytes.
    std::string Input(DWORD size, DWORD count, const std::vector<BYTE> &bytes) {
        fake.reportSize = size;
        fake.reportCount = count;
        fake.reports = bytes;
        ReadPedalInput(pedals, DEVICE);
        return Operations();
    }
    std::string Change(WPARAM change) {
        PedalDeviceChanged(pedals, change, (HANDLE)DEVICE);
        return Operations();
    }
};

TEST_F(PedalGlue, RegistersThePedalCollectionsInTheBackground) {
    fake.joyVendor = 0x0911;
    fake.joyProduct = 0x1844;
    Plug(0, 0, 0, 0, false);
    EXPECT_EQ(fake.log, "0C/03 2100 4242;0C/01 2100 4242;01/04 2100 4242;");
    EXPECT_TRUE(pedals->registered);
    EXPECT_TRUE(pedals->joystickIsPedal) << "the captured joystick is a pedal read here";
    fake.joyVendor = 0x045E;  // a game controller keeps its winmm buttons
    Plug(0, 0, 0, 0, false);
    EXPECT_FALSE(pedals->joystickIsPedal);
    fake.joyVendor = 0x0911;
    fake.registers = false;  // without Raw Input the winmm buttons must go on
    Plug(0, 0, 0, 0, false);
    EXPECT_FALSE(pedals->registered || pedals->joystickIsPedal);
}

TEST_F(PedalGlue, EachKindOfDeviceRunsItsOperations) {
    struct {
        const char *name;
        WORD vendor, product;
        USHORT page, usage;
        bool parser;
        DWORD size, count;
        std::vector<BYTE> reports;
        const char *operations;
    } const cases[] = {
        {"VEC_LEFT_PRESS_AND_RELEASE_IN_ONE_MESSAGE",
         0x05F3,
         0x00FF,
         0x0C,
         0x03,
         false,
         3,
         2,
         {0, 1, 0, 0, 0, 0},
         "REW REW_END"},
        {"VEC_RIGHT_BY_PARSER", 0x05F3, 0x00FF, 0x0C, 0x03, true, 3, 1, {0, 0, 4}, "FF"},
        {"OLYMPUS_MIDDLE", 0x07B4, 0x025F, 0x0C, 0x01, false, 4, 1, {0, 0, 0, 2}, "PLAY/PAUSE"},
        {"PHILIPS_FOURTH", 0x0911, 0x091A, 0x01, 0x04, false, 2, 1, {0, 8}, "STOP"},
        {"UNKNOWN_VENDOR_USAGE_3", 0x1234, 0x0001, 0x0C, 0x03, false, 2, 1, {0, 4}, "REW"},
        {"KEYBOARD_MEDIA_KEY", 0x046D, 0xC31C, 0x0C, 0x01, false, 2, 1, {0, 1}, ""},
        {"KEYBOARD_OF_THE_PEDAL_VENDOR", 0x05F3, 0x030C, 0x0C, 0x01, false, 2, 1, {0, 1}, ""},
        {"GAME_CONTROLLER", 0x045E, 0x028E, 0x01, 0x04, false, 2, 1, {0, 1}, ""},
        {"TRUNCATED_MESSAGE_READS_WHOLE_REPORTS",
         0x05F3,
         0x00FF,
         0x0C,
         0x03,
         false,
         3,
         3,
         {0, 1, 0, 0, 0},
         "REW"},
        {"EMPTY_REPORT_SIZE", 0x05F3, 0x00FF, 0x0C, 0x03, false, 0, 5, {0, 1, 0}, ""},
    };
    for (const auto &c : cases) {
        Plug(c.vendor, c.product, c.page, c.usage, c.parser);
        EXPECT_EQ(Input(c.size, c.count, c.reports), c.operations) << c.name;
    }
}

TEST_F(PedalGlue, DeviceIsIdentifiedOnceAndUnpluggingReleasesIt) {
    Plug(0x05F3, 0x00FF, 0x0C, 0x03, true);
    fake.log.clear();
    EXPECT_EQ(Input(3, 1, {0, 0, 5}), "REW FF");
    EXPECT_EQ(Input(3, 1, {0, 0, 5}), "") << "a repeated report";
    EXPECT_EQ(fake.log, "info;preparsed;");
    EXPECT_EQ(Change(GIDC_ARRIVAL), "");
    EXPECT_EQ(Change(GIDC_REMOVAL), "REW_END FF_END");
    EXPECT_EQ(Change(GIDC_REMOVAL), "");
    EXPECT_EQ(Input(3, 1, {0, 0, 2}), "PLAY/PAUSE") << "plugged in again";
    EXPECT_EQ(fake.log, "info;preparsed;info;preparsed;");
}

}  // namespace

TEST_F(PedalGlue, EveryReportOfAMessageIsReadAndAFailedQuestionAskedAgain) {
    Plug(0x05F3, 0x00FF, 0x0C, 0x03, false);
    fake.infoFailures = 1;
    EXPECT_EQ(Input(3, 1, {0, 4, 0}), "");
    std::vector<BYTE> taps;
    for (int i = 0; i < 20; ++i) taps.insert(taps.end(), {0, BYTE(1 - i % 2), 0});
    std::string expected = "REW REW_END";
    for (int i = 1; i < 10; ++i) expected += " REW REW_END";
    EXPECT_EQ(Input(3, 20, taps), expected) << "the release at the end too";
}

TEST_F(PedalGlue, LockOrDisconnectionLetsGo) {
    const std::pair<WPARAM, const char *> cases[] = {
        {WTS_SESSION_LOCK, "REW_END"}, {WTS_REMOTE_DISCONNECT, "REW_END"}, {WTS_SESSION_LOGON, ""}};
    for (const auto &c : cases) {
        Plug(0x05F3, 0x00FF, 0x0C, 0x03, false);
        Input(3, 1, {0, 1, 0});
        PedalSessionChanged(pedals, c.first);
        EXPECT_EQ(Operations(), c.second) << c.first;
    }
}
