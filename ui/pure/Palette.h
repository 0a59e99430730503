#pragma once
// The colours a window draws with. Normally the skin's own; when the system's high
// contrast is on, text, fills, borders, the focus ring and the progress bar take the
// system's colours instead (the user chose them to read by), while images stay as they
// are. The platform fills in the system's colours (ui/WindowManager.h); every control
// asks the palette for the colour it is about to use.
#include "ui/pure/Geometry.h"

struct UIPalette {
    bool highContrast = false;
    // The system's colours (opaque), used only in high contrast.
    UIColor windowText = 0xFF000000;     // text and borders
    UIColor window = 0xFFFFFFFF;         // backgrounds
    UIColor highlight = 0xFF0078D7;      // focus ring, progress fill
    UIColor grayText = 0xFF6D6D6D;       // disabled text
    UIColor hotLight = 0xFF0066CC;       // links

    // `skin` is the colour the layout asks for (0: none, which stays none).
    UIColor Text(UIColor skin) const noexcept { return highContrast ? windowText : skin; }
    UIColor DisabledText(UIColor skin) const noexcept { return highContrast ? grayText : skin; }
    UIColor LinkText(UIColor skin) const noexcept { return highContrast ? hotLight : skin; }
    UIColor Fill(UIColor skin) const noexcept { return highContrast && skin != 0 ? window : skin; }
    UIColor Border(UIColor skin) const noexcept { return highContrast && skin != 0 ? windowText : skin; }
    // The focus ring: an outer band in the skin's focus colour and an inner light band, so
    // that it shows on dark and on light backgrounds alike.
    UIColor FocusOuter(UIColor skin) const noexcept { return highContrast ? highlight : skin; }
    UIColor FocusInner() const noexcept { return highContrast ? window : 0xFFFFFFFF; }
    UIColor ProgressFill() const noexcept { return highlight; }
    friend bool operator==(const UIPalette&, const UIPalette&) = default;
};
