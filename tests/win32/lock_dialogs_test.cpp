// While the lock screen is up it raises itself above everything every 80 ms; the
// boxes the widget shows then must stay above it or the user is left facing a
// disabled lock with no visible way on.
#include "tests/win32/wait_helpers.h"
#include "tests/win32/win32_fixture.h"

using namespace win32test;
using namespace testwin;

TEST_F(Win32Desktop, MessageBoxWhileTheLockIsUpIsOwnedByTheLock) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kLock, &kIcon));
    HWND lock = hwnd(kLock);
    DWORD me = GetCurrentThreadId();
    HWND owner = nullptr;
    Helper h([&] {
        HWND box = findThreadWindow(me, L"信息：");
        if (!box) return PostThreadMessageW(me, WM_QUIT, 0, 0), void();
        owner = GetWindow(box, GW_OWNER);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(desk.messageBox("密码错误", 0), 0);
    ASSERT_TRUE(h.join());
    EXPECT_EQ(owner, lock);

    // Without the lock the box has no owner, as the widget asks.
    desk.destroyWindow(kLock);
    ASSERT_TRUE(pumpUntil([&] { return !desk.isLoaded(kLock); }));
    owner = reinterpret_cast<HWND>(1);
    Helper h2([&] {
        HWND box = findThreadWindow(me, L"信息：");
        if (!box) return PostThreadMessageW(me, WM_QUIT, 0, 0), void();
        owner = GetWindow(box, GW_OWNER);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(desk.messageBox("好", 0), 0);
    ASSERT_TRUE(h2.join());
    EXPECT_EQ(owner, nullptr);
}
