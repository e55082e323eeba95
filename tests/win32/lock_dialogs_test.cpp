// While the lock screen is up it raises itself above everything every 80 ms; the
// boxes the widget shows then must stay above it or the user is left facing a
// disabled lock with no visible way on.
#include "tests/win32/wait_helpers.h"
#include "tests/win32/win32_fixture.h"

using namespace win32test;
using namespace testwin;

namespace {
// Shows a message box from the desktop and answers it from another thread; the owner
// the box had while it showed.
HWND ownerOfMessageBox(win32::Desktop& desk, const char* text) {
    DWORD me = GetCurrentThreadId();
    HWND owner = reinterpret_cast<HWND>(1);
    Helper h([&] {
        HWND box = findThreadWindow(me, L"信息：");
        if (!box) return PostThreadMessageW(me, WM_QUIT, 0, 0), void();
        owner = GetWindow(box, GW_OWNER);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(desk.messageBox(text, 0), 0);
    EXPECT_TRUE(h.join());
    return owner;
}
}  // namespace

TEST_F(Win32Desktop, MessageBoxWhileTheLockIsUpIsOwnedByTheLock) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kLock, &kIcon));
    EXPECT_EQ(ownerOfMessageBox(desk, "密码错误"), hwnd(kLock));

    // Without the lock the box has no owner, as the widget asks.
    desk.destroyWindow(kLock);
    ASSERT_TRUE(pumpUntil([&] { return !desk.isLoaded(kLock); }));
    EXPECT_EQ(ownerOfMessageBox(desk, "好"), nullptr);
}
