// The Windows desktop's painting: pictures decoded once and kept as bitmaps scaled to
// their box, double-buffered window paints with the transparent labels drawn over the
// background, labels and picture boxes, and window shapes and opacity.
#include <cstring>

#include "platform/shape.h"
#include "platform/win32/desktop.h"
#include "platform/win32/region.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"

namespace win32 {

namespace {

HBITMAP bitmapOf(const Picture& p) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;  // top-down rows, like the picture
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (b && bits) std::memcpy(bits, p.argb.data(), p.argb.size() * sizeof(std::uint32_t));
    return b;
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

UINT textFormat(const ControlUnit& u) {
    UINT f = DT_SINGLELINE | DT_NOPREFIX;
    f |= u.align == Align::Centre ? DT_CENTER : u.align == Align::Right ? DT_RIGHT : DT_LEFT;
    if (u.verticalCentre) f |= DT_VCENTER;
    return f;
}

}  // namespace

void ShownPicture::set(const Bytes& bytes) {
    keep(bytes);
    decoded();
}

void ShownPicture::keep(const Bytes& bytes) {
    dropBitmap();
    bytes_ = bytes;
    decoded_.reset();
    decodeTried_ = false;
}

std::shared_ptr<const Picture> ShownPicture::decoded() {
    if (!decodeTried_) {
        decodeTried_ = true;
        if (!bytes_.empty())
            if (auto p = decodePicture(bytes_, limit_, limit_))
                decoded_ = std::make_shared<const Picture>(std::move(*p));
    }
    return decoded_;
}

HDC ShownPicture::sourceFor(int w, int h, COLORREF back) {
    if (w <= 0 || h <= 0 || !decoded()) return nullptr;
    if (dc_ && width_ == w && height_ == h && over_ == back) return dc_;
    dropBitmap();
    const Picture& p = *decoded_;
    // Scaled once per picture, box size and background, not on every paint.
    Picture shown = p.width == w && p.height == h ? compositeOver(p, back)
                                                  : compositeOver(scalePicture(p, w, h), back);
    if (shown.width != w || shown.height != h) return nullptr;
    bitmap_ = bitmapOf(shown);
    if (!bitmap_) return nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return dropBitmap(), nullptr;
    dcOriginal_ = SelectObject(dc_, bitmap_);
    width_ = w, height_ = h, over_ = back;
    return dc_;
}

void ShownPicture::dropBitmap() {
    if (dc_) {
        SelectObject(dc_, dcOriginal_);
        DeleteDC(dc_);
    }
    dc_ = nullptr;
    dcOriginal_ = nullptr;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
}

namespace {

bool hasTextToDraw(const LiveWindow& lw) {
    for (const LiveControl& c : lw.controls)
        if (c.kind == ControlKind::TransparentLabel && c.visible && !c.text.empty()) return true;
    return false;
}

}  // namespace

// The background: the picture stretched or tiled over the back colour, or the colour.
void Desktop::paintBackground(LiveWindow& lw, HDC to, const RECT& area, const RECT& client) {
    const COLORREF back = resolveColour(lw.backColour);
    const int aw = area.right - area.left, ah = area.bottom - area.top;
    if (unitFor(lw.id).pictureMode == PictureMode::Stretched) {
        // The stretched picture covers the whole client area: no fill under it.
        if (HDC pic = lw.backPicture.sourceFor(client.right, client.bottom, back))
            BitBlt(to, area.left, area.top, aw, ah, pic, area.left, area.top, SRCCOPY);
        else
            fill(to, area, back);
        return;
    }
    auto p = lw.backPicture.decoded();
    HDC pic = p && p->width > 0 && p->height > 0
                  ? lw.backPicture.sourceFor(p->width, p->height, back)
                  : nullptr;
    if (!pic) return fill(to, area, back);
    for (int y = 0; y < client.bottom; y += p->height)
        for (int x = 0; x < client.right; x += p->width)
            BitBlt(to, x, y, p->width, p->height, pic, 0, 0, SRCCOPY);
}

void Desktop::paintWindow(LiveWindow& lw) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(lw.hwnd, &ps);
    const RECT pr = ps.rcPaint;
    const int pw = pr.right - pr.left, ph = pr.bottom - pr.top;
    RECT client{};
    GetClientRect(lw.hwnd, &client);
    if (pw > 0 && ph > 0 && !hasTextToDraw(lw)) {
        // Nothing is drawn over the background (the icon, every 120 ms): it goes
        // straight to the window, each pixel once, so nothing can show half-drawn.
        paintBackground(lw, dc, pr, client);
    } else if (pw > 0 && ph > 0) {
        // Drawn off screen, then copied in one go: the background, picture and label
        // texts never show half-drawn.
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP buffer = CreateCompatibleBitmap(dc, pw, ph);
        HGDIOBJ oldBuffer = SelectObject(mem, buffer);
        SetViewportOrgEx(mem, -pr.left, -pr.top, nullptr);
        paintBackground(lw, mem, pr, client);
        SetBkMode(mem, TRANSPARENT);
        for (const LiveControl& c : lw.controls) {
            if (c.kind != ControlKind::TransparentLabel || !c.visible || c.text.empty()) continue;
            RECT r{c.left, c.top, c.left + c.width, c.top + c.height};
            HGDIOBJ oldFont = SelectObject(mem, fontFor(lw, c.unit->font));
            SetTextColor(mem, resolveColour(c.textColour));
            DrawTextW(mem, widen(c.text).c_str(), -1, &r, textFormat(*c.unit));
            SelectObject(mem, oldFont);
        }
        SetViewportOrgEx(mem, 0, 0, nullptr);
        BitBlt(dc, pr.left, pr.top, pw, ph, mem, 0, 0, SRCCOPY);
        SelectObject(mem, oldBuffer);
        DeleteObject(buffer);
        DeleteDC(mem);
    }
    EndPaint(lw.hwnd, &ps);
}

