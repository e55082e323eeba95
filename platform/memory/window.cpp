// The in-memory desktop's windows: loading from units, deferred destruction,
// properties with their clamps and the not-loaded rule, the topmost band, menus.
#include <algorithm>

#include "platform/memory/desktop.h"

namespace memory {

namespace {
int clampPosition(int v) { return std::clamp(v, -prop::kCoordinateLimit, prop::kCoordinateLimit); }
int clampSize(int v) { return std::clamp(v, 0, prop::kCoordinateLimit); }
int idx(WindowId w) { return static_cast<int>(w); }
}  // namespace

LiveWindow* Desktop::live(WindowId w) {
    auto& lw = live_[idx(w)];
    return lw ? &*lw : nullptr;
}

bool Desktop::isLoaded(WindowId w) const { return live_[idx(w)].has_value(); }

const LiveWindow* Desktop::window(WindowId w) const {
    const auto& lw = live_[idx(w)];
    return lw ? &*lw : nullptr;
}

const LiveControl* Desktop::liveControl(WindowId w, std::string_view name) const {
    const LiveWindow* lw = window(w);
    if (!lw) return nullptr;
    for (const auto& c : lw->controls)
        if (c.name == name) return &c;
    return nullptr;
}

bool Desktop::loadWindow(WindowId w, const WindowId* parent, bool modal) {
    if (ended_) return false;
    if (parent && !isLoaded(*parent)) return false;
    if (LiveWindow* lw = live(w)) {
        if (!lw->pendingDestruction) {
            // Already open: restore or activate, never a second instance.
            if (lw->minimised) lw->minimised = false;
            ++activations_[idx(w)];
            return true;
        }
        carryOutDestruction(w);
    }
    if (failLoad_[idx(w)]) {
        failLoad_[idx(w)] = false;
        return false;
    }
    const WindowUnit& u = unitFor(w);
    LiveWindow fresh = stored(w);
    fresh.generation = ++generations_;
    fresh.handle = 0x10000 + static_cast<WindowHandle>(idx(w)) * 0x1000;
    fresh.parent = parent ? std::optional<WindowId>(*parent) : std::nullopt;
    fresh.modal = modal;
    fresh.visible = false;  // created invisible, shown after the created handler
    if (u.placement == Placement::Centred) {
        fresh.left = (screenW_ - fresh.width) / 2;
        fresh.top = (screenH_ - fresh.height) / 2;
    }
    for (std::size_t i = 0; i < fresh.controls.size(); ++i) {
        LiveControl& c = fresh.controls[i];
        c.handle = fresh.handle + 1 + i;
        if (c.kind == ControlKind::Timer && c.period > 0) {
            c.due = now_ + static_cast<std::uint64_t>(c.period);
            c.seq = ++seq_;
        }
    }
    live_[idx(w)] = std::move(fresh);
    ++created_[idx(w)];
    if (u.alwaysOnTop) raiseIntoTopmost(w);
    note(std::string("load ") + windowName(w));
    dispatch(w, EventKind::Created, "");
    LiveWindow* lw = live(w);
    if (!lw) return false;
    if (stored(w).visible) lw->visible = true;
    if (modal) {
        for (WindowId other : kAllWindows)
            if (other != w)
                if (LiveWindow* o = live(other)) ++o->modalDisabled;
    }
    return true;
}

void Desktop::destroyWindow(WindowId w) {
    LiveWindow* lw = live(w);
    if (!lw) {
        misuse(std::string("destroyWindow on ") + windowName(w) + " which is not loaded");
        return;
    }
    if (lw->pendingDestruction) return;
    lw->pendingDestruction = true;
    post({Posted::Destroy, w, lw->generation, EventKind::WillBeDestroyed, "", {}});
}

void Desktop::carryOutDestruction(WindowId w) {
    LiveWindow* lw = live(w);
    if (!lw) return;
    std::uint64_t generation = lw->generation;
    dispatch(w, EventKind::WillBeDestroyed, "");
    lw = live(w);
    if (!lw || lw->generation != generation) return;
    if (lw->modal)
        for (WindowId other : kAllWindows)
            if (LiveWindow* o = live(other); o && other != w && o->modalDisabled > 0)
                --o->modalDisabled;
    if (focusedWindow_ == w) focused_.reset(), focusedWindow_.reset();
    removeFromTopmost(w);
    live_[idx(w)].reset();
    note(std::string("destroyed ") + windowName(w));
    bool anyLeft = false;
    for (auto& o : live_) anyLeft = anyLeft || o.has_value();
    if (!anyLeft && !exitCode_) {
        // The last window gone ends the message loop; the exit routine still runs.
        for (auto& r : exitRoutines_) {
            r();
            ++exitRoutineRuns_;
        }
        exitCode_ = 0;
        ended_ = true;
    }
}

// --- topmost band ------------------------------------------------------------

bool Desktop::inTopmostBand(WindowId w) const {
    return std::find(topmost_.begin(), topmost_.end(), w) != topmost_.end();
}

void Desktop::removeFromTopmost(WindowId w) {
    topmost_.erase(std::remove(topmost_.begin(), topmost_.end(), w), topmost_.end());
}

void Desktop::raiseIntoTopmost(WindowId w) {
    removeFromTopmost(w);
    topmost_.insert(topmost_.begin(), w);
}

void Desktop::setTopmost(WindowId w, bool on) {
    LiveWindow* lw = live(w);
    lw->alwaysOnTop = on;
    if (on) {
        raiseIntoTopmost(w);
        return;
    }
    removeFromTopmost(w);
    // Leaving the band puts other always-on-top windows without a taskbar button back
    // into it, so hiding the icon's topmost state never buries the lock screen.
    for (WindowId other : kAllWindows) {
        LiveWindow* o = live(other);
        if (o && other != w && o->alwaysOnTop && !unitFor(other).showInTaskbar)
            raiseIntoTopmost(other);
    }
}

// --- properties --------------------------------------------------------------

Value Desktop::getProperty(const UiTarget& t, int index) {
    LiveWindow* lw = live(t.window);
    bool loaded = lw != nullptr;
    LiveWindow& w = loaded ? *lw : stored(t.window);
    if (t.kind == UiTarget::Kind::MenuItem) {
        LiveMenuItem* m = w.item(t.name);
        if (!m) return misuse("no menu item " + t.name), Value();
        if (auto v = menuItemProperty(*m, index)) return *v;
        return misuse("menu item property " + std::to_string(index)), Value();
    }
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = w.control(t.name);
        if (!c) return misuse("no control " + t.name), Value();
        return getControl(w, *c, index, loaded);
    }
    switch (index) {
        case prop::kLeft: return Value(w.left);
        case prop::kTop: return Value(w.top);
        case prop::kWidth: return Value(w.width);
        case prop::kHeight: return Value(w.height);
        case prop::kVisible: return Value(w.visible);
    }
    if (!loaded) return misuse(std::string("property of unloaded ") + windowName(t.window)), Value();
    switch (index) {
        case prop::kBackColour: return Value::colour(w.backColour);
        case prop::kBackPicture: return Value(w.backPicture);
        case prop::kAlwaysOnTop: return Value(w.alwaysOnTop);
    }
    return misuse("window property " + std::to_string(index)), Value();
}

