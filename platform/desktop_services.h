// The one interface between the widget's logic and a desktop. Handlers reach
// windows, controls, menus, the clock, files, sound, the shell and the system only
// through DesktopServices and the small SystemCalls table; no Win32 type crosses
// this boundary except an opaque window handle.
//
// Conventions, written once:
// - Text and Bytes are byte strings; texts are GBK (code page 936). Every returned
//   text is a fresh value owned by the caller.
// - Colour is 0x00BBGGRR; kDefaultColour (0xFF000000) paints as the system face colour.
// - Geometry is whole pixels: a window's left/top/width/height is its outer rectangle
//   in screen coordinates, a control's is relative to its window's client area.
// - Property indexes 0..7 exist on every window and control and may be written while
//   the window is not loaded (the write changes what its next load uses); higher
//   indexes are kind-specific and only touch loaded windows.
// - Nothing here reports platform failures: the operation gives its empty/false result.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

struct AppState;

using Text = std::string;   // GBK bytes
using Bytes = std::string;  // any bytes, NULs allowed
using ByteList = std::vector<Bytes>;
using Colour = std::uint32_t;
inline constexpr Colour kDefaultColour = 0xFF000000u;

// Opaque handles: an HWND / HANDLE on Windows, a made-up number on the in-memory desktop.
using WindowHandle = std::uintptr_t;
using SysHandle = std::uintptr_t;
inline constexpr SysHandle kInvalidSysHandle = static_cast<SysHandle>(-1);

enum class WindowId { IconWindow, LockWindow, PanelWindow, ShutdownWindow };
inline constexpr WindowId kAllWindows[] = {WindowId::IconWindow, WindowId::LockWindow,
                                           WindowId::PanelWindow, WindowId::ShutdownWindow};
const char* windowName(WindowId w);

// What a property operation works on: a window, one of its controls, or a menu item.
struct UiTarget {
    enum class Kind { Window, Control, MenuItem };
    WindowId window;
    Kind kind = Kind::Window;
    std::string name;  // control or menu item identifier (GBK), empty for the window
    bool operator==(const UiTarget&) const = default;
};
inline UiTarget win(WindowId w) { return {w, UiTarget::Kind::Window, {}}; }
inline UiTarget control(WindowId w, std::string name) {
    return {w, UiTarget::Kind::Control, std::move(name)};
}
inline UiTarget menuItem(WindowId w, std::string name) {
    return {w, UiTarget::Kind::MenuItem, std::move(name)};
}

// Property indexes. Several kinds reuse the same number for their own property.
namespace prop {
inline constexpr int kLeft = 0, kTop = 1, kWidth = 2, kHeight = 3, kVisible = 5;
inline constexpr int kBackColour = 10, kBackPicture = 11, kAlwaysOnTop = 29;  // window
inline constexpr int kPeriod = 8;                                           // timer
inline constexpr int kText = 8, kTextColour = 10;                           // edit box
inline constexpr int kCaption = 8;                                          // (transparent) label
inline constexpr int kPicture = 10;                                         // picture box
inline constexpr int kItemCaption = 0, kItemChecked = 1;                    // menu item
inline constexpr int kCoordinateLimit = 32627;  // writes of left/top/width/height clamp here
}  // namespace prop

struct DateTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    bool operator==(const DateTime&) const = default;
};

