// Adapters from the handlers' natural signatures to the uniform Handler type used in
// the units' binding tables.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

// A handler that gives no verdict: the default behaviour always goes on.
template <void (*F)(DesktopServices&, AppState&)>
bool plain(DesktopServices& d, AppState& s, const EventArgs&) {
    F(d, s);
    return true;
}

// A close-request handler whose answer is the verdict.
template <bool (*F)(DesktopServices&, AppState&)>
bool verdict(DesktopServices& d, AppState& s, const EventArgs&) {
    return F(d, s);
}

// A key handler that sees the key code and never swallows the key.
template <auto F>
bool withKey(DesktopServices& d, AppState& s, const EventArgs& e) {
    F(d, s, e.key);
    return true;
}