Value Desktop::getControl(LiveWindow& w, LiveControl& c, int index, bool loaded) {
    switch (index) {
        case prop::kLeft: return Value(c.left);
        case prop::kTop: return Value(c.top);
        case prop::kWidth: return Value(c.width);
        case prop::kHeight: return Value(c.height);
        case prop::kVisible: return Value(loaded ? (c.visible && w.visible) : c.visible);
    }
    if (!loaded) return misuse("property of a control of an unloaded window"), Value();
    if (c.kind == ControlKind::Timer && index == prop::kPeriod) return Value(c.period);
    if (c.kind == ControlKind::EditBox && index == prop::kText) return Value(c.text);
    if (c.kind == ControlKind::EditBox && index == prop::kTextColour) return Value::colour(c.textColour);
    if ((c.kind == ControlKind::Label || c.kind == ControlKind::TransparentLabel) &&
        index == prop::kCaption)
        return Value(c.text);
    if (c.kind == ControlKind::PictureBox && index == prop::kPicture) return Value(c.picture);
    return misuse("control property " + std::to_string(index) + " of " + c.name), Value();
}

void Desktop::setProperty(const UiTarget& t, int index, const Value& v) {
    LiveWindow* lw = live(t.window);
    bool loaded = lw != nullptr;
    LiveWindow& w = loaded ? *lw : stored(t.window);
    if (t.kind == UiTarget::Kind::MenuItem) {
        LiveMenuItem* m = w.item(t.name);
        if (!m) return misuse("no menu item " + t.name);
        if (!setMenuItemProperty(*m, index, v)) misuse("menu item property " + std::to_string(index));
        return;
    }
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = w.control(t.name);
        if (!c) return misuse("no control " + t.name);
        return setControl(w, *c, index, v, loaded);
    }
    switch (index) {
        case prop::kLeft: w.left = clampPosition(v.asInt()); return;
        case prop::kTop: w.top = clampPosition(v.asInt()); return;
        case prop::kWidth: w.width = clampSize(v.asInt()); return;
        case prop::kHeight: w.height = clampSize(v.asInt()); return;
        case prop::kVisible:
            if (loaded && v.asBool() && w.minimised) w.minimised = false;
            w.visible = v.asBool();
            return;
    }
    if (!loaded) return misuse(std::string("write to unloaded ") + windowName(t.window));
    switch (index) {
        case prop::kBackColour: w.backColour = v.asColour(); return;
        case prop::kBackPicture: w.backPicture = v.asText(); return;
        case prop::kAlwaysOnTop: setTopmost(t.window, v.asBool()); return;
    }
    misuse("window property " + std::to_string(index));
}

