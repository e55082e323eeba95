// Look-ups into the four window units and the embedded resources.
#include <cstring>

#include "units/unit.h"

const WindowUnit& unitFor(WindowId w) {
    switch (w) {
        case WindowId::IconWindow: return kIconWindow;
        case WindowId::LockWindow: return kLockWindow;
        case WindowId::PanelWindow: return kPanelWindow;
        case WindowId::ShutdownWindow: return kShutdownWindow;
    }
    return kIconWindow;
}

const ControlUnit* findControl(const WindowUnit& u, std::string_view name) {
    for (const auto& c : u.controls)
        if (name == c.name) return &c;
    return nullptr;
}

const MenuItemUnit* findMenuItem(const WindowUnit& u, std::string_view caption) {
    for (const auto& m : u.menu)
        if (caption == m.caption) return &m;
    return nullptr;
}

Handler findHandler(const WindowUnit& u, EventKind e, std::string_view source) {
    for (const auto& b : u.bindings)
        if (b.event == e && source == b.source) return b.handler;
    return nullptr;
}

// Filled in by the build from the files under units/assets.
struct EmbeddedEntry {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};
extern const EmbeddedEntry kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;

Bytes resource(std::string_view name) {
    for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const auto& e = kEmbeddedResources[i];
        if (name == e.name) return Bytes(reinterpret_cast<const char*>(e.data), e.size);
    }
    return {};
}

std::vector<std::string_view> resourceNames() {
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i)
        names.emplace_back(kEmbeddedResources[i].name);
    return names;
}
