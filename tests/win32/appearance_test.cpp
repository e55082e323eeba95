// What the Win32 desktop does to windows on screen: the topmost band, opacity, shapes
// cut from pictures, and no GDI or USER objects left behind by pictures and shapes.
#include <algorithm>
#include <cstdio>
#include <map>

#include "tests/win32/win32_fixture.h"

namespace {

using namespace win32test;

bool topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

struct RegionRects {
    std::vector<RECT> rects;
    RECT bound{};
    long area() const {
        long a = 0;
        for (const RECT& r : rects) a += (r.right - r.left) * (r.bottom - r.top);
        return a;
    }
};

RegionRects windowRegion(HWND h) {
    RegionRects out;
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(h, rgn) != ERROR) {
        DWORD size = GetRegionData(rgn, 0, nullptr);
        std::vector<char> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (size && GetRegionData(rgn, size, data)) {
            auto* rects = reinterpret_cast<RECT*>(data->Buffer);
            out.rects.assign(rects, rects + data->rdh.nCount);
            GetRgnBox(rgn, &out.bound);
        }
    }
    DeleteObject(rgn);
    return out;
}

// GDI objects of this process. NOTE: Wine answers 0 to GetGuiResources; its GDI
// handle table, which the process environment block points at as on Windows, is
// counted instead (entries of 24 bytes, the object type at byte 14, 0 when free).
const BYTE* gdiHandleTable() {
    const BYTE* peb = nullptr;
    asm("movl %%fs:0x30, %0" : "=r"(peb));  // the 32-bit process environment block
    return *reinterpret_cast<const BYTE* const*>(peb + 0x94);
}

DWORD gdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
    const BYTE* table = gdiHandleTable();
    if (!table) return 0;
    DWORD n = 0;
    for (int i = 0; i < 0x10000; ++i) n += table[i * 24 + 14] != 0;
    return n;
}

// Live GDI objects of one type in the same table (0x0a fonts, 0x10 brushes).
DWORD gdiObjectsOfType(BYTE type) {
    const BYTE* table = gdiHandleTable();
    if (!table) return 0;
    DWORD n = 0;
    for (int i = 0; i < 0x10000; ++i) n += table[i * 24 + 14] == type;
    return n;
}

BOOL CALLBACK countChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK countWindow(HWND h, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(h, countChild, count);
    return TRUE;
}

// USER objects of this process; under Wine (which answers 0) its windows are counted.
DWORD userObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return n;
    DWORD n = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

constexpr std::uint32_t kClear = 0x00000000, kRed = 0xFFFF0000, kBlack = 0xFF000000;

// The z-order requests a window receives, seen through its own window procedure.
struct ZOrderRequests {
    static inline std::vector<std::pair<HWND, HWND>> seen;  // window, insert-after
    static inline std::map<HWND, WNDPROC> original;
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_WINDOWPOSCHANGING) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            if (!(pos->flags & SWP_NOZORDER)) seen.push_back({h, pos->hwndInsertAfter});
        }
        return CallWindowProcW(original[h], h, m, wp, lp);
    }
    static void watch(HWND h) {
        original[h] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    }
    static int raisedToTopmost(HWND h) {
        return static_cast<int>(std::count(seen.begin(), seen.end(), std::make_pair(h, HWND_TOPMOST)));
    }
};

TEST_F(Win32Desktop, LeavingTheTopmostBandPutsTheLockScreenBack) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    const WindowId parent = kIcon;
    ASSERT_TRUE(desk.loadWindow(kLock, &parent));
    ASSERT_TRUE(desk.loadWindow(kPanel, &parent));
    EXPECT_TRUE(topmost(hwnd(kLock)));  // both from their creation
    EXPECT_TRUE(topmost(hwnd(kPanel)));
    EXPECT_FALSE(topmost(hwnd(kIcon)));
    ZOrderRequests::seen.clear();
    ZOrderRequests::watch(hwnd(kLock));
    ZOrderRequests::watch(hwnd(kPanel));

    desk.setProperty(win(kIcon), prop::kAlwaysOnTop, true);
    EXPECT_EQ(ZOrderRequests::raisedToTopmost(hwnd(kLock)), 0);
    // NOTE: Windows takes owned windows out of the band with their owner; Wine keeps
    // them in it. Either way the lock screen is asked back into the band, and the panel,
    // which has a taskbar button in its unit, is not.
    desk.setProperty(win(kIcon), prop::kAlwaysOnTop, false);
    EXPECT_EQ(ZOrderRequests::raisedToTopmost(hwnd(kLock)), 1);
    EXPECT_EQ(ZOrderRequests::raisedToTopmost(hwnd(kPanel)), 0);
    EXPECT_TRUE(topmost(hwnd(kLock)));
    EXPECT_TRUE(desk.getProperty(win(kLock), prop::kAlwaysOnTop).asBool());
    EXPECT_FALSE(desk.getProperty(win(kIcon), prop::kAlwaysOnTop).asBool());

    // A lock screen whose own flag was cleared stays out.
    desk.setProperty(win(kLock), prop::kAlwaysOnTop, false);
    ZOrderRequests::seen.clear();
    desk.setProperty(win(kIcon), prop::kAlwaysOnTop, false);
    EXPECT_EQ(ZOrderRequests::raisedToTopmost(hwnd(kLock)), 0);
}

