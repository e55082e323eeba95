// Message box and input box on Windows (run under Wine): a helper thread finds the
// dialog the test thread is sitting in, checks it and presses its buttons.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/dialogs.h"
#include "platform/win32/wide.h"
#include "tests/win32/wait_helpers.h"

namespace {

using testwin::findThreadWindow;
using testwin::Helper;

// What the helper thread saw of the dialog, checked on the test thread afterwards.
struct Seen {
    bool found = false;
    std::wstring text;
    bool ownerDisabled = false;
    bool topmost = false;
};

// A small hidden top-level window of this thread, to own or be disabled by a box.
HWND plainWindow() {
    static const ATOM cls = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DialogsTestPlainWindow";
        return RegisterClassW(&wc);
    }();
    return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(cls)), L"", WS_POPUP,
                           0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring textOf(HWND h) {
    wchar_t buf[512] = {};
    GetWindowTextW(h, buf, 512);
    return buf;
}

// If the box never shows (or shows under another caption) the test thread would sit
// in it for ever: end its modal loop instead.
void giveUp(DWORD testThread) { PostThreadMessageW(testThread, WM_QUIT, 0, 0); }

TEST(MessageBoxGbk, MapsEveryButtonToItsResult) {
    struct Case {
        int buttons;
        int press;
        int result;
    } cases[] = {
        {MB_OK, IDOK, 0},          {MB_OKCANCEL, IDOK, 0},      {MB_OKCANCEL, IDCANCEL, 1},
        {MB_ABORTRETRYIGNORE, IDABORT, 2}, {MB_ABORTRETRYIGNORE, IDRETRY, 3},
        {MB_ABORTRETRYIGNORE, IDIGNORE, 4}, {MB_YESNO, IDYES, 5}, {MB_YESNO, IDNO, 6},
    };
    DWORD me = GetCurrentThreadId();
    for (const auto& c : cases) {
        Helper h([&] {
            HWND box = findThreadWindow(me, L"信息：");
            if (!box) return giveUp(me);
            SendMessageW(GetDlgItem(box, c.press), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(messageBoxGbk("内容", c.buttons, nullptr), c.result) << c.buttons << "/" << c.press;
        ASSERT_TRUE(h.join());
    }
}

TEST(MessageBoxGbk, TaskModalUnlessSystemModalAndShowsTitleAndText) {
    DWORD me = GetCurrentThreadId();
    // A top-level window of this thread: a task-modal box disables it.
    HWND other = plainWindow();
    ASSERT_TRUE(other);
    struct Case {
        int buttons;
        bool disables;
    } cases[] = {{MB_OK, true}, {MB_OK | MB_SYSTEMMODAL, false}};
    for (const auto& c : cases) {
        Seen seen;
        std::string title = "提醒";
        Helper h([&] {
            HWND box = findThreadWindow(me, L"提醒");
            if (!box) return giveUp(me);
            seen.found = true;
            seen.text = textOf(GetDlgItem(box, 0xFFFF));  // the message's static control
            seen.ownerDisabled = !IsWindowEnabled(other);
            seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(messageBoxGbk("请休息一下", c.buttons, &title), 0);
        ASSERT_TRUE(h.join());
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.text, L"请休息一下");
        EXPECT_EQ(seen.ownerDisabled, c.disables) << c.buttons;
        EXPECT_TRUE(IsWindowEnabled(other)) << "enabled again afterwards";
        if (!c.disables) {
            EXPECT_TRUE(seen.topmost);
        }
    }
    DestroyWindow(other);
}

// The input box's controls, seen from the helper thread.
struct InputSeen {
    bool found = false;
    std::wstring entry, prompt, ok, cancel;
    DWORD entryStyle = 0, entryExStyle = 0;
    DWORD selStart = 1, selEnd = 0;
    bool hasFrame = false, ownerDisabled = false, ownerIsOwner = false;
    RECT entryRect = {}, expectedEntry = {}, okRect = {}, expectedOk = {};
    RECT client = {}, expectedClient = {};
    POINT centre = {}, screenCentre = {};
};

RECT childRect(HWND dlg, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Where the dialog manager puts an item: position and size are converted apart.
RECT dialogUnits(HWND dlg, int x, int y, int cx, int cy) {
    RECT r = {x, y, cx, cy};
    MapDialogRect(dlg, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

void inspect(HWND dlg, bool withPrompt, HWND owner, InputSeen& s) {
    s.found = true;
    HWND entry = GetDlgItem(dlg, kInputBoxEntryId);
    s.entry = textOf(entry);
    s.entryStyle = static_cast<DWORD>(GetWindowLongW(entry, GWL_STYLE));
    s.entryExStyle = static_cast<DWORD>(GetWindowLongW(entry, GWL_EXSTYLE));
    SendMessageW(entry, EM_GETSEL, reinterpret_cast<WPARAM>(&s.selStart),
                 reinterpret_cast<LPARAM>(&s.selEnd));
    s.prompt = textOf(GetDlgItem(dlg, kInputBoxPromptId));
    s.hasFrame = GetDlgItem(dlg, kInputBoxFrameId) != nullptr;
    s.ok = textOf(GetDlgItem(dlg, IDOK));
    s.cancel = textOf(GetDlgItem(dlg, IDCANCEL));
    s.entryRect = childRect(dlg, entry);
    s.okRect = childRect(dlg, GetDlgItem(dlg, IDOK));
    s.expectedEntry = withPrompt ? dialogUnits(dlg, 7, 45, 238, 12) : dialogUnits(dlg, 7, 7, 200, 12);
    s.expectedOk = withPrompt ? dialogUnits(dlg, 63, 66, 55, 19) : dialogUnits(dlg, 82, 30, 55, 19);
    GetClientRect(dlg, &s.client);
    s.expectedClient = withPrompt ? dialogUnits(dlg, 0, 0, 252, 92) : dialogUnits(dlg, 0, 0, 214, 56);
    RECT w;
    GetWindowRect(dlg, &w);
    s.centre = {(w.left + w.right) / 2, (w.top + w.bottom) / 2};
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    s.screenCentre = {(work.left + work.right) / 2, (work.top + work.bottom) / 2};
    if (owner) {
        s.ownerDisabled = !IsWindowEnabled(owner);
        s.ownerIsOwner = GetWindow(dlg, GW_OWNER) == owner;
    }
}

::testing::AssertionResult sameRect(const RECT& a, const RECT& b) {
    if (a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << ")-(" << a.right << ","
                                         << a.bottom << ") instead of (" << b.left << "," << b.top
                                         << ")-(" << b.right << "," << b.bottom << ")";
}

TEST(InputBox, LaysOutBothVariantsAndSelectsTheInitialText) {
    DWORD me = GetCurrentThreadId();
    struct Case {
        const char* prompt;
        const char* title;
        const wchar_t* caption;
        bool password;
    } cases[] = {
        {"请输入解锁密码：", "紧急解锁", L"紧急解锁", true},
        {"", "", L"请输入：", false},
    };
    for (const auto& c : cases) {
        InputSeen seen;
        Helper h([&] {
            HWND dlg = findThreadWindow(me, c.caption);
            if (!dlg) return giveUp(me);
            inspect(dlg, *c.prompt != 0, nullptr, seen);
            SendMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        });
        std::string entered = "before";
        EXPECT_TRUE(inputBoxGbk(nullptr, c.prompt, c.title, "初始文字", c.password, entered));
        ASSERT_TRUE(h.join());
        ASSERT_TRUE(seen.found) << c.prompt;
        EXPECT_EQ(entered, "初始文字") << "OK returns the text as it stands";
        EXPECT_EQ(seen.entry, L"初始文字");
        EXPECT_EQ(seen.selStart, 0u);
        EXPECT_EQ(seen.selEnd, 4u) << "all of the initial text selected";
        EXPECT_EQ((seen.entryStyle & ES_PASSWORD) != 0, c.password);
        EXPECT_NE(seen.entryStyle & ES_AUTOHSCROLL, 0u);
        // NOTE: the dialog manager turns an edit box's WS_BORDER into a client edge.
        EXPECT_TRUE((seen.entryStyle & WS_BORDER) || (seen.entryExStyle & WS_EX_CLIENTEDGE));
        EXPECT_EQ(seen.ok, L"确认输入(&O)");
        EXPECT_EQ(seen.cancel, L"取消(&C)");
        EXPECT_EQ(seen.hasFrame, *c.prompt != 0);
        EXPECT_EQ(seen.prompt, *c.prompt ? std::wstring(win32::widen(c.prompt)) : L"");
        EXPECT_TRUE(sameRect(seen.entryRect, seen.expectedEntry)) << c.prompt;
        EXPECT_TRUE(sameRect(seen.okRect, seen.expectedOk)) << c.prompt;
        EXPECT_TRUE(sameRect(seen.client, seen.expectedClient)) << c.prompt;
        EXPECT_NEAR(seen.centre.x, seen.screenCentre.x, 2);
        EXPECT_NEAR(seen.centre.y, seen.screenCentre.y, 2);
    }
}

// The ways out of the input box: typed text with OK or Enter; Cancel, Esc or the
// close box leave the caller's text alone.
TEST(InputBox, OkAndEnterReturnTheTextOthersLeaveItUntouched) {
    DWORD me = GetCurrentThreadId();
    enum Way { OkButton, Enter, CancelButton, Escape, CloseBox };
    struct Case {
        Way way;
        bool result;
        const char* after;
    } cases[] = {
        {OkButton, true, "quietforest"}, {Enter, true, "quietforest"},
        {CancelButton, false, "旧的"},    {Escape, false, "旧的"},
        {CloseBox, false, "旧的"},
    };
    for (const auto& c : cases) {
        Helper h([&] {
            HWND dlg = findThreadWindow(me, L"请输入：");
            if (!dlg) return giveUp(me);
            HWND entry = GetDlgItem(dlg, kInputBoxEntryId);
            SendMessageW(entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"quietforest"));
            switch (c.way) {
                case OkButton: SendMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0); break;
                case CancelButton: SendMessageW(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0); break;
                // Keys go through the dialog's own message loop, as typed keys do.
                case Enter: PostMessageW(entry, WM_KEYDOWN, VK_RETURN, 0); break;
                case Escape: PostMessageW(entry, WM_KEYDOWN, VK_ESCAPE, 0); break;
                case CloseBox: PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            }
        });
        std::string entered = "旧的";
        EXPECT_EQ(inputBoxGbk(nullptr, "", "", "", true, entered), c.result) << c.way;
        ASSERT_TRUE(h.join());
        EXPECT_EQ(entered, c.after) << c.way;
    }
}

TEST(InputBox, IsModalToItsOwner) {
    DWORD me = GetCurrentThreadId();
    HWND owner = plainWindow();
    ASSERT_TRUE(owner);
    InputSeen seen;
    Helper h([&] {
        HWND dlg = findThreadWindow(me, L"请输入：");
        if (!dlg) return giveUp(me);
        inspect(dlg, false, owner, seen);
        SendMessageW(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
    });
    std::string entered = "x";
    EXPECT_FALSE(inputBoxGbk(owner, "", "", "", false, entered));
    ASSERT_TRUE(h.join());
    EXPECT_TRUE(seen.ownerIsOwner);
    EXPECT_TRUE(seen.ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

}  // namespace
