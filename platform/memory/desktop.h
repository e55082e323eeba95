// The in-memory desktop: DesktopServices with windows, timers, menus and dialogs kept
// in memory and a virtual clock, so a test drives the widget like a person at the
// desktop with no real time passing. It keeps the rules the Windows desktop keeps:
// deferred destruction, the timer write rule, property clamping, nested event
// processing. Everything sent outward (programs, keys, sounds, ...) is recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_services.h"
#include "platform/menu_items.h"
#include "units/unit.h"

namespace memory {

struct LiveControl {
    std::string name;
    ControlKind kind = ControlKind::Timer;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    Text text;
    Colour textColour = 0, backColour = kDefaultColour;
    Bytes picture;
    InputMode inputMode = InputMode::Normal;
    int period = 0;
    std::uint64_t due = 0;  // virtual ms of the next tick while period > 0
    std::uint64_t seq = 0;  // posting order among equal due times
    WindowHandle handle = 0;
};

using LiveMenuItem = MenuItemState;

struct LiveWindow {
    WindowId id{};
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    Colour backColour = kDefaultColour;
    Bytes backPicture;
    bool alwaysOnTop = false;
    bool unitDisabled = false;
    int modalDisabled = 0;  // how many modal windows disable it
    bool minimised = false;
    bool pendingDestruction = false;
    bool modal = false;
    std::optional<WindowId> parent;
    WindowHandle handle = 0;
    std::uint64_t generation = 0;
    int opacity = -1;  // -1: never made translucent
    Bytes shape;       // picture the shape was last cut from
    std::vector<LiveControl> controls;
    std::vector<LiveMenuItem> menu;

    LiveControl* control(std::string_view name);
    LiveMenuItem* item(std::string_view id);
    bool enabled() const { return !unitDisabled && modalDisabled == 0; }
};

// What a test scripts for the next dialog or menu: the answer, and how much virtual
// time passes while it is open (timers keep ticking meanwhile).
struct MessageBoxAnswer {
    int result = msgbox::kResultOk;
    std::uint64_t afterMs = 0;
};
struct InputBoxAnswer {
    std::optional<Text> text;  // nullopt: cancelled
    std::uint64_t afterMs = 0;
};
struct MenuAnswer {
    std::optional<Text> item;  // nullopt: dismissed
    std::uint64_t afterMs = 0;
};

struct MessageBoxCall {
    Text message;
    int buttons = 0;
    Text title;  // the caption shown: the default "信息：" when none was given
    std::uint64_t at = 0;
};
struct InputBoxCall {
    Text prompt, title, initial;
    bool password = false;
    WindowId owner{};
};
struct MenuCall {
    WindowId owner{};
    Text root;
    std::vector<Text> items;  // captions shown, in order ("-" for separators)
    int x = 0, y = 0;         // top-left corner of the menu
};
struct CommandLine {
    Text line;
    bool wait = false;
};
struct KeyStroke {
    int key = 0;
    bool down = true;
    bool operator==(const KeyStroke&) const = default;
};
struct SoundEvent {
    enum Kind { Wav, Mp3, Pause, Resume, StopAll } kind;
    Text detail;  // mp3 file, or wav byte count
};
struct Misuse {
    std::string what;
};

class Desktop : public DesktopServices {
public:
    Desktop(int screenWidth = 1920, int screenHeight = 1080);

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
    int screenWidth() override { return screenW_; }
    int screenHeight() override { return screenH_; }
    int pointerX() override { return pointer_[0]; }
    int pointerY() override { return pointer_[1]; }
    void pressKeys(int key1, int key2) override;
    void hideTaskbar() override;
    void showTaskbar() override;
    DateTime currentTime() override;
    std::uint32_t tickCount() override;
    Text runDirectory() override { return runDirectory_; }
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
    SystemCalls& systemCalls() override { return calls_; }

