// Menu items' state and properties, shared by the in-memory and the Windows desktop.
#include "platform/menu_items.h"

std::vector<MenuItemState> menuItemsFrom(const WindowUnit& u) {
    std::vector<MenuItemState> items;
    for (const MenuItemUnit& m : u.menu)
        items.push_back({m.caption, m.level, m.caption, m.checked, m.hidden, m.disabled});
    return items;
}

MenuItemState* findMenuItem(std::vector<MenuItemState>& items, std::string_view id) {
    for (auto& m : items)
        if (m.id == id) return &m;
    return nullptr;
}

std::optional<Value> menuItemProperty(const MenuItemState& m, int index) {
    switch (index) {
        case prop::kItemCaption: return Value(m.caption);
        case prop::kItemChecked: return Value(m.checked);
        case 2: return Value(m.disabled);
        case 3: return Value(!m.hidden);
    }
    return std::nullopt;
}

bool setMenuItemProperty(MenuItemState& m, int index, const Value& v) {
    switch (index) {
        case prop::kItemCaption: m.caption = v.asText(); return true;
        case prop::kItemChecked: m.checked = v.asBool(); return true;
        case 2: m.disabled = v.asBool(); return true;
        case 3: m.hidden = !v.asBool(); return true;
    }
    return false;
}
