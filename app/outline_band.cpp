// The outline band: its window (paint and mouse), its reading thread and the [View] setting. The
// thread has one start (StartReading) and one end (StopReading, which waits for it); it never
// touches the playing stream, only a reader of its own, and tells the window of its progress by a
// posted message, at most every OUTLINE_PROGRESS_MS.
#include "app/outline_band.h"

#include "audio/vbmp3.h"
#include "playback/controller.h"
#include "res/resource.h"
#include "settings/ini_file.h"

static const char OUTLINE_CLASS[] = "ParlomixOutline";
static const wchar_t VIEW_SECTION[] = L"View";
static const wchar_t OUTLINE_KEY[] = L"Outline";

enum {
    OUTLINE_CHUNK_FRAMES = 4096,  // read at a time: the reading checks for a cancel between reads
    OUTLINE_PROGRESS_MS = 50,
};

static const COLORREF BACKGROUND = RGB(255, 255, 255);
static const COLORREF LOOP_SHADE = RGB(255, 236, 170);
static const COLORREF AHEAD = RGB(110, 150, 215);  // not heard yet
static const COLORREF HEARD = RGB(35, 60, 120);
static const COLORREF POSITION = RGB(220, 30, 30);

bool LoadOutlineShown() {
    const wchar_t *path = IniPath();
    return !path || IniReadInt(path, VIEW_SECTION, OUTLINE_KEY, 1, 0, 1) != 0;
}

bool SaveOutlineShown(bool shown) {
    const wchar_t *path = IniPath();
    return path && IniWriteInt(path, VIEW_SECTION, OUTLINE_KEY, shown ? 1 : 0);
}

// ---- the reading thread --------------------------------------------------------------------

// Tells the window how many buckets are complete; a message is posted only when none is on its
// way, and at most every OUTLINE_PROGRESS_MS unless `last`.
static void Publish(OutlineBand *band, DWORD *postedAt, bool last) {
    InterlockedExchange(&band->published, LONG(band->outline.ready));
    DWORD now = GetTickCount();
    if (!last && now - *postedAt < OUTLINE_PROGRESS_MS) return;
    if (InterlockedExchange(&band->posted, 1) == 0)
        PostMessageA(band->owner, WM_OUTLINE_PROGRESS, band->job, 0);
    *postedAt = now;
}

static DWORD WINAPI ReadingMain(void *context) {
    OutlineBand *band = static_cast<OutlineBand *>(context);
    Vbmp3ReaderInfo info;
    Vbmp3Reader *reader = vbmp3_openReaderW(band->path, &info);
    if (!reader) return 0;
    Outline *o = &band->outline;
    OutlineStart(o, PlanOutline(uint64_t(info.frames), uint32_t(info.rate)), info.channels);
    static_assert(sizeof(int16_t) * OUTLINE_CHUNK_FRAMES * 2 <= 16384, "the stack holds a chunk");
    int16_t chunk[OUTLINE_CHUNK_FRAMES * 2];
    DWORD postedAt = GetTickCount() - OUTLINE_PROGRESS_MS;
    uint64_t at = 0, from = 0, frames = 0;
    while (!band->cancel && OutlineNextRead(o, at, &from, &frames)) {
        if (from != at && !vbmp3_seekReader(reader, int64_t(from))) break;
        int32_t want = frames < OUTLINE_CHUNK_FRAMES ? int32_t(frames) : OUTLINE_CHUNK_FRAMES;
        int32_t got = vbmp3_readReader(reader, chunk, want);
        at = from;
        if (got == VBMP3_READER_WAITING) continue;
        // The end, or a damaged tail: what was read stays drawn, the rest stays empty.
        if (got <= 0) break;
        OutlineAdd(o, from, chunk, size_t(got));
        at = from + uint64_t(got);
        Publish(band, &postedAt, false);
    }
    if (!band->cancel) {
        OutlineFinish(o);
        Publish(band, &postedAt, true);
    }
    vbmp3_closeReader(reader);
    return 0;
}

