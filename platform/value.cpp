// Property values and window names.
#include "platform/desktop_services.h"

int Value::asInt() const {
    if (auto p = std::get_if<int>(&v_)) return *p;
    if (auto p = std::get_if<bool>(&v_)) return *p ? 1 : 0;
    if (auto p = std::get_if<Tag>(&v_)) return static_cast<int>(p->c);
    return 0;
}

bool Value::asBool() const {
    if (auto p = std::get_if<bool>(&v_)) return *p;
    return asInt() != 0;
}

const std::string& Value::asText() const {
    static const std::string kEmpty;
    if (auto p = std::get_if<std::string>(&v_)) return *p;
    return kEmpty;
}

Colour Value::asColour() const {
    if (auto p = std::get_if<Tag>(&v_)) return p->c;
    return static_cast<Colour>(asInt());
}

const char* windowName(WindowId w) {
    switch (w) {
        case WindowId::IconWindow: return "IconWindow";
        case WindowId::LockWindow: return "LockWindow";
        case WindowId::PanelWindow: return "PanelWindow";
        case WindowId::ShutdownWindow: return "ShutdownWindow";
    }
    return "?";
}