TEST_F(Win32Desktop, AlwaysOnTopPutsAWindowIntoTheBandWithoutActivatingIt) {
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    ASSERT_TRUE(desk.loadWindow(kIcon));
    SetActiveWindow(hwnd(kShutdown));
    desk.setProperty(win(kIcon), prop::kAlwaysOnTop, true);
    EXPECT_TRUE(topmost(hwnd(kIcon)));
    EXPECT_TRUE(desk.getProperty(win(kIcon), prop::kAlwaysOnTop).asBool());
    EXPECT_EQ(GetActiveWindow(), hwnd(kShutdown));
}

TEST_F(Win32Desktop, OpacityOutsideTheRangeMakesTheWindowOpaque) {
    ASSERT_TRUE(desk.loadWindow(kPanel));
    const WindowHandle panel = desk.windowHandle(win(kPanel));
    const struct {
        int written;
        BYTE applied;
    } cases[] = {{1, 1}, {300, 255}, {128, 128}, {-5, 255}, {0, 0}, {255, 255}};
    for (const auto& c : cases) {
        ASSERT_TRUE(desk.setWindowOpacity(panel, c.written)) << c.written;
        BYTE alpha = 0;
        DWORD flags = 0;
        COLORREF key = 1;
        ASSERT_TRUE(GetLayeredWindowAttributes(hwnd(kPanel), &key, &alpha, &flags));
        EXPECT_EQ(alpha, c.applied) << c.written;
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
        // The extended style is replaced by the layered style alone.
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd(kPanel), GWL_EXSTYLE)) & ~WS_EX_TOPMOST,
                  static_cast<DWORD>(WS_EX_LAYERED));
    }
}

TEST_F(Win32Desktop, ShapeKeepsThePixelsThatDifferFromTheKey) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    const HWND icon = hwnd(kIcon);

    // A staircase: row y keeps pixels 0..y; the rest is transparent and composites to
    // the black key. No two rows match, so the region keeps one rectangle per row.
    std::vector<std::uint32_t> stairs(8 * 8, kClear);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x <= y; ++x) stairs[y * 8 + x] = kRed;
    ASSERT_TRUE(desk.setWindowShape(kIcon, pngOf(8, 8, stairs), kDefaultColour));
    RegionRects r = windowRegion(icon);
    EXPECT_EQ(r.rects.size(), 8u);
    EXPECT_EQ(r.area(), 36);
    EXPECT_EQ(r.bound.left, 0);
    EXPECT_EQ(r.bound.top, 0);
    EXPECT_EQ(r.bound.right, 8);
    EXPECT_EQ(r.bound.bottom, 8);

    // Opaque black is cut like transparency; half-transparent white is kept.
    const std::vector<std::uint32_t> row = {kRed, kBlack, 0x80FFFFFF, kClear, kRed};
    ASSERT_TRUE(desk.setWindowShape(kIcon, pngOf(5, 1, row), kDefaultColour));
    r = windowRegion(icon);
    EXPECT_EQ(r.area(), 3);
    std::vector<LONG> lefts;
    for (const RECT& rect : r.rects) lefts.push_back(rect.left);
    std::sort(lefts.begin(), lefts.end());
    EXPECT_EQ(lefts, (std::vector<LONG>{0, 2, 4}));

    // More runs than one batch of 2000 rectangles: a checkerboard of 5000 single pixels.
    std::vector<std::uint32_t> board(100 * 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) board[y * 100 + x] = (x + y) % 2 ? kRed : kClear;
    ASSERT_TRUE(desk.setWindowShape(kIcon, pngOf(100, 100, board), kDefaultColour));
    r = windowRegion(icon);
    EXPECT_EQ(r.rects.size(), 5000u);
    EXPECT_EQ(r.area(), 5000);

    // Empty bytes leave the shape as it was; unreadable bytes too.
    EXPECT_FALSE(desk.setWindowShape(kIcon, Bytes(), kDefaultColour));
    EXPECT_FALSE(desk.setWindowShape(kIcon, Bytes("not a picture"), kDefaultColour));
    EXPECT_EQ(windowRegion(icon).area(), 5000);

    // A white key keeps black pixels and cuts white ones.
    const std::vector<std::uint32_t> whiteKeyed = {0xFFFFFFFF, kBlack, kBlack, 0xFFFFFFFF};
    ASSERT_TRUE(desk.setWindowShape(kIcon, pngOf(4, 1, whiteKeyed)));
    r = windowRegion(icon);
    ASSERT_EQ(r.rects.size(), 1u);
    EXPECT_EQ(r.rects[0].left, 1);
    EXPECT_EQ(r.rects[0].right, 3);
}