// A property value: integer, boolean, text/bytes or colour.
class Value {
public:
    Value() = default;
    Value(int v) : v_(v) {}
    Value(bool v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(const char* v) : v_(std::string(v)) {}
    static Value colour(Colour c) { return Value(Tag{c}); }

    int asInt() const;          // booleans read as 0/1, texts as 0
    bool asBool() const;        // integers read as != 0
    const std::string& asText() const;  // empty unless a text
    Colour asColour() const;    // integers read as their bits
    bool isText() const { return std::holds_alternative<std::string>(v_); }
    bool operator==(const Value&) const = default;

private:
    struct Tag {
        Colour c;
        bool operator==(const Tag&) const = default;
    };
    explicit Value(Tag t) : v_(t) {}
    std::variant<std::monostate, int, bool, std::string, Tag> v_;
};

enum class EventKind {
    Created,         // window created; runs inside loadWindow before the window shows
    WillBeDestroyed, // the window still exists while it runs
    CanClose,        // close request; verdict false refuses it
    LeftUp,          // left button released (x, y client coordinates)
    RightUp,         // right button released
    KeyDown,         // key pressed; verdict false swallows the key
    GotFocus,
    LostFocus,
    Tick,            // a timer's period elapsed
    MenuChosen,      // a menu item was chosen (runs from the message loop)
};

struct EventArgs {
    int x = 0, y = 0;  // client coordinates of mouse events
    int key = 0;       // virtual-key code of KeyDown
    bool ctrl = false, shift = false, alt = false;
};

class DesktopServices;
// A handler answers with a verdict; true lets the default behaviour go on. Only
// CanClose and KeyDown look at it.
using Handler = bool (*)(DesktopServices&, AppState&, const EventArgs&);

// The SDK's SHQUERYRBINFO as the 32-bit shell lays it out (packed, 20 bytes).
#pragma pack(push, 1)
struct ShQueryRbInfo {
    std::uint32_t cbSize = 0;
    std::int64_t i64Size = 0;
    std::int64_t i64NumItems = 0;
};
#pragma pack(pop)
static_assert(sizeof(ShQueryRbInfo) == 20);

// The SDK's ANSI PROCESSENTRY32 (32-bit layout, 296 bytes there).
struct ProcessEntry32 {
    std::uint32_t dwSize = 0;
    std::uint32_t cntUsage = 0;
    std::uint32_t th32ProcessID = 0;
    std::uintptr_t th32DefaultHeapID = 0;
    std::uint32_t th32ModuleID = 0;
    std::uint32_t cntThreads = 0;
    std::uint32_t th32ParentProcessID = 0;
    std::int32_t pcPriClassBase = 0;
    std::uint32_t dwFlags = 0;
    char szExeFile[260] = {};
};

// The system functions the logic calls directly, by their system names. The Windows
// desktop resolves each by name at its first call; the in-memory desktop fakes them.
struct SystemCalls {
    std::function<std::uint32_t(std::uint32_t size, char* buffer)> GetLogicalDriveStringsA;
    std::function<std::int32_t(const char* rootPath, ShQueryRbInfo* info)> SHQueryRecycleBinA;
    std::function<std::int32_t(WindowHandle owner, const char* rootPath, std::uint32_t flags)>
        SHEmptyRecycleBinA;
    std::function<bool(WindowHandle)> BringWindowToTop;
    std::function<SysHandle(std::uint32_t flags, std::uint32_t processId)> CreateToolhelp32Snapshot;
    std::function<bool(SysHandle, ProcessEntry32*)> Process32First;
    std::function<bool(SysHandle, ProcessEntry32*)> Process32Next;
    std::function<bool(SysHandle)> CloseHandle;
};

// The generator the widget uses: state * 214013 + 2531011, r = (state >> 16) & 0x7FFF.
struct RandomGenerator {
    std::uint32_t state = 0;
    std::uint32_t counter = 0;
    void seedFromTick(std::uint32_t tick);
    int next();  // 0..32767
    int inRange(int lower, int upper);
};

namespace msgbox {
inline constexpr int kOk = 0, kOkCancel = 1;                     // buttons
inline constexpr int kResultOk = 0, kResultCancel = 1;           // results
}  // namespace msgbox

class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Start-up and ending.
    virtual void initialise() = 0;  // run directory made current
    virtual void registerExitRoutine(std::function<void()> routine) = 0;
    virtual int runMessageLoop() = 0;  // until the last window is gone; exit code
    virtual void endProgram(int code) = 0;
    virtual void reportFatal(const Text& message) = 0;