    // --- the person at the desktop ---
    void setScreen(int width, int height) { screenW_ = width, screenH_ = height; }
    void pointTo(int x, int y) { pointer_[0] = x, pointer_[1] = y; }
    void setLocalTime(int year, int month, int day, int hour, int minute, int second);
    void advance(std::uint64_t ms);         // runs every due tick, in time order
    void advanceTo(int hour, int minute, int second);  // the next time the clock shows this
    std::uint64_t now() const { return now_; }
    // Input: posted like the message loop would take it, then processed at once.
    void leftRelease(const UiTarget& t, int x = 1, int y = 1);
    void rightRelease(const UiTarget& t, int x = 1, int y = 1);
    void leftClick(const UiTarget& t);   // press + release; a drag-anywhere window only moves
    void doubleClick(const UiTarget& t); // the second release reaches even a drag-anywhere window
    void pressKey(const UiTarget& t, int key);  // Esc on an Esc-closing window asks to close
    void focus(const UiTarget& editBox);        // the previously focused control loses it
    void focusElsewhere();                      // another program takes the focus
    void type(const UiTarget& editBox, const Text& text);  // appended to the box's text
    void requestClose(WindowId w);              // the close box / Alt+F4
    void answerNextMessageBox(MessageBoxAnswer a) { messageBoxAnswers_.push_back(a); }
    void answerNextInputBox(InputBoxAnswer a) { inputBoxAnswers_.push_back(a); }
    void answerNextMenu(MenuAnswer a) { menuAnswers_.push_back(a); }

    // Tests of the desktop's own rules replace a window's handler with their own.
    using TestHandler = std::function<bool(Desktop&, const EventArgs&)>;
    void overrideHandler(WindowId w, EventKind e, std::string source, TestHandler h) {
        overrides_.push_back({w, e, std::move(source), std::move(h)});
    }
    // Every event raised, in order: "IconWindow Tick 时钟_呼吸灯 @120".
    std::vector<std::string> events;
    // Long simulations switch off the records that grow with every tick (the event
    // list, the log, shape, opacity and raise records); the rest are always kept.
    bool keepRecords = true;

    // --- the surroundings ---
    void setRunDirectory(Text dir) { runDirectory_ = std::move(dir); }
    void putFile(const Text& path, Bytes content) { files_[path] = std::move(content); }
    void removeFile(const Text& path) { files_.erase(path); }
    void failNextLoadOf(WindowId w) { failLoad_[static_cast<int>(w)] = true; }
    void setLayeredSupported(bool on) { layered_ = on; }
    struct Drive {
        Text root;
        std::int64_t items = 0;
        bool queryFails = false;
    };
    std::vector<Drive> drives;  // what GetLogicalDriveStringsA lists, in order
    bool driveListFails = false;
    std::vector<Text> processes;  // executable names a snapshot lists
    bool snapshotFails = false;
    int enumerationFailsAfter = -1;  // Process32Next fails after this many entries

    // --- what happened ---
    const LiveWindow* window(WindowId w) const;
    const LiveControl* liveControl(WindowId w, std::string_view name) const;
    int createdCount(WindowId w) const { return created_[static_cast<int>(w)]; }
    int activations(WindowId w) const { return activations_[static_cast<int>(w)]; }
    bool inTopmostBand(WindowId w) const;
    const std::vector<WindowId>& topmostBand() const { return topmost_; }
    bool taskbarVisible() const { return taskbarVisible_; }
    std::vector<std::string> log;  // every outward action, one line each, in order
    std::vector<CommandLine> commandLines;
    std::vector<Text> shellOpens, urls;
    std::vector<KeyStroke> keyStrokes;
    std::vector<SoundEvent> sounds;
    enum class Mp3State { None, Playing, Paused };
    Mp3State mp3State() const { return mp3State_; }
    Text mp3File() const { return mp3File_; }
    std::vector<std::pair<int, bool>> shutdownRequests;  // mode, force
    std::vector<std::pair<WindowHandle, int>> opacityWrites;
    std::vector<std::pair<WindowId, Bytes>> shapeWrites;
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<InputBoxCall> inputBoxes;
    std::vector<MenuCall> menus;
    std::vector<Text> rbQueries;  // paths given to SHQueryRecycleBinA
    std::vector<std::uint32_t> rbEmptyFlags;
    std::vector<WindowHandle> broughtToTop;
    int snapshotsOpened = 0, snapshotsClosed = 0;
    std::vector<Misuse> misuses;  // operations the logic must never make
    std::optional<int> exitCode() const { return exitCode_; }
    int exitRoutineRuns() const { return exitRoutineRuns_; }
    Text fatalReport() const { return fatal_; }
    bool ended() const { return ended_; }
    std::size_t pendingCount() const { return queue_.size(); }
    int runningTimerCount() const;

private:
    struct Posted {
        enum Kind { Event, Destroy } kind = Event;
        WindowId window{};
        std::uint64_t generation = 0;
        EventKind event = EventKind::Tick;
        std::string source;
        EventArgs args;
    };

