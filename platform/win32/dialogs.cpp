// Message box and input box on Windows. The input box is built as an in-memory
// dialog template, so it needs no resource script and keeps its layout in code.
#include "platform/win32/dialogs.h"

#include <vector>

#include "platform/win32/wide.h"

int messageBoxGbk(const std::string& message, int buttons, const std::string* title, HWND owner) {
    UINT type = static_cast<UINT>(buttons);
    if (!(type & MB_SYSTEMMODAL)) type |= MB_TASKMODAL;
    std::wstring caption = title ? win32::widen(*title) : std::wstring(L"信息：");
    int id = MessageBoxW(owner, win32::widen(message).c_str(), caption.c_str(), type);
    switch (id) {
        case IDOK: return 0;
        case IDCANCEL: return 1;
        case IDABORT: return 2;
        case IDRETRY: return 3;
        case IDIGNORE: return 4;
        case IDYES: return 5;
        case IDNO: return 6;
        default: return -1;
    }
}

namespace {

// Builds a DLGTEMPLATE with its items in a WORD buffer, keeping the alignment rules:
// the template and every item start on a DWORD boundary, strings are UTF-16.
class TemplateBuilder {
public:
    void dialog(DWORD style, short cx, short cy, const std::wstring& caption,
                const wchar_t* font, WORD points) {
        putDword(style);
        putDword(0);            // extended style
        countAt_ = words_.size();
        words_.push_back(0);    // item count, filled in by item()
        putShorts(0, 0, cx, cy);
        words_.push_back(0);    // no menu
        words_.push_back(0);    // the standard dialog class
        putString(caption.c_str());
        words_.push_back(points);
        putString(font);
    }

    void item(WORD atom, DWORD style, short x, short y, short cx, short cy, WORD id,
              const std::wstring& text) {
        alignDword();
        putDword(style | WS_CHILD | WS_VISIBLE);
        putDword(0);
        putShorts(x, y, cx, cy);
        words_.push_back(id);
        words_.push_back(0xFFFF);  // predefined class by atom
        words_.push_back(atom);
        putString(text.c_str());
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void putDword(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void putShorts(short a, short b, short c, short d) {
        for (short v : {a, b, c, d}) words_.push_back(static_cast<WORD>(v));
    }
    void putString(const wchar_t* s) {
        while (*s) words_.push_back(static_cast<WORD>(*s++));
        words_.push_back(0);
    }
    void alignDword() {
        if (words_.size() % 2) words_.push_back(0);
    }
    // The vector's storage is new-allocated, so it starts DWORD-aligned.
    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

struct InputState {
    std::wstring initial;
    std::wstring result;
};

INT_PTR CALLBACK inputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            auto* st = reinterpret_cast<InputState*>(lp);
            HWND entry = GetDlgItem(dlg, kInputBoxEntryId);
            SetWindowTextW(entry, st->initial.c_str());
            SendMessageW(entry, EM_SETSEL, 0, -1);
            SetFocus(entry);
            return FALSE;  // focus set here
        }
        case WM_COMMAND: {
            auto* st = reinterpret_cast<InputState*>(GetWindowLongPtrW(dlg, DWLP_USER));
            int id = LOWORD(wp);
            if (id == IDOK && st) {
                HWND entry = GetDlgItem(dlg, kInputBoxEntryId);
                int n = GetWindowTextLengthW(entry);
                std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
                n = GetWindowTextW(entry, text.data(), n + 1);
                text.resize(static_cast<std::size_t>(n));
                st->result = std::move(text);
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (id == IDCANCEL) {  // also Esc and the close box
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        }
        default: return FALSE;
    }
}

}  // namespace

bool inputBoxGbk(HWND owner, const std::string& prompt, const std::string& title,
                 const std::string& initial, bool password, std::string& entered) {
    const DWORD style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const std::wstring caption = title.empty() ? std::wstring(L"请输入：") : win32::widen(title);
    const DWORD entryStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0);
    TemplateBuilder t;
    if (!prompt.empty()) {
        t.dialog(style, 252, 92, caption, L"宋体", 9);
        // The prompt comes before the frame so it stays on top where they overlap;
        // the etched frame paints only its edge.
        t.item(kStatic, SS_LEFT | SS_NOPREFIX, 12, 11, 229, 27, kInputBoxPromptId,
               win32::widen(prompt));
        t.item(kStatic, SS_ETCHEDFRAME, 7, 7, 238, 35, kInputBoxFrameId, L"");
        t.item(kEdit, entryStyle, 7, 45, 238, 12, kInputBoxEntryId, L"");
        t.item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 63, 66, 55, 19, IDOK, L"确认输入(&O)");
        t.item(kButton, BS_PUSHBUTTON | WS_TABSTOP, 134, 66, 55, 19, IDCANCEL, L"取消(&C)");
    } else {
        t.dialog(style, 214, 56, caption, L"宋体", 9);
        t.item(kEdit, entryStyle, 7, 7, 200, 12, kInputBoxEntryId, L"");
        t.item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 82, 30, 55, 19, IDOK, L"确认输入(&O)");
        t.item(kButton, BS_PUSHBUTTON | WS_TABSTOP, 151, 30, 55, 19, IDCANCEL, L"取消(&C)");
    }
    InputState st{win32::widen(initial), {}};
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, inputProc,
                                        reinterpret_cast<LPARAM>(&st));
    if (r != IDOK) return false;
    entered = win32::narrow(st.result);
    return true;
}