    // Windows, properties and events.
    virtual bool loadWindow(WindowId w, const WindowId* parent = nullptr, bool modal = false) = 0;
    virtual void destroyWindow(WindowId w) = 0;
    virtual bool isLoaded(WindowId w) const = 0;
    virtual Value getProperty(const UiTarget& t, int index) = 0;
    virtual void setProperty(const UiTarget& t, int index, const Value& v) = 0;
    virtual void redrawWindow(const UiTarget& t) = 0;
    virtual void popupMenu(WindowId owner, const Text& rootItem) = 0;
    virtual void processPendingEvents() = 0;
    virtual WindowHandle windowHandle(const UiTarget& t) = 0;
    virtual bool setWindowOpacity(WindowHandle h, int opacity = 255) = 0;
    virtual bool setWindowShape(WindowId w, const Bytes& picture, Colour key = 0xFFFFFF) = 0;

    // Screen, pointer, keyboard.
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    virtual int pointerX() = 0;
    virtual int pointerY() = 0;
    virtual void pressKeys(int key1, int key2) = 0;
    virtual void hideTaskbar() = 0;
    virtual void showTaskbar() = 0;

    // Time and the random generator.
    virtual DateTime currentTime() = 0;
    virtual std::uint32_t tickCount() = 0;  // milliseconds since the system started
    void seedRandom() { random_.seedFromTick(tickCount()); }
    int randomInRange(int lower, int upper) { return random_.inRange(lower, upper); }

    // Files.
    virtual Text runDirectory() = 0;
    virtual Bytes readFile(const Text& path) = 0;

    // Dialogs.
    virtual int messageBox(const Text& message, int buttons, const Text* title = nullptr) = 0;
    // True with the entered text on OK; false (text untouched) on cancel.
    virtual bool inputBox(const Text& prompt, const Text& title, const Text& initial,
                          bool password, WindowId owner, Text& entered) = 0;

    // Programs and the system.
    virtual bool runCommandLine(const Text& commandLine, bool wait) = 0;
    virtual void shellOpen(const Text& file) = 0;
    virtual void openUrl(const Text& address) = 0;
    virtual bool shutDownSystem(int mode, bool force) = 0;

    // Sound: players run on their own threads and never call into the logic.
    virtual bool playSound(const Bytes& data, bool loop) = 0;
    virtual void playMp3(const Text& file) = 0;
    virtual void pauseMp3() = 0;
    virtual void resumeMp3() = 0;
    virtual void stopAllSounds() = 0;

    virtual SystemCalls& systemCalls() = 0;

    // Handlers get this state with every event; the desktop only passes it on.
    void attachState(AppState& s) { state_ = &s; }
    AppState* state() const { return state_; }

protected:
    RandomGenerator random_;

private:
    AppState* state_ = nullptr;
};

// Platform-neutral helpers (text.cpp, bytes.cpp, random.cpp).
Text joinTexts(std::initializer_list<std::string_view> parts);
int compareTexts(const Text* a, const Text* b);
inline int compareTexts(const Text& a, const Text& b) { return compareTexts(&a, &b); }
Text toText(int value);
double toNumber(const Text& text);
Bytes blankBytes(int count);
Bytes leftBytes(const Bytes& b, int count);
ByteList splitBytes(const Bytes& b, const Bytes& separator = Bytes(1, '\0'), int maximum = -1);
Text bytesToText(const Bytes& b);
int hourOf(const DateTime& t);
int minuteOf(const DateTime& t);

// Reals compared with the widget's tolerance.
inline constexpr double kRealTolerance = 1e-7;
inline bool realLess(double a, double b) { return a - b < -kRealTolerance; }
inline bool realGreater(double a, double b) { return a - b > kRealTolerance; }
inline bool realEqual(double a, double b) { return !realLess(a, b) && !realGreater(a, b); }
