#pragma once
// Which part of the window a point is: the size-box edges, the caption strip (except
// over buttons, options and text controls), or the client area.
#include "ui/pure/Geometry.h"

class UIManagerCore;

// The platform's hit-test codes.
enum : int {
    UI_HTCLIENT = 1, UI_HTCAPTION = 2,
    UI_HTLEFT = 10, UI_HTRIGHT = 11, UI_HTTOP = 12, UI_HTTOPLEFT = 13, UI_HTTOPRIGHT = 14,
    UI_HTBOTTOM = 15, UI_HTBOTTOMLEFT = 16, UI_HTBOTTOMRIGHT = 17,
};

// `client` is the client rectangle and `pt` the point in client coordinates.
int CaptionHitTest(const UIManagerCore& core, const UIRect& client, UIPoint pt, bool maximised);