static void StopReading(OutlineBand *band) {
    if (band->thread) {
        InterlockedExchange(&band->cancel, 1);
        WaitForSingleObject(band->thread, INFINITE);
        CloseHandle(band->thread);
        band->thread = NULL;
    }
    // Whatever the old reading posted is now stale.
    ++band->job;
    band->published = 0;
    band->posted = 0;
    band->drawn = 0;
    if (band->window) InvalidateRect(band->window, NULL, FALSE);
}

static void StartReading(OutlineBand *band) {
    StopReading(band);
    if (!band->shown || band->path[0] == L'\0') return;
    band->cancel = 0;
    band->thread = CreateThread(NULL, 0, ReadingMain, band, CREATE_SUSPENDED, NULL);
    if (!band->thread) return;
    SetThreadPriority(band->thread, THREAD_PRIORITY_LOWEST);
    ResumeThread(band->thread);
}

// ---- the window ----------------------------------------------------------------------------

static int32_t Width(const OutlineBand *band) {
    RECT client;
    GetClientRect(band->window, &client);
    return client.right;
}

static void InvalidateColumns(OutlineBand *band, int32_t first, int32_t last) {
    if (last <= first) return;
    RECT columns;
    GetClientRect(band->window, &columns);
    columns.left = first;
    columns.right = last;
    InvalidateRect(band->window, &columns, FALSE);
}

static int32_t PositionColumn(const OutlineBand *band) {
    return band->length > 0 ? OutlineColumnOfSecond(band->position, band->length, Width(band)) : -1;
}

static void FillColumn(HDC dc, int32_t x, int32_t top, int32_t bottom, HBRUSH brush) {
    RECT r = {x, top, x + 1, bottom};
    FillRect(dc, &r, brush);
}

static void OnBandPaint(OutlineBand *band) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(band->window, &paint);
    RECT client;
    GetClientRect(band->window, &client);
    int32_t width = client.right, height = client.bottom, middle = height / 2;
    // Nothing of the record is read before the thread has published it.
    uint32_t ready =
        band->length > 0 ? uint32_t(InterlockedCompareExchange(&band->published, 0, 0)) : 0;
    int32_t heard = PositionColumn(band);
    bool looping = band->length > 0 && band->loopTo > band->loopFrom;
    int32_t loopFirst = looping ? OutlineColumnOfSecond(band->loopFrom, band->length, width) : 0;
    int32_t loopLast = looping ? OutlineColumnOfSecond(band->loopTo, band->length, width) : -1;
    HBRUSH background = CreateSolidBrush(BACKGROUND), shade = CreateSolidBrush(LOOP_SHADE),
           ahead = CreateSolidBrush(AHEAD), past = CreateSolidBrush(HEARD),
           marker = CreateSolidBrush(POSITION);
    for (int32_t x = paint.rcPaint.left; x < paint.rcPaint.right && x < width; ++x) {
        FillColumn(dc, x, 0, height, x >= loopFirst && x <= loopLast ? shade : background);
        uint16_t level = 0;
        if (x == heard) {
            FillColumn(dc, x, 0, height, marker);
        } else if (ready > 0 && OutlineColumnLevel(&band->outline, ready, x, width, &level)) {
            int32_t reach = OutlineReach(level, middle - 1);
            FillColumn(dc, x, middle - reach, middle + reach + 1, x < heard ? past : ahead);
        }
    }
    const HBRUSH brushes[] = {background, shade, ahead, past, marker};
    for (HBRUSH brush : brushes) DeleteObject(brush);
    EndPaint(band->window, &paint);
}

// The second under the mouse goes to the main window, which seeks as its seek bar would.
static void SendSeek(OutlineBand *band, int32_t x, SeekBarEvent event) {
    if (band->length <= 0) return;
    int32_t second = OutlineSecondOfColumn(x, band->length, Width(band));
    SendMessageA(band->owner, WM_OUTLINE_SEEK, (WPARAM)second, (LPARAM)event);
}

