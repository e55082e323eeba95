// A window's menu items as both desktops keep them: built from the unit, looked up by
// their identity (the unit's caption), read and written through property indexes.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "units/unit.h"

struct MenuItemState {
    std::string id;  // the unit's caption: the item's identity
    int level = 0;
    Text caption;
    bool checked = false, hidden = false, disabled = false;
};

std::vector<MenuItemState> menuItemsFrom(const WindowUnit& u);
MenuItemState* findMenuItem(std::vector<MenuItemState>& items, std::string_view id);
// Nothing for an index menu items do not have.
std::optional<Value> menuItemProperty(const MenuItemState& m, int index);
bool setMenuItemProperty(MenuItemState& m, int index, const Value& v);
