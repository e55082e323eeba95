// The in-memory desktop's core: virtual clock, the posted-event queue and timer
// ticks in (due time, posting order), input from the test, start-up and ending.
#include "platform/memory/desktop.h"

#include <algorithm>

#include "app/app_state.h"

namespace memory {

std::int64_t toEpochSeconds(const DateTime& t) {
    // Howard Hinnant's days_from_civil.
    int y = t.year - (t.month <= 2);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned mp = static_cast<unsigned>((t.month + 9) % 12);
    const unsigned doy = (153 * mp + 2) / 5 + static_cast<unsigned>(t.day) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + static_cast<std::int64_t>(doe) - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

DateTime fromEpochSeconds(std::int64_t s) {
    std::int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
    std::int64_t rest = s - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    DateTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

const char* eventName(EventKind e) {
    switch (e) {
        case EventKind::Created: return "Created";
        case EventKind::WillBeDestroyed: return "WillBeDestroyed";
        case EventKind::CanClose: return "CanClose";
        case EventKind::LeftUp: return "LeftUp";
        case EventKind::RightUp: return "RightUp";
        case EventKind::KeyDown: return "KeyDown";
        case EventKind::GotFocus: return "GotFocus";
        case EventKind::LostFocus: return "LostFocus";
        case EventKind::Tick: return "Tick";
        case EventKind::MenuChosen: return "MenuChosen";
    }
    return "?";
}

Desktop::Desktop(int screenWidth, int screenHeight) : screenW_(screenWidth), screenH_(screenHeight) {
    for (WindowId w : kAllWindows) {
        const WindowUnit& u = unitFor(w);
        LiveWindow& s = stored(w);
        s.id = w;
        s.left = u.left, s.top = u.top, s.width = u.width, s.height = u.height;
        s.visible = u.visible;
        s.backColour = u.backColour;
        s.backPicture = u.backPicture ? resource(u.backPicture) : Bytes();
        s.alwaysOnTop = u.alwaysOnTop;
        s.unitDisabled = u.disabled;
        for (const ControlUnit& c : u.controls) {
            LiveControl lc;
            lc.name = c.name;
            lc.kind = c.kind;
            lc.left = c.left, lc.top = c.top, lc.width = c.width, lc.height = c.height;
            lc.visible = c.visible;
            lc.text = c.text;
            lc.textColour = c.textColour;
            lc.backColour = c.backColour;
            lc.picture = c.picture ? resource(c.picture) : Bytes();
            lc.inputMode = c.inputMode;
            lc.period = c.period;
            s.controls.push_back(std::move(lc));
        }
        s.menu = menuItemsFrom(u);
    }
    setLocalTime(2026, 12, 11, 10, 40, 0);
    installFakeSystemCalls();
}

LiveControl* LiveWindow::control(std::string_view name) {
    for (auto& c : controls)
        if (c.name == name) return &c;
    return nullptr;
}

LiveMenuItem* LiveWindow::item(std::string_view id) { return findMenuItem(menu, id); }

void Desktop::initialise() { note("initialise " + runDirectory_); }

void Desktop::registerExitRoutine(std::function<void()> routine) {
    exitRoutines_.push_back(std::move(routine));
}

int Desktop::runMessageLoop() {
    // Virtual time only moves when a test drives it; the loop takes what is queued.
    pump(now_);
    return exitCode_.value_or(0);
}

void Desktop::endProgram(int code) {
    if (ended_) return;
    note("endProgram " + std::to_string(code));
    for (auto& r : exitRoutines_) {
        r();
        ++exitRoutineRuns_;
    }
    stopAllSounds();
    exitCode_ = code;
    ended_ = true;
    queue_.clear();
}

void Desktop::reportFatal(const Text& message) {
    fatal_ = message;
    exitCode_ = -1;
    note("fatal " + message);
}

void Desktop::setLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::int64_t wallMs = toEpochSeconds({year, month, day, hour, minute, second}) * 1000;
    clockOffsetMs_ = wallMs - static_cast<std::int64_t>(now_);
}

DateTime Desktop::currentTime() {
    std::int64_t wallMs = clockOffsetMs_ + static_cast<std::int64_t>(now_);
    return fromEpochSeconds(wallMs >= 0 ? wallMs / 1000 : (wallMs - 999) / 1000);
}

std::uint32_t Desktop::tickCount() { return static_cast<std::uint32_t>(3'600'000 + now_); }

void Desktop::advance(std::uint64_t ms) { pump(now_ + ms); }

void Desktop::advanceTo(int hour, int minute, int second) {
    DateTime t = currentTime();
    std::int64_t nowSec = toEpochSeconds(t);
    DateTime target = t;
    target.hour = hour, target.minute = minute, target.second = second;
    std::int64_t targetSec = toEpochSeconds(target);
    if (targetSec <= nowSec) targetSec += 86400;
    std::int64_t wallMs = clockOffsetMs_ + static_cast<std::int64_t>(now_);
    advance(static_cast<std::uint64_t>(targetSec * 1000 - wallMs));
}

void Desktop::post(Posted p) { queue_.push_back(std::move(p)); }

bool Desktop::runOnePosted() {
    if (queue_.empty()) return false;
    Posted p = std::move(queue_.front());
    queue_.pop_front();
    LiveWindow* w = live(p.window);
    if (!w || w->generation != p.generation) return true;  // its window is gone
    if (p.kind == Posted::Destroy) {
        if (w->pendingDestruction) carryOutDestruction(p.window);
    } else {
        dispatch(p.window, p.event, p.source, p.args);
    }
    return true;
}

void Desktop::pump(std::uint64_t until) {
    while (!ended_) {
        if (runOnePosted()) continue;
        // The earliest due tick among loaded windows, ties in posting order.
        LiveWindow* bestWindow = nullptr;
        LiveControl* best = nullptr;
        for (auto& lw : live_) {
            if (!lw) continue;
            for (auto& c : lw->controls) {
                if (c.kind != ControlKind::Timer || c.period <= 0 || c.due > until) continue;
                if (!best || c.due < best->due || (c.due == best->due && c.seq < best->seq))
                    best = &c, bestWindow = &*lw;
            }
        }
        if (!best) break;
        now_ = std::max(now_, best->due);
        best->due = now_ + static_cast<std::uint64_t>(best->period);
        best->seq = ++seq_;
        std::string name = best->name;
        dispatch(bestWindow->id, EventKind::Tick, name);
    }
    if (!ended_) now_ = std::max(now_, until);
}

void Desktop::processPendingEvents() { pump(now_); }

bool Desktop::dispatch(WindowId w, EventKind e, std::string_view source, const EventArgs& args) {
    if (ended_) return true;
    if (keepRecords) {
        std::string line = windowName(w);
        line += ' ';
        line += eventName(e);
        if (!source.empty()) line.append(" ").append(source);
        line += " @" + std::to_string(now_);
        events.push_back(std::move(line));
    }
    for (auto o = overrides_.rbegin(); o != overrides_.rend(); ++o)  // the latest wins
        if (o->w == w && o->e == e && o->source == source) return o->h(*this, args);
    Handler h = findHandler(unitFor(w), e, source);
    if (!h) return true;
    if (!state()) {
        misuse("event raised with no AppState attached");
        return true;
    }
    return h(*this, *state(), args);
}

int Desktop::runningTimerCount() const {
    int n = 0;
    for (const auto& lw : live_)
        if (lw)
            for (const auto& c : lw->controls)
                if (c.kind == ControlKind::Timer && c.period > 0) ++n;
    return n;
}

// --- input -------------------------------------------------------------------

void Desktop::input(const UiTarget& t, EventKind e, const EventArgs& a) {
    LiveWindow* w = live(t.window);
    if (!w || ended_) return;
    if (!w->enabled() || !w->visible) return;  // a disabled or hidden window takes no input
    if (t.kind == UiTarget::Kind::Control && !w->control(t.name)) {
        misuse("input to unknown control " + t.name);
        return;
    }
    post({Posted::Event, t.window, w->generation, e, t.name, a});
    pump(now_);
}

void Desktop::leftRelease(const UiTarget& t, int x, int y) {
    input(t, EventKind::LeftUp, EventArgs{.x = x, .y = y});
}

void Desktop::rightRelease(const UiTarget& t, int x, int y) {
    input(t, EventKind::RightUp, EventArgs{.x = x, .y = y});
}

void Desktop::leftClick(const UiTarget& t) {
    // A plain press on a window that moves when dragged anywhere starts the system's
    // move, which swallows the release.
    if (t.kind == UiTarget::Kind::Window && unitFor(t.window).dragAnywhere) return;
    leftRelease(t);
}

void Desktop::doubleClick(const UiTarget& t) {
    if (!(t.kind == UiTarget::Kind::Window && unitFor(t.window).dragAnywhere)) leftRelease(t);
    leftRelease(t);
}

void Desktop::pressKey(const UiTarget& t, int key) {
    LiveWindow* w = live(t.window);
    if (!w || !w->enabled()) return;
    input(t, EventKind::KeyDown, EventArgs{.key = key});
    if (key == 27 && unitFor(t.window).escCloses && live(t.window)) requestClose(t.window);
}

void Desktop::focus(const UiTarget& editBox) {
    std::string key = std::string(windowName(editBox.window)) + "/" + editBox.name;
    if (focused_ == key) return;
    focusElsewhere();
    LiveWindow* w = live(editBox.window);
    if (!w || !w->control(editBox.name)) {
        misuse("focus to a control that does not exist");
        return;
    }
    focused_ = key;
    focusedWindow_ = editBox.window;
    input(editBox, EventKind::GotFocus, {});
}

void Desktop::focusElsewhere() {
    if (!focused_) return;
    std::string key = *focused_;
    WindowId w = *focusedWindow_;
    focused_.reset();
    focusedWindow_.reset();
    std::string name = key.substr(key.find('/') + 1);
    input(control(w, name), EventKind::LostFocus, {});
}

void Desktop::type(const UiTarget& editBox, const Text& text) {
    LiveWindow* w = live(editBox.window);
    LiveControl* c = w ? w->control(editBox.name) : nullptr;
    if (!c || c->kind != ControlKind::EditBox) {
        misuse("typing into something that is not a loaded edit box");
        return;
    }
    c->text += text;
}

void Desktop::requestClose(WindowId w) {
    LiveWindow* lw = live(w);
    if (!lw || ended_) return;
    if (!dispatch(w, EventKind::CanClose, "")) return;
    lw = live(w);
    if (lw) carryOutDestruction(w);
}

}  // namespace memory
