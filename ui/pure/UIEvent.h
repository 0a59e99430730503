#pragma once
// Abstract input events that the manager core dispatches to controls. The platform side
// turns its window messages into calls on UIManagerCore, which builds these.
#include <cstdint>
#include "ui/pure/Geometry.h"

class CControlUI;

enum class UIEventType {
    MouseEnter, MouseLeave, MouseMove, MouseHover,
    ButtonDown, ButtonUp, DblClick, RButtonDown, ContextMenu, ScrollWheel,
    KeyDown, KeyUp, Char,
    SetFocus, KillFocus,
    SetCursor,
    CaptureLost,  // the mouse capture was taken away while a button was held
    Timer,
};

// Key codes used by the controls (the platform's virtual-key values).
enum : unsigned {
    UI_VK_BACK = 0x08, UI_VK_TAB = 0x09, UI_VK_RETURN = 0x0D, UI_VK_ESCAPE = 0x1B,
    UI_VK_SPACE = 0x20, UI_VK_LEFT = 0x25, UI_VK_UP = 0x26, UI_VK_RIGHT = 0x27, UI_VK_DOWN = 0x28,
};

// Modifier and button state bits (the platform's MK_* values).
enum : unsigned {
    UI_MK_LBUTTON = 0x1, UI_MK_RBUTTON = 0x2, UI_MK_SHIFT = 0x4, UI_MK_CONTROL = 0x8,
    UI_KEY_REPEAT = 0x100,  // a key press repeated while the key is held
};

struct UIEvent {
    UIEventType type = UIEventType::MouseMove;
    CControlUI* sender = nullptr;
    UIPoint ptMouse;          // client coordinates
    unsigned key = 0;         // virtual key (KeyDown/KeyUp), character (Char), timer id (Timer)
    unsigned keyState = 0;    // UI_MK_* bits
    int wheelDelta = 0;       // ScrollWheel
    uint32_t timestamp = 0;
};

enum class UICursor { Arrow, Hand, IBeam, SizeWE, SizeNS };