void Desktop::setTimerPeriod(LiveControl& c, int period) {
    if (period < 0) period = 0;
    if (period == c.period) return;  // the same value keeps the phase
    c.period = period;
    if (period > 0) {
        c.due = now_ + static_cast<std::uint64_t>(period);
        c.seq = ++seq_;
    }
}

void Desktop::setControl(LiveWindow& w, LiveControl& c, int index, const Value& v, bool loaded) {
    (void)w;
    switch (index) {
        case prop::kLeft: c.left = clampPosition(v.asInt()); return;
        case prop::kTop: c.top = clampPosition(v.asInt()); return;
        case prop::kWidth: c.width = clampSize(v.asInt()); return;
        case prop::kHeight: c.height = clampSize(v.asInt()); return;
        case prop::kVisible: c.visible = v.asBool(); return;
    }
    if (!loaded) return misuse("write to a control of an unloaded window: " + c.name);
    if (c.kind == ControlKind::Timer && index == prop::kPeriod) return setTimerPeriod(c, v.asInt());
    if (c.kind == ControlKind::EditBox && index == prop::kText) {
        c.text = v.asText();
        return;
    }
    if (c.kind == ControlKind::EditBox && index == prop::kTextColour) {
        c.textColour = v.asColour();
        return;
    }
    if ((c.kind == ControlKind::Label || c.kind == ControlKind::TransparentLabel) &&
        index == prop::kCaption) {
        c.text = v.asText();
        return;
    }
    if (c.kind == ControlKind::PictureBox && index == prop::kPicture) {
        c.picture = v.asText();
        return;
    }
    misuse("control property " + std::to_string(index) + " of " + c.name);
}

void Desktop::redrawWindow(const UiTarget& t) {
    if (!isLoaded(t.window)) return misuse("redraw of an unloaded window");
    note(std::string("redraw ") + windowName(t.window) + (t.name.empty() ? "" : "/" + t.name));
}

WindowHandle Desktop::windowHandle(const UiTarget& t) {
    LiveWindow* lw = live(t.window);
    if (!lw) return misuse(std::string("handle of unloaded ") + windowName(t.window)), 0;
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = lw->control(t.name);
        return c ? c->handle : 0;
    }
    return lw->handle;
}

// --- menus -------------------------------------------------------------------

void Desktop::popupMenu(WindowId owner, const Text& rootItem) {
    LiveWindow* lw = live(owner);
    if (!lw) return misuse("popupMenu on an unloaded window");
    MenuCall call{owner, rootItem, {}, pointer_[0] + 3, pointer_[1] + 3};
    // The items below the root, up to the next item of the root's level.
    std::vector<LiveMenuItem> below;  // copies: the window may go while the menu is up
    bool inside = false;
    int rootLevel = 0;
    for (auto& m : lw->menu) {
        if (!inside) {
            if (m.id == rootItem) inside = true, rootLevel = m.level;
            continue;
        }
        if (m.level <= rootLevel) break;
        below.push_back(m);
    }
    for (const auto& m : below)
        if (!m.hidden) call.items.push_back(m.caption);
    menus.push_back(call);
    note("menu " + rootItem);
    MenuAnswer answer = menuAnswers_.empty() ? MenuAnswer{} : menuAnswers_.front();
    if (!menuAnswers_.empty()) menuAnswers_.pop_front();
    if (answer.afterMs) pump(now_ + answer.afterMs);  // timers tick while the menu is up
    if (!answer.item) return;
    lw = live(owner);
    if (!lw) return;
    for (const auto& m : below) {
        if (m.id == *answer.item && !m.hidden && !m.disabled && m.caption != "-") {
            post({Posted::Event, owner, lw->generation, EventKind::MenuChosen, m.id, {}});
            return;
        }
    }
    misuse("menu answer names no item of " + rootItem + ": " + *answer.item);
}

}  // namespace memory
