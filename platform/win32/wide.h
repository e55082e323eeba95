// GBK (code page 936) <-> UTF-16 for the Win32 layer: the logic's texts are GBK
// whatever the system's locale, so every text crossing into Windows is converted
// explicitly and the wide (W) functions are called.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

inline constexpr UINT kGbk = 936;

inline std::wstring widen(const std::string& gbk) {
    if (gbk.empty()) return {};
    int n = MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

inline std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

}  // namespace win32