TEST_F(Win32Desktop, PicturesAndShapesLeaveNoObjectsBehind) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kPanel));
    desk.setProperty(win(kIcon), prop::kWidth, 42);
    desk.setProperty(win(kIcon), prop::kHeight, 42);
    std::vector<Bytes> frames;
    for (int i = 1; i <= 20; ++i) {
        std::vector<std::uint32_t> px(42 * 42, kClear);
        for (int y = 0; y < 42; ++y)
            for (int x = 0; x < 42; ++x)
                if ((x - 21) * (x - 21) + (y - 21) * (y - 21) < i * i) px[y * 42 + x] = 0xFF808080;
        frames.push_back(pngOf(42, 42, px));
    }
    const Bytes bins[] = {resource("bin_full.png"), resource("bin_empty.png")};
    auto cycle = [&](int i) {
        const Bytes& frame = frames[static_cast<std::size_t>(i) % frames.size()];
        desk.setWindowShape(kIcon, desk.getProperty(win(kIcon), prop::kBackPicture).asText(), kDefaultColour);
        desk.setProperty(win(kIcon), prop::kBackPicture, Value(frame));
        desk.redrawWindow(win(kIcon));
        desk.setProperty(control(kPanel, "垃圾桶_图片框"), prop::kPicture, Value(bins[i % 2]));
        desk.setProperty(control(kPanel, "透明标签1"), prop::kCaption, Value(toText(i)));
        desk.setWindowOpacity(desk.windowHandle(win(kPanel)), i % 256);
        UpdateWindow(hwnd(kIcon));
        UpdateWindow(hwnd(kPanel));
        UpdateWindow(hwnd(kPanel, "垃圾桶_图片框"));
        desk.processPendingEvents();
    };
    for (int i = 0; i < 50; ++i) cycle(i);  // fonts and first bitmaps exist from here on

    // The counter sees objects come and go.
    const DWORD base = gdiObjects();
    std::vector<HBRUSH> probes;
    for (int i = 0; i < 10; ++i) probes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    EXPECT_EQ(gdiObjects(), base + 10);
    for (HBRUSH b : probes) DeleteObject(b);
    EXPECT_EQ(gdiObjects(), base);

    const DWORD gdiBefore = gdiObjects(), userBefore = userObjects();
    for (int i = 0; i < 2000; ++i) cycle(i);
    const DWORD gdiAfter = gdiObjects(), userAfter = userObjects();
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", gdiBefore, gdiAfter, userBefore,
                userAfter);
    EXPECT_GT(userBefore, 0u);
    EXPECT_LE(gdiAfter, gdiBefore + 2);
    EXPECT_LE(userAfter, userBefore + 2);
}

}  // namespace

namespace {

// The panel and the lock come and go all day: the fonts of their labels and edit
// boxes go with them, from the very first time. Brushes are counted from the second
// round on: the system makes a brush per system colour at its first use and keeps it.
TEST_F(Win32Desktop, AWindowThatComesAndGoesTakesItsFontsAndBrushesWithIt) {
    constexpr BYTE kFont = 0x0a, kBrush = 0x10;
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_NE(gdiHandleTable(), nullptr);
    const DWORD fonts = gdiObjectsOfType(kFont);
    for (int round = 1; round <= 2; ++round) {
        for (WindowId w : {kPanel, kShutdown}) {
            SCOPED_TRACE(std::string(windowName(w)) + ", round " + std::to_string(round));
            const DWORD brushes = gdiObjectsOfType(kBrush);
            ASSERT_TRUE(desk.loadWindow(w));
            RedrawWindow(hwnd(w), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            EXPECT_GT(gdiObjectsOfType(kFont), fonts);  // the window's own fonts exist meanwhile
            desk.destroyWindow(w);
            ASSERT_TRUE(pumpUntil([&] { return !desk.isLoaded(w); }));
            EXPECT_EQ(gdiObjectsOfType(kFont), fonts);
            if (round > 1) {
                EXPECT_EQ(gdiObjectsOfType(kBrush), brushes);
            }
        }
    }
}

}  // namespace
