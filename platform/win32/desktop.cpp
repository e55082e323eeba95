// The Windows desktop's core: window classes, the stored unit copies, raising events
// to handlers, the message loop, the program's ending, and the outward services
// (files, dialogs, programs, sound) handed to the Win32 helpers that carry them out.
#include "platform/win32/desktop.h"

#include <ctime>

#include "app/app_state.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/sound.h"
#include "platform/win32/system.h"
#include "platform/win32/taskbar.h"
#include "platform/win32/wide.h"

namespace win32 {

Desktop* Desktop::current_ = nullptr;

namespace {

LRESULT CALLBACK windowProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    Desktop* d = Desktop::current();
    return d ? d->windowMessage(h, m, wp, lp) : DefWindowProcW(h, m, wp, lp);
}

LRESULT CALLBACK controlProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    Desktop* d = Desktop::current();
    return d ? d->controlMessage(h, m, wp, lp) : DefWindowProcW(h, m, wp, lp);
}

void registerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // Double clicks are told apart from presses, so the second press of a double
    // click on a drag-anywhere window starts no move.
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = windowProc;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = controlProc;
    wc.lpszClassName = kControlClass;
    RegisterClassExW(&wc);
    wc.style = 0;
    wc.lpszClassName = kTimerClass;
    RegisterClassExW(&wc);
}

}  // namespace

ShownPicture& ShownPicture::operator=(const ShownPicture& o) {
    if (this != &o) {
        dropBitmap();
        bytes_ = o.bytes_;
        decoded_ = o.decoded_;
        decodeTried_ = o.decodeTried_;
        limit_ = o.limit_;
    }
    return *this;
}

ShownPicture::ShownPicture(ShownPicture&& o) noexcept
    : bytes_(std::move(o.bytes_)), decoded_(std::move(o.decoded_)), decodeTried_(o.decodeTried_),
      limit_(o.limit_), bitmap_(o.bitmap_), dc_(o.dc_), dcOriginal_(o.dcOriginal_), width_(o.width_),
      height_(o.height_), over_(o.over_) {
    o.bitmap_ = nullptr;
    o.dc_ = nullptr;
}

ShownPicture& ShownPicture::operator=(ShownPicture&& o) noexcept {
    if (this != &o) {
        dropBitmap();
        bytes_ = std::move(o.bytes_);
        decoded_ = std::move(o.decoded_);
        decodeTried_ = o.decodeTried_;
        limit_ = o.limit_;
        bitmap_ = o.bitmap_, dc_ = o.dc_, dcOriginal_ = o.dcOriginal_;
        width_ = o.width_, height_ = o.height_, over_ = o.over_;
        o.bitmap_ = nullptr;
        o.dc_ = nullptr;
    }
    return *this;
}

LiveControl* LiveWindow::control(std::string_view name) {
    for (auto& c : controls)
        if (c.name == name) return &c;
    return nullptr;
}

LiveMenuItem* LiveWindow::item(std::string_view id) { return findMenuItem(menu, id); }

COLORREF resolveColour(Colour c) {
    return c == kDefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(c & 0xFFFFFF);
}

Desktop::Desktop() {
    current_ = this;
    registerClasses();
    for (WindowId w : kAllWindows) {
        const WindowUnit& u = unitFor(w);
        LiveWindow& s = stored(w);
        s.id = w;
        s.left = u.left, s.top = u.top, s.width = u.width, s.height = u.height;
        s.visible = u.visible;
        s.backColour = u.backColour;
        if (u.backPicture) s.backPicture.keep(resource(u.backPicture));
        s.alwaysOnTop = u.alwaysOnTop;
        s.unitDisabled = u.disabled;
        for (const ControlUnit& c : u.controls) {
            LiveControl lc;
            lc.unit = &c;
            lc.name = c.name;
            lc.kind = c.kind;
            lc.left = c.left, lc.top = c.top, lc.width = c.width, lc.height = c.height;
            lc.visible = c.visible;
            lc.text = c.text;
            lc.textColour = c.textColour;
            lc.backColour = c.backColour;
            if (c.picture) lc.picture.keep(resource(c.picture));
            lc.period = c.period;
            s.controls.push_back(std::move(lc));
        }
        s.menu = menuItemsFrom(u);
    }
    createOwnerWindow();
}

Desktop::~Desktop() {
    for (WindowId w : kAllWindows)
        if (LiveWindow* lw = live(w)) {
            lw->dying = true;
            releaseControls(*lw);
            handles_.erase(lw->hwnd);
            DestroyWindow(lw->hwnd);
            live_[static_cast<int>(w)].reset();
        }
    releaseResources();
    if (owner_) DestroyWindow(owner_);
    if (current_ == this) current_ = nullptr;
}

void Desktop::initialise() {
    installTaskbarGuards();
    // A taskbar left hidden by an earlier run that ended abnormally comes back.
    showTaskbarIfHidden();
    runDirectory_ = runDirectoryGbk();
    SetCurrentDirectoryW(widen(runDirectory_).c_str());
}

void Desktop::registerExitRoutine(std::function<void()> routine) {
    exitRoutines_.push_back(std::move(routine));
}

