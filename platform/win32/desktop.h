// The Windows desktop: DesktopServices over Win32. Windows and controls are created
// from their units, events are raised from the message loop, and the rules the
// in-memory desktop keeps (deferred destruction, the timer write rule, clamps, stored
// unit copies, nested event processing) hold the same way here.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_services.h"
#include "platform/menu_items.h"
#include "platform/picture.h"
#include "platform/shape.h"
#include "units/unit.h"

namespace win32 {

// A picture as a window or control shows it: decoded once when it is set, then kept
// as a bitmap scaled to its box and composited over the background colour. Painting
// only blits; the bitmap is rebuilt when the box size or the background changes.
// Sides beyond which a picture is not decoded: well above a 1920 x 1080 wallpaper, and
// for the icon well above its 42 x 42 frames and 200 x 200 base picture.
inline constexpr int kWallpaperSizeLimit = 8192;
inline constexpr int kIconSizeLimit = 1024;

class ShownPicture {
public:
    ShownPicture() = default;
    ShownPicture(const ShownPicture& o)
        : bytes_(o.bytes_), decoded_(o.decoded_), decodeTried_(o.decodeTried_), limit_(o.limit_) {}
    ShownPicture& operator=(const ShownPicture& o);
    ShownPicture(ShownPicture&& o) noexcept;
    ShownPicture& operator=(ShownPicture&& o) noexcept;
    ~ShownPicture() { dropBitmap(); }

    // Pictures anyone can replace (theme frames, wallpapers) may claim any size; one
    // larger than this on either side is treated as unreadable, before any pixel
    // memory is taken.
    void setSizeLimit(int side) { limit_ = side; }
    void set(const Bytes& bytes);   // decodes at once
    void keep(const Bytes& bytes);  // decodes when first needed (a unit's picture)
    std::shared_ptr<const Picture> decoded();  // nullptr for no or unreadable bytes
    const Bytes& bytes() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }
    // A memory DC holding the bitmap for a w x h box over `back`, ready to copy from;
    // nullptr when there is no readable picture. The DC lives as long as the bitmap:
    // creating one and selecting the bitmap into it on every paint costs several
    // system calls (under Wine a dozen server round trips) for a 42 x 42 copy.
    HDC sourceFor(int w, int h, COLORREF back);
    void dropBitmap();

private:
    Bytes bytes_;
    std::shared_ptr<const Picture> decoded_;  // shared by the stored copy and its loads
    bool decodeTried_ = false;
    int limit_ = kWallpaperSizeLimit;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ dcOriginal_ = nullptr;  // the DC's own bitmap, put back before deleting it
    int width_ = 0, height_ = 0;
    COLORREF over_ = 0;
};

struct LiveControl {
    const ControlUnit* unit = nullptr;
    std::string name;
    ControlKind kind = ControlKind::Timer;
    int left = 0, top = 0, width = 0, height = 0;  // kept for controls without a window
    bool visible = true;
    Text text;  // label captions (edit boxes keep theirs in the control)
    Colour textColour = 0, backColour = kDefaultColour;
    ShownPicture picture;
    int period = 0;
    HWND hwnd = nullptr;        // none for transparent labels: their window draws them
    HBRUSH backBrush = nullptr; // edit boxes
    WNDPROC editProc = nullptr; // the edit class's own procedure under our filter
};

using LiveMenuItem = MenuItemState;

struct LiveWindow {
    WindowId id{};
    int left = 0, top = 0, width = 0, height = 0;  // stored values; a live window asks its HWND
    bool visible = true;
    Colour backColour = kDefaultColour;
    ShownPicture backPicture;
    bool alwaysOnTop = false;
    bool unitDisabled = false;
    int modalDisabled = 0;
    bool modal = false;
    bool pendingDestruction = false;
    bool dying = false;  // inside DestroyWindow: no handler may run for it any more
    HWND hwnd = nullptr;
    std::uint32_t generation = 0;
    std::vector<LiveControl> controls;
    std::vector<LiveMenuItem> menu;
    std::vector<Run> shapeRuns;  // the shape set last, so an unchanged one is not sent again
    // Fonts of this window's labels and edit boxes, made at first use and deleted with
    // the window: a panel or lock that comes and goes leaves no font objects behind.
    std::map<std::string, HFONT> fonts;
    bool hasShape = false;

    LiveControl* control(std::string_view name);
    LiveMenuItem* item(std::string_view id);
};