static void OnBandButtonDown(OutlineBand *band, int32_t x) {
    SetCapture(band->window);
    band->dragging = true;
    SendSeek(band, x, SEEK_BAR_DRAG);
}

static void OnBandMouseMove(OutlineBand *band, int32_t x) {
    if (band->dragging) SendSeek(band, x, SEEK_BAR_DRAG);
}

static void OnBandButtonUp(OutlineBand *band, int32_t x) {
    if (!band->dragging) return;
    band->dragging = false;
    ReleaseCapture();
    SendSeek(band, x, SEEK_BAR_RELEASE);
}

static LRESULT CALLBACK OutlineBandProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA *create = (const CREATESTRUCTA *)lParam;
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
    }
    OutlineBand *band = (OutlineBand *)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (!band || !band->window) return DefWindowProcA(window, message, wParam, lParam);
    int32_t x = (int32_t)(short)LOWORD(lParam);
    switch (message) {
    case WM_PAINT: OnBandPaint(band); return 0;
    case WM_LBUTTONDOWN: OnBandButtonDown(band, x); return 0;
    case WM_MOUSEMOVE: OnBandMouseMove(band, x); return 0;
    case WM_LBUTTONUP: OnBandButtonUp(band, x); return 0;
    case WM_CAPTURECHANGED: band->dragging = false; return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CreateOutlineBand(OutlineBand *band, HWND owner) {
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE);
    WNDCLASSEXA type = {};
    type.cbSize = sizeof type;
    // The whole band is drawn again when its size changes: every column moves.
    type.style = CS_HREDRAW | CS_VREDRAW;
    type.lpfnWndProc = OutlineBandProc;
    type.hInstance = instance;
    type.hCursor = LoadCursor(NULL, IDC_ARROW);
    type.lpszClassName = OUTLINE_CLASS;
    RegisterClassExA(&type);  // already there for a second window of the process
    band->owner = owner;
    band->window = CreateWindowExA(0, OUTLINE_CLASS, NULL, WS_CHILD, 0, 0, 0, 0, owner,
                                   (HMENU)(INT_PTR)IDC_OUTLINE, instance, band);
}

void ShowOutlineBand(OutlineBand *band, bool shown) {
    band->shown = shown;
    if (band->window) ShowWindow(band->window, shown ? SW_SHOWNA : SW_HIDE);
    StartReading(band);
}

void OutlineFileOpened(OutlineBand *band, const wchar_t *path) {
    lstrcpynW(band->path, path, FILE_SPEC_TEXT);
    StartReading(band);
}

void OutlineFileClosed(OutlineBand *band) {
    band->path[0] = L'\0';
    band->length = band->position = 0;
    band->loopFrom = band->loopTo = 0;
    StopReading(band);
}

void OnOutlineProgress(OutlineBand *band, WPARAM job) {
    if (job != band->job || !band->window) return;
    InterlockedExchange(&band->posted, 0);
    uint32_t ready = uint32_t(InterlockedCompareExchange(&band->published, 0, 0));
    int32_t first, last;
    OutlineColumnsOf(band->outline.plan.buckets, band->drawn, ready, Width(band), &first, &last);
    InvalidateColumns(band, first, last);
    band->drawn = ready;
}

void SetOutlineRange(OutlineBand *band, int32_t position, int32_t length) {
    band->length = length;
    band->position = position;
    if (band->window) InvalidateRect(band->window, NULL, FALSE);
}

void SetOutlinePosition(OutlineBand *band, int32_t position) {
    if (position == band->position || !band->window) return;
    // The columns between the old and the new place change colour.
    int32_t before = PositionColumn(band);
    band->position = position;
    int32_t after = PositionColumn(band);
    InvalidateColumns(band, before < after ? before : after, (before < after ? after : before) + 1);
}

void SetOutlineLoop(OutlineBand *band, int32_t from, int32_t to) {
    band->loopFrom = from;
    band->loopTo = to;
    if (band->window) InvalidateRect(band->window, NULL, FALSE);
}