    LiveWindow* live(WindowId w);
    LiveWindow& stored(WindowId w) { return stored_[static_cast<int>(w)]; }
    bool dispatch(WindowId w, EventKind e, std::string_view source, const EventArgs& args = {});
    void post(Posted p);
    void pump(std::uint64_t until);
    bool runOnePosted();
    void carryOutDestruction(WindowId w);
    void removeFromTopmost(WindowId w);
    void raiseIntoTopmost(WindowId w);
    void setTopmost(WindowId w, bool on);
    void misuse(std::string what) { misuses.push_back({std::move(what)}); }
    void note(std::string line) {
        if (keepRecords) log.push_back(std::move(line));
    }
    void input(const UiTarget& t, EventKind e, const EventArgs& a);
    void setTimerPeriod(LiveControl& c, int period);
    Value getControl(LiveWindow& w, LiveControl& c, int index, bool loaded);
    void setControl(LiveWindow& w, LiveControl& c, int index, const Value& v, bool loaded);
    void installFakeSystemCalls();

    int screenW_, screenH_;
    int pointer_[2] = {0, 0};
    std::uint64_t now_ = 0, seq_ = 0;
    std::int64_t clockOffsetMs_ = 0;  // wall-clock ms (since 1970, local) = offset + now_
    Text runDirectory_ = "C:\\Tools";
    std::map<Text, Bytes> files_;
    LiveWindow stored_[4];
    std::optional<LiveWindow> live_[4];
    std::uint64_t generations_ = 0;
    int created_[4] = {}, activations_[4] = {};
    bool failLoad_[4] = {};
    std::vector<WindowId> topmost_;  // front first
    std::deque<Posted> queue_;
    std::optional<std::string> focused_;  // "window/control" of the focused edit box
    std::optional<WindowId> focusedWindow_;
    std::vector<std::function<void()>> exitRoutines_;
    std::optional<int> exitCode_;
    int exitRoutineRuns_ = 0;
    bool ended_ = false;
    Text fatal_;
    bool layered_ = true;
    bool taskbarVisible_ = true;
    Mp3State mp3State_ = Mp3State::None;
    Text mp3File_;
    std::deque<MessageBoxAnswer> messageBoxAnswers_;
    std::deque<InputBoxAnswer> inputBoxAnswers_;
    std::deque<MenuAnswer> menuAnswers_;
    SystemCalls calls_;
    struct Override {
        WindowId w;
        EventKind e;
        std::string source;
        TestHandler h;
    };
    std::vector<Override> overrides_;
    struct Snapshot {
        std::size_t next = 0;
        bool open = true;
    };
    std::map<SysHandle, Snapshot> snapshots_;
    SysHandle nextSnapshot_ = 0x500;
};

// Days-from-civil arithmetic for the virtual clock (proleptic Gregorian, no zones).
std::int64_t toEpochSeconds(const DateTime& t);
const char* eventName(EventKind e);
DateTime fromEpochSeconds(std::int64_t s);

}  // namespace memory