class Desktop : public DesktopServices {
public:
    Desktop();
    ~Desktop() override;
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // --- DesktopServices ---
    void initialise() override;
    void registerExitRoutine(std::function<void()> routine) override;
    int runMessageLoop() override;
    void endProgram(int code) override;
    void reportFatal(const Text& message) override;
    bool loadWindow(WindowId w, const WindowId* parent = nullptr, bool modal = false) override;
    void destroyWindow(WindowId w) override;
    bool isLoaded(WindowId w) const override;
    Value getProperty(const UiTarget& t, int index) override;
    void setProperty(const UiTarget& t, int index, const Value& v) override;
    void redrawWindow(const UiTarget& t) override;
    void popupMenu(WindowId owner, const Text& rootItem) override;
    void processPendingEvents() override;
    WindowHandle windowHandle(const UiTarget& t) override;
    bool setWindowOpacity(WindowHandle h, int opacity = 255) override;
    bool setWindowShape(WindowId w, const Bytes& picture, Colour key = 0xFFFFFF) override;
    int screenWidth() override;
    int screenHeight() override;
    int pointerX() override;
    int pointerY() override;
    void pressKeys(int key1, int key2) override;
    void hideTaskbar() override;
    void showTaskbar() override;
    DateTime currentTime() override;
    std::uint32_t tickCount() override;
    Text runDirectory() override;
    Bytes readFile(const Text& path) override;
    int messageBox(const Text& message, int buttons, const Text* title = nullptr) override;
    bool inputBox(const Text& prompt, const Text& title, const Text& initial, bool password,
                  WindowId owner, Text& entered) override;
    bool runCommandLine(const Text& commandLine, bool wait) override;
    void shellOpen(const Text& file) override;
    void openUrl(const Text& address) override;
    bool shutDownSystem(int mode, bool force) override;
    bool playSound(const Bytes& data, bool loop) override;
    void playMp3(const Text& file) override;
    void pauseMp3() override;
    void resumeMp3() override;
    void stopAllSounds() override;
    SystemCalls& systemCalls() override;

    // --- hooks for tests of the desktop itself ---
    using TestHandler = std::function<bool(Desktop&, const EventArgs&)>;
    void overrideHandler(WindowId w, EventKind e, std::string source, TestHandler h) {
        overrides_.push_back({w, e, std::move(source), std::move(h)});
    }
    // The program ends when its last window goes; a test keeps its thread's queue clean.
    bool quitWhenLastWindowGoes = true;
    std::vector<std::string> misuses;  // operations the logic must never make
    const LiveWindow* window(WindowId w) const;
    HWND hwndOf(WindowId w) const;
    // One message as the loop handles it (events raised, then dispatched).
    void handleMessage(MSG& msg);

    // --- for the window procedures ---
    LRESULT windowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT controlMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT editMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT ownerMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static Desktop* current() { return current_; }

private:
    std::optional<int> pendingPointerY_;  // y of the pointer read by pointerX
    DWORD pendingPointerTick_ = 0;
    struct Where {
        WindowId window{};
        int control = -1;  // index into the window's controls; -1 for the window itself
    };
    struct Override {
        WindowId w;
        EventKind e;
        std::string source;
        TestHandler h;
    };

    // desktop.cpp
    bool raise(WindowId w, EventKind e, std::string_view source, const EventArgs& args = {});
    void misuse(std::string what);
    void releaseResources();
    // window.cpp
    LiveWindow* live(WindowId w);
    LiveWindow& stored(WindowId w) { return stored_[static_cast<int>(w)]; }
    std::optional<Where> find(HWND hwnd) const;
    bool createWindow(WindowId w, const WindowId* parent, bool modal);
    void carryOutDestruction(WindowId w);
    void requestClose(WindowId w);
    void setTopmost(LiveWindow& lw, bool on);
    void setEnabledState(LiveWindow& lw);
    // controls.cpp
    void createControls(LiveWindow& lw);
    void releaseControls(LiveWindow& lw);
    Value getControl(LiveWindow& w, LiveControl& c, int index, bool loaded);
    void setControl(LiveWindow& w, LiveControl& c, int index, const Value& v, bool loaded);
    RECT controlRect(const LiveWindow& w, const LiveControl& c) const;
    HFONT fontFor(LiveWindow& lw, const Font& f);
    void setTimerPeriod(LiveControl& c, int period);
    // paint.cpp
    void paintWindow(LiveWindow& lw);
    void paintBackground(LiveWindow& lw, HDC to, const RECT& area, const RECT& client);
    std::uint32_t renderedKey(Colour key);
    void paintControl(LiveWindow& lw, LiveControl& c);
    // events.cpp
    bool beforeDispatch(MSG& msg);
    void afterDispatch(const MSG& msg);
    // menu.cpp
    void menuChosen(LiveWindow& lw, int position);
    // taskbar.cpp
    void createOwnerWindow();

    static Desktop* current_;
    LiveWindow stored_[4];
    std::optional<LiveWindow> live_[4];
    std::uint32_t generations_ = 0;
    std::map<HWND, Where> handles_;
    HWND owner_ = nullptr;  // hidden tool window owning windows without a taskbar button
    HICON appIcon_ = nullptr;
    std::vector<std::function<void()>> exitRoutines_;
    std::vector<Override> overrides_;
    std::unique_ptr<SystemCalls> calls_;
    Text runDirectory_;
    bool released_ = false;
    std::map<Colour, std::uint32_t> renderedKeys_;  // key colour -> as the display shows it
};

// Colours: the default colour resolves to the face colour at the time of painting.
COLORREF resolveColour(Colour c);

inline constexpr wchar_t kWindowClass[] = L"DeskWidgetWindow";
inline constexpr wchar_t kControlClass[] = L"DeskWidgetControl";
inline constexpr wchar_t kTimerClass[] = L"DeskWidgetTimer";
inline constexpr UINT kDestroyRequest = WM_APP + 1;  // wParam: the window's generation
inline constexpr UINT_PTR kTimerId = 1000;
inline constexpr int kFirstMenuCommand = 20000;

}  // namespace win32
