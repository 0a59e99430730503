#include "ui/ShadowUI.h"
#include "ui/UIGlobals.h"
#include "ui/pure/ImageDescription.h"
#include "ui/win/ImageDraw.h"
#include "ui/win/NativeClasses.h"

LRESULT CALLBACK ShadowWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Clicks go through to whatever lies below; the shadow never takes the activation.
    if (msg == WM_NCHITTEST) return HTTRANSPARENT;
    if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

CShadowUI::~CShadowUI() = default;

void CShadowUI::SetImage(const CUIString& description) {
    image_ = description;
    paintedSize_ = {};
    Update(true);
}

void CShadowUI::SetShow(bool show) {
    show_ = show;
    Update(true);
}

void CShadowUI::SetCorner(int left, int top, int right, int bottom) {
    corner_ = {left, top, right, bottom};
    paintedSize_ = {};
    Update(true);
}

void CShadowUI::Attach(HWND owner) {
    owner_ = owner;
    Update(true);
}

void CShadowUI::SetScale(UIScale scale) {
    if (scale == scale_) return;
    scale_ = scale;
    paintedSize_ = {};
    Update(true);
}

RECT CShadowUI::ScaledCorner() const {
    return RECT{scale_.Px(corner_.left), scale_.Px(corner_.top), scale_.Px(corner_.right), scale_.Px(corner_.bottom)};
}

void CShadowUI::OnOwnerMessage(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_SHOWWINDOW:
        // Shown while its owner is about to appear: where the system cannot put a window
        // below another (Wine without a window manager stacks newly shown windows on top),
        // the owner, shown next, still ends up above its shadow.
        Update(false, wParam != FALSE);
        break;
    case WM_WINDOWPOSCHANGED: case WM_SIZE: case WM_ACTIVATE:
        Update(false);
        break;
    case WM_DESTROY: case WM_NCDESTROY:
        shadow_.reset();
        owner_ = nullptr;
        break;
    default:
        break;
    }
}

void CShadowUI::Update(bool repaint, bool ownerShowing) {
    const bool wanted = show_ && !image_.empty() && owner_ != nullptr &&
                        (ownerShowing || ::IsWindowVisible(owner_)) && !::IsIconic(owner_);
    if (!wanted) {
        if (shadow_) ::ShowWindow(shadow_.get(), SW_HIDE);
        return;
    }
    if (!shadow_) {
        EnsureFrameworkWindowClasses();
        shadow_.reset(::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                        kShadowWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                                        ::GetWindow(owner_, GW_OWNER), nullptr, UIGetInstance(), nullptr));
        if (!shadow_) return;
    }
    RECT owner = {};
    ::GetWindowRect(owner_, &owner);
    const RECT corner = ScaledCorner();
    const SIZE size = {owner.right - owner.left + corner.left + corner.right,
                       owner.bottom - owner.top + corner.top + corner.bottom};
    if (repaint || size.cx != paintedSize_.cx || size.cy != paintedSize_.cy) {
        if (!Paint(owner)) {
            ::ShowWindow(shadow_.get(), SW_HIDE);
            return;
        }
    }
    // Just below the owner, so the shadow shows only around it.
    ::SetWindowPos(shadow_.get(), owner_, owner.left - corner.left, owner.top - corner.top, size.cx, size.cy,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool CShadowUI::Paint(const RECT& ownerRect) {
    const ImageDescription desc = ParseImageDescription(image_);
    auto image = images_.Get(desc, scale_.dpi);
    if (!image) return false;
    const RECT corner = ScaledCorner();
    const UIScale imageScale = UIScale::ForDpi(image->dpi);
    const RECT imageCorner = {imageScale.Px(corner_.left), imageScale.Px(corner_.top), imageScale.Px(corner_.right),
                              imageScale.Px(corner_.bottom)};
    const SIZE size = {ownerRect.right - ownerRect.left + corner.left + corner.right,
                       ownerRect.bottom - ownerRect.top + corner.top + corner.bottom};
    if (size.cx <= 0 || size.cy <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap surface(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemDC dc(::CreateCompatibleDC(nullptr));
    if (!surface || !dc) return false;
    HGDIOBJ oldSurface = ::SelectObject(dc.get(), surface.get());
    const RECT dest = {0, 0, size.cx, size.cy};
    DrawNineGrid(dc.get(), *image, dest, corner, imageCorner, 255);
    POINT from = {0, 0}, to = {ownerRect.left - corner.left, ownerRect.top - corner.top};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const bool ok = ::UpdateLayeredWindow(shadow_.get(), nullptr, &to, const_cast<SIZE*>(&size), dc.get(), &from, 0,
                                          &blend, ULW_ALPHA) != FALSE;
    ::SelectObject(dc.get(), oldSurface);
    if (!ok) return false;
    // Cut the owner's own area out of the shadow: where window managers cannot place the
    // shadow below its owner (Wine without one, for instance), it still never covers it.
    UniqueRegion ring(::CreateRectRgn(0, 0, size.cx, size.cy));
    UniqueRegion inner(::CreateRectRgn(corner.left, corner.top, size.cx - corner.right, size.cy - corner.bottom));
    if (ring && inner && ::CombineRgn(ring.get(), ring.get(), inner.get(), RGN_DIFF) != ERROR &&
        ::SetWindowRgn(shadow_.get(), ring.get(), TRUE))
        ring.release();  // the window owns its region now
    paintedSize_ = size;
    return true;
}
