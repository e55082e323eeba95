// Window units: each of the four windows declared as data (its own properties,
// controls, menus and which handler answers which event). A desktop creates the
// live window from its unit; handlers then work on the live properties.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/desktop_services.h"

// Colours in units are written as #RRGGBB; the desktop works in 0x00BBGGRR.
constexpr Colour rgb(std::uint32_t rrggbb) {
    return ((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF);
}

struct Font {
    const char* face = nullptr;  // nullptr: the system's default GUI font
    int height = 0;              // logical pixels, negative = character height
    int weight = 400;
    int charset = 134;           // GB2312
};
inline constexpr Font kDefaultGuiFont{};

enum class ControlKind { Timer, EditBox, Label, TransparentLabel, PictureBox };
enum class InputMode { Normal = 0, IntegerText = 3, ShortInteger = 6 };
enum class Align { Left = 0, Centre = 1, Right = 2 };

struct ControlUnit {
    const char* name = "";  // GBK identifier, unique within its window
    ControlKind kind = ControlKind::Timer;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    int period = 0;              // timer
    const char* text = "";       // edit box text, label caption
    Colour textColour = 0x000000;
    Colour backColour = kDefaultColour;
    Font font{};
    Align align = Align::Left;
    bool verticalCentre = false;
    bool border = false;         // label: single line border
    InputMode inputMode = InputMode::Normal;
    const char* picture = nullptr;  // embedded resource name of a picture box
    bool handCursor = false;
};

struct MenuItemUnit {
    int level = 0;           // 0 root, 1 its item, 2 an item of a level-1 item
    const char* caption = "";  // also the item's identity; "-" is a separator
    bool checked = false;
    bool hidden = false;
    bool disabled = false;
};

struct Binding {
    EventKind event;
    const char* source;  // control or menu item name; "" for the window itself
    Handler handler;
};

enum class Placement { AsStored, Centred };
enum class Border { None, FixedWithCaption };
enum class Shape { Rectangle, RoundedRectangle };
enum class PictureMode { Stretched, Tiled };

struct WindowUnit {
    WindowId id;
    const char* caption = "";
    int left = 50, top = 50, width = 0, height = 0;  // stored values
    Placement placement = Placement::AsStored;
    Border border = Border::None;
    bool controlBox = false, minBox = false, maxBox = false;
    Colour backColour = kDefaultColour;
    const char* backPicture = nullptr;  // embedded resource name
    PictureMode pictureMode = PictureMode::Stretched;
    bool visible = true;
    bool disabled = false;
    bool alwaysOnTop = false;
    bool showInTaskbar = true;
    bool movable = true;
    bool dragAnywhere = false;
    bool escCloses = false;
    Shape shape = Shape::Rectangle;
    const char* icon = nullptr;  // embedded resource name
    std::vector<ControlUnit> controls;
    std::vector<MenuItemUnit> menu;
    std::vector<Binding> bindings;
};

extern const WindowUnit kIconWindow;
extern const WindowUnit kLockWindow;
extern const WindowUnit kPanelWindow;
extern const WindowUnit kShutdownWindow;

// The unit of a window; the desktops are its only readers.
const WindowUnit& unitFor(WindowId w);
const ControlUnit* findControl(const WindowUnit& u, std::string_view name);
const MenuItemUnit* findMenuItem(const WindowUnit& u, std::string_view caption);
Handler findHandler(const WindowUnit& u, EventKind e, std::string_view source);

// Embedded resources by name ("icon_base.png", "emptied_chime.wav", ...): constant
// bytes carried inside the program; empty when the name is unknown.
Bytes resource(std::string_view name);
std::vector<std::string_view> resourceNames();

// Rounded corners: ellipses of e x e pixels, e = min(width / 5, height / 5).
inline int roundedCornerSize(int width, int height) {
    return std::min(width / 5, height / 5);
}
