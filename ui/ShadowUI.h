#pragma once
// The drop shadow of a window: a layered, click-through popup that lies just below its
// owner in Z order, extends the corner borders beyond it on each side and shows the shadow
// image stretched over that area with the borders kept. No image, no shadow.
#include <windows.h>
#include <memory>
#include "base/Handles.h"
#include "ui/UIString.h"
#include "ui/pure/DpiScale.h"
#include "ui/win/ImageCache.h"

class CShadowUI {
public:
    CShadowUI() = default;
    ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // An image description, e.g. "res\shadow.png" (a file under the resource folder).
    void SetImage(const CUIString& description);
    void SetShow(bool show);
    // How far the shadow reaches beyond the window on each side, in markup pixels (at the
    // window's scale on screen); the image keeps as many of its own pixels unstretched.
    void SetCorner(int left, int top, int right, int bottom);
    void SetCorner(const RECT& corner) { SetCorner(corner.left, corner.top, corner.right, corner.bottom); }

    bool IsShowing() const { return show_; }
    const CUIString& GetImage() const { return image_; }
    RECT GetCorner() const { return corner_; }
    // The shadow window, once it exists (for tests).
    HWND GetShadowHWND() const { return shadow_.get(); }

    // Called by the window's manager: bind to the window, and follow its moves, sizes,
    // visibility and destruction, and its scale.
    void Attach(HWND owner);
    void SetScale(UIScale scale);
    void OnOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Update(bool repaint, bool ownerShowing = false);
    bool Paint(const RECT& ownerRect);
    RECT ScaledCorner() const;

    HWND owner_ = nullptr;
    UniqueWindow shadow_;
    CUIString image_;
    bool show_ = false;
    RECT corner_ = {};
    UIScale scale_;
    SIZE paintedSize_ = {};
    CImageCache images_;
};
