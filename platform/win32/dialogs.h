// The widget's two dialogs on Windows: the message box and the input box. Texts in
// and out are GBK.
#pragma once

#include <windows.h>

#include <string>

// MessageBoxW, owned by owner (none by default); task-modal unless the buttons value asks for
// MB_SYSTEMMODAL. Caption "信息：" when no title is given. Result: OK 0, Cancel 1,
// Abort 2, Retry 3, Ignore 4, Yes 5, No 6; -1 when the box could not be shown.
int messageBoxGbk(const std::string& message, int buttons, const std::string* title,
                  HWND owner = nullptr);

// Modal input dialog owned by owner (may be null). With a non-empty prompt the tall
// layout shows it in a sunken frame; an empty title keeps the caption "请输入：".
// OK or Enter return true with the text in `entered`; Cancel, Esc or the close box
// return false and leave `entered` as it was.
bool inputBoxGbk(HWND owner, const std::string& prompt, const std::string& title,
                 const std::string& initial, bool password, std::string& entered);

// Control identifiers of the input dialog (also used to find them in tests).
inline constexpr int kInputBoxEntryId = 1001;
inline constexpr int kInputBoxPromptId = 1002;
inline constexpr int kInputBoxFrameId = 1003;