void Desktop::paintControl(LiveWindow& lw, LiveControl& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(c.hwnd, &ps);
    RECT r{};
    GetClientRect(c.hwnd, &r);
    const COLORREF back = resolveColour(c.backColour);
    if (c.kind == ControlKind::PictureBox) {
        // Stretched to the whole box, composited over the box's background.
        if (HDC pic = c.picture.sourceFor(r.right, r.bottom, back))
            BitBlt(dc, 0, 0, r.right, r.bottom, pic, 0, 0, SRCCOPY);
        else
            fill(dc, r, back);
    } else if (c.kind == ControlKind::Label) {
        fill(dc, r, back);
        if (c.unit->border) FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        if (!c.text.empty()) {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, resolveColour(c.textColour));
            HGDIOBJ oldFont = SelectObject(dc, fontFor(lw, c.unit->font));
            DrawTextW(dc, widen(c.text).c_str(), -1, &r, textFormat(*c.unit));
            SelectObject(dc, oldFont);
        }
    }
    EndPaint(c.hwnd, &ps);
}

// The key colour as the screen renders it: written into a screen-compatible bitmap
// and read back, so a 16-bit display compares against what it really shows. Asked on
// every breathing tick, so kept until the display's colour depth changes.
std::uint32_t Desktop::renderedKey(Colour key) {
    const Colour rgb = key & 0xFFFFFF;
    if (auto known = renderedKeys_.find(rgb); known != renderedKeys_.end()) return known->second;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bm = CreateCompatibleBitmap(screen, 2, 2);
    HGDIOBJ old = SelectObject(mem, bm);
    SetPixel(mem, 1, 1, rgb);
    COLORREF got = GetPixel(mem, 1, 1);
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (got == CLR_INVALID) got = rgb;
    const std::uint32_t rendered =
        0xFF000000u | (GetRValue(got) << 16) | (GetGValue(got) << 8) | GetBValue(got);
    renderedKeys_[rgb] = rendered;
    return rendered;
}

bool Desktop::setWindowShape(WindowId w, const Bytes& picture, Colour key) {
    LiveWindow* lw = live(w);
    if (!lw) return misuse("shape of an unloaded window"), false;
    if (picture.empty()) return false;
    // The icon cuts its shape from the picture it shows: that one is decoded already.
    std::shared_ptr<const Picture> pic;
    if (picture == lw->backPicture.bytes()) {
        pic = lw->backPicture.decoded();
    } else {
        ShownPicture other;
        if (w == WindowId::IconWindow) other.setSizeLimit(kIconSizeLimit);
        other.set(picture);
        pic = other.decoded();
    }
    if (!pic) return false;
    const Picture opaque = compositeOver(*pic, key & 0xFFFFFF);
    std::vector<Run> runs = shapeRuns(opaque, renderedKey(key));
    // NOTE: the breathing frames mostly share one outline; handing the same region to
    // the system every 120 ms costs a window-manager round trip (under Wine an X
    // shape request) for nothing.
    if (lw->hasShape && runs == lw->shapeRuns) return true;
    HRGN region = regionFromRuns(runs);
    if (!region) return false;
    if (!SetWindowRgn(lw->hwnd, region, TRUE)) {  // the system owns the region from here
        DeleteObject(region);
        return false;
    }
    lw->shapeRuns = std::move(runs);
    lw->hasShape = true;
    return true;
}

bool Desktop::setWindowOpacity(WindowHandle h, int opacity) {
    if (opacity < 0 || opacity > 255) opacity = 255;
    return setWindowOpacityWin(reinterpret_cast<HWND>(h), opacity);
}

}  // namespace win32
