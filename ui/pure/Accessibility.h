#pragma once
// What assistive technology is told about the controls of a window, as plain data: the
// role of each control, its name, value and state, where it is and what its default
// action does. The platform side turns this into the system's accessibility interface
// (ui/win/Accessible.h); the rules live here so that they are tested natively.
//
// Rules:
// - Role: the layout's "role" attribute, else the class's own (label: static text,
//   button: push button, check box: check button, option in a group: radio button, edit
//   and rich edit: editable text, progress bar). Plain controls and containers have none
//   and stay out of the tree: it is flat, as in a dialog of native controls.
// - Name: a name given to the control (the layout's "nameid", filled from the string
//   table by the window, or set by code), else the text of a control that shows its text
//   (static text, buttons, links, check buttons), else its tool tip.
// - A graphic is decoration and always invisible; so is static text without text.
// - Tab stops are the visible, enabled controls of an acting role (buttons, check and
//   radio buttons, links, editable text) that the keyboard may reach, in document order,
//   which is the layouts' reading order.
#include <string_view>
#include <vector>
#include "ui/UIString.h"
#include "ui/pure/Geometry.h"

class CControlUI;

enum class UIRole {
    Auto,          // the class decides (not a role of its own)
    None,          // not in the accessibility tree
    StaticText,
    PushButton,
    CheckButton,
    RadioButton,
    Link,
    EditableText,
    ProgressBar,
    Graphic,
};

// "none", "text", "button", "checkbox", "radio", "link", "edit", "progress", "graphic";
// anything else (the empty text included) is Auto.
UIRole ParseRole(std::wstring_view text);
// Roles whose controls act on the keyboard (and take the focus by Tab).
bool IsActingRole(UIRole role);

// State bits, as the system's accessibility states name them.
enum : unsigned {
    UI_ACC_FOCUSED = 0x1,
    UI_ACC_FOCUSABLE = 0x2,
    UI_ACC_CHECKED = 0x4,
    UI_ACC_UNAVAILABLE = 0x8,   // disabled
    UI_ACC_INVISIBLE = 0x10,
    UI_ACC_READONLY = 0x20,
    UI_ACC_DEFAULT = 0x40,      // the button that Return presses
    UI_ACC_HOTTRACKED = 0x80,   // under the pointer
    UI_ACC_PRESSED = 0x100,
    UI_ACC_LINKED = 0x200,
};

// What changed, for the system's accessibility events. A control's event is raised only
// while it belongs to the window's tree; no control means the window (its client area).
enum class UIAccEvent {
    Focus,        // the control (none: the window itself) took the keyboard focus
    StateChange,  // checked, enabled
    NameChange,
    ValueChange,
    Show,
    Hide,
    Alert,        // the window is a message for the user (raised once, when it is first shown)
};

// What the default action of a control does.
enum class UIAccAction { None, Press, Check, Uncheck, Jump };

struct UIAccessibleInfo {
    UIRole role = UIRole::None;
    CUIString name;
    CUIString value;        // editable text: its text; progress bar: "37%"
    unsigned state = 0;     // UI_ACC_* bits
    UIRect rect;            // client coordinates, device pixels
    UIAccAction action = UIAccAction::None;
};

// The controls of the tree under `root` that have a role, in document order; the
// position of a control in this list plus one is its child id.
std::vector<CControlUI*> AccessibleControls(CControlUI* root);
// The description of one control (focus as its manager holds it).
UIAccessibleInfo DescribeAccessible(CControlUI& control);
// True when Tab may give the control the focus.
bool IsTabStop(CControlUI& control);