void Desktop::handleMessage(MSG& msg) {
    if (beforeDispatch(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    afterDispatch(msg);
}

int Desktop::runMessageLoop() {
    MSG msg;
    int code = 0;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        handleMessage(msg);
    }
    // The last window is gone: the same clean-up as the program's own ending.
    for (auto& r : exitRoutines_) r();
    exitRoutines_.clear();
    releaseResources();
    return code;
}

void Desktop::processPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the loop that owns the program's ending.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        handleMessage(msg);
    }
}

void Desktop::endProgram(int code) {
    // No window handler may run from here on: windows are not closed one by one.
    for (int i = 0; i < 4; ++i)
        if (live_[i]) live_[i]->dying = true;
    auto routines = std::move(exitRoutines_);
    exitRoutines_.clear();
    for (auto& r : routines) r();
    releaseResources();
    ExitProcess(static_cast<UINT>(code));
}

void Desktop::releaseResources() {
    if (released_) return;
    released_ = true;
    sound::shutdown();
    showTaskbarIfWeHidIt();
    for (int i = 0; i < 4; ++i) {
        if (live_[i]) releaseControls(*live_[i]);
    }
    if (appIcon_) DestroyIcon(appIcon_);
    appIcon_ = nullptr;
}

void Desktop::reportFatal(const Text& message) {
    OutputDebugStringW(widen(message).c_str());
    MessageBoxW(nullptr, widen(message).c_str(), L"desk widget", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void Desktop::misuse(std::string what) {
    OutputDebugStringW(widen("desk widget misuse: " + what).c_str());
    misuses.push_back(std::move(what));
}

bool Desktop::raise(WindowId w, EventKind e, std::string_view source, const EventArgs& args) {
    LiveWindow* lw = live(w);
    if (!lw || lw->dying) return true;
    for (auto o = overrides_.rbegin(); o != overrides_.rend(); ++o)  // the latest wins
        if (o->w == w && o->e == e && o->source == source) return o->h(*this, args);
    Handler h = findHandler(unitFor(w), e, source);
    if (!h || !state()) return true;
    return h(*this, *state(), args);
}

// --- screen, pointer, time, files -------------------------------------------

int Desktop::screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int Desktop::screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// NOTE: handlers read x and then y, 25 times a second; one GetCursorPos (under Wine
// an X server round trip) serves the pair.
int Desktop::pointerX() {
    POINT p{};
    GetCursorPos(&p);
    pendingPointerY_ = p.y;
    pendingPointerTick_ = GetTickCount();
    return p.x;
}

int Desktop::pointerY() {
    if (pendingPointerY_ && GetTickCount() == pendingPointerTick_) {
        int y = *pendingPointerY_;
        pendingPointerY_.reset();
        return y;
    }
    POINT p{};
    GetCursorPos(&p);
    return p.y;
}

DateTime Desktop::currentTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (std::tm* t = std::localtime(&now)) local = *t;
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour, local.tm_min, local.tm_sec};
}

std::uint32_t Desktop::tickCount() { return GetTickCount(); }

Text Desktop::runDirectory() {
    if (runDirectory_.empty()) runDirectory_ = runDirectoryGbk();
    return runDirectory_;
}

Bytes Desktop::readFile(const Text& path) { return readFileGbk(path); }

// --- dialogs, programs, sound ------------------------------------------------

int Desktop::messageBox(const Text& message, int buttons, const Text* title) {
    // NOTE: the widget asks for message boxes without an owner, but while the lock
    // screen is up it raises itself above everything every 80 ms and would bury an
    // unowned box (the wrong-password one), leaving the user facing a disabled lock
    // with no visible way on. An owned window always stays above its owner.
    LiveWindow* lock = live(WindowId::LockWindow);
    HWND owner = lock && IsWindowVisible(lock->hwnd) ? lock->hwnd : nullptr;
    return messageBoxGbk(message, buttons, title, owner);
}

bool Desktop::inputBox(const Text& prompt, const Text& title, const Text& initial, bool password,
                       WindowId owner, Text& entered) {
    LiveWindow* lw = live(owner);
    return inputBoxGbk(lw ? lw->hwnd : nullptr, prompt, title, initial, password, entered);
}

bool Desktop::runCommandLine(const Text& commandLine, bool wait) {
    return runCommandLineGbk(commandLine, wait);
}

void Desktop::shellOpen(const Text& file) { shellOpenGbk(file); }
void Desktop::openUrl(const Text& address) { openUrlGbk(address); }
bool Desktop::shutDownSystem(int mode, bool force) { return shutDownSystemWin(mode, force); }
void Desktop::pressKeys(int key1, int key2) { pressKeysWin(key1, key2); }

void Desktop::hideTaskbar() {
    noteTaskbarHiddenByUs(true);
    hideTaskbarWin();
}

void Desktop::showTaskbar() {
    showTaskbarWin();
    noteTaskbarHiddenByUs(false);
}

bool Desktop::playSound(const Bytes& data, bool loop) { return sound::playWav(data, loop); }
void Desktop::playMp3(const Text& file) { sound::playMp3(file); }
void Desktop::pauseMp3() { sound::pauseMp3(); }
void Desktop::resumeMp3() { sound::resumeMp3(); }
void Desktop::stopAllSounds() { sound::stopAll(); }

SystemCalls& Desktop::systemCalls() {
    if (!calls_) calls_ = std::make_unique<SystemCalls>(makeSystemCalls());
    return *calls_;
}

}  // namespace win32
