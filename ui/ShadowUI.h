#pragma once
// The drop shadow of a window: a layered, click-through popup that lies just below its
// owner in Z order, extends the corner borders beyond it on each side and shows the shadow
// image stretched over that area with the borders kept. No image, no shadow.
#include <windows.h>
#include <memory>
#include "ui/Handles.h"
#include "ui/UIString.h"
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
    void SetCorner(int left, int top, int right, int bottom);
    void SetCorner(const RECT& corner) { SetCorner(corner.left, corner.top, corner.right, corner.bottom); }

    bool IsShowing() const { return show_; }
    const CUIString& GetImage() const { return image_; }
    RECT GetCorner() const { return corner_; }
    // The shadow window, once it exists (for tests).
    HWND GetShadowHWND() const { return shadow_.get(); }

    // Called by the window's manager: bind to the window, and follow its moves, sizes,
    // visibility and destruction.
    void Attach(HWND owner);
    void OnOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Update(bool repaint, bool ownerShowing = false);
    bool Paint(const RECT& ownerRect);

    HWND owner_ = nullptr;
    UniqueWindow shadow_;
    CUIString image_;
    bool show_ = false;
    RECT corner_ = {};
    SIZE paintedSize_ = {};
    CImageCache images_;
};
