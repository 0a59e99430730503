#include "ui/win/Accessible.h"

#include <vector>
#include "ui/WindowManager.h"
#include "ui/pure/Control.h"

namespace {

struct ActionNames {
    std::wstring press = L"Press", check = L"Check", uncheck = L"Uncheck", jump = L"Jump";
};

ActionNames& Actions() {
    static ActionNames names;
    return names;
}

// A BSTR for `text`; S_FALSE and no string when there is nothing to say.
HRESULT ToBstr(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetChild(VARIANT* out, long id) {
    out->vt = VT_I4;
    out->lVal = id;
}

long ChildIdOf(const std::vector<CControlUI*>& controls, const CControlUI* control) {
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == control) return static_cast<long>(i) + 1;
    return CHILDID_SELF;
}

bool HasKeyboardFocus(HWND window) {
    const HWND focus = ::GetFocus();
    return focus != nullptr && (focus == window || ::IsChild(window, focus));
}

}  // namespace

void UISetAccessibleActionNames(const std::wstring& press, const std::wstring& check, const std::wstring& uncheck,
                                const std::wstring& jump) {
    ActionNames& names = Actions();
    if (!press.empty()) names.press = press;
    if (!check.empty()) names.check = check;
    if (!uncheck.empty()) names.uncheck = uncheck;
    if (!jump.empty()) names.jump = jump;
}

LONG AccessibleRole(UIRole role) {
    switch (role) {
    case UIRole::StaticText: return ROLE_SYSTEM_STATICTEXT;
    case UIRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case UIRole::CheckButton: return ROLE_SYSTEM_CHECKBUTTON;
    case UIRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case UIRole::Link: return ROLE_SYSTEM_LINK;
    case UIRole::EditableText: return ROLE_SYSTEM_TEXT;
    case UIRole::ProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
    case UIRole::Graphic: return ROLE_SYSTEM_GRAPHIC;
    default: return ROLE_SYSTEM_CLIENT;
    }
}

LONG AccessibleState(unsigned state) {
    struct Bit { unsigned ours; LONG system; };
    static constexpr Bit kBits[] = {
        {UI_ACC_FOCUSED, STATE_SYSTEM_FOCUSED},         {UI_ACC_FOCUSABLE, STATE_SYSTEM_FOCUSABLE},
        {UI_ACC_CHECKED, STATE_SYSTEM_CHECKED},         {UI_ACC_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE},
        {UI_ACC_INVISIBLE, STATE_SYSTEM_INVISIBLE},     {UI_ACC_READONLY, STATE_SYSTEM_READONLY},
        {UI_ACC_DEFAULT, STATE_SYSTEM_DEFAULT},         {UI_ACC_HOTTRACKED, STATE_SYSTEM_HOTTRACKED},
        {UI_ACC_PRESSED, STATE_SYSTEM_PRESSED},         {UI_ACC_LINKED, STATE_SYSTEM_LINKED},
    };
    LONG out = 0;
    for (const Bit& bit : kBits)
        if (state & bit.ours) out |= bit.system;
    return out;
}

// --- IUnknown and IDispatch ----------------------------------------------------------

HRESULT CAccessibleWindow::QueryInterface(REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CAccessibleWindow::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

ULONG CAccessibleWindow::Release() {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT CAccessibleWindow::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CAccessibleWindow::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CAccessibleWindow::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT CAccessibleWindow::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// --- IAccessible -----------------------------------------------------------------------

bool CAccessibleWindow::Connected() const { return manager_ != nullptr && manager_->GetPaintWindow() != nullptr; }

bool CAccessibleWindow::Resolve(const VARIANT& child, CControlUI** control, HRESULT* result) const {
    *control = nullptr;
    if (!Connected()) {
        *result = CO_E_OBJNOTCONNECTED;
        return false;
    }
    if (child.vt != VT_I4) {
        *result = E_INVALIDARG;
        return false;
    }
    if (child.lVal == CHILDID_SELF) return true;
    const std::vector<CControlUI*> controls = AccessibleControls(manager_->GetRoot());
    if (child.lVal < 1 || static_cast<size_t>(child.lVal) > controls.size()) {
        *result = E_INVALIDARG;
        return false;
    }
    *control = controls[static_cast<size_t>(child.lVal) - 1];
    return true;
}

HRESULT CAccessibleWindow::get_accParent(IDispatch** parent) {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    // The window object the system keeps for every window.
    const HRESULT hr = ::AccessibleObjectFromWindow(manager_->GetPaintWindow(), static_cast<DWORD>(OBJID_WINDOW),
                                                    IID_IDispatch, reinterpret_cast<void**>(parent));
    return SUCCEEDED(hr) ? hr : S_FALSE;
}

HRESULT CAccessibleWindow::get_accChildCount(long* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<long>(AccessibleControls(manager_->GetRoot()).size());
    return S_OK;
}

HRESULT CAccessibleWindow::get_accChild(VARIANT child, IDispatch** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    return S_FALSE;  // simple elements: the client answers for them
}

HRESULT CAccessibleWindow::get_accName(VARIANT child, BSTR* name) {
    if (name) *name = nullptr;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    if (control) return ToBstr(DescribeAccessible(*control).name, name);
    std::wstring own = manager_->GetAccessibleName();
    if (own.empty()) {
        own.resize(static_cast<size_t>(::GetWindowTextLengthW(manager_->GetPaintWindow())) + 1);
        own.resize(static_cast<size_t>(
            ::GetWindowTextW(manager_->GetPaintWindow(), own.data(), static_cast<int>(own.size()))));
    }
    return ToBstr(own, name);
}

HRESULT CAccessibleWindow::get_accValue(VARIANT child, BSTR* value) {
    if (value) *value = nullptr;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    return control ? ToBstr(DescribeAccessible(*control).value, value) : S_FALSE;
}

HRESULT CAccessibleWindow::get_accDescription(VARIANT child, BSTR* description) {
    if (description) *description = nullptr;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    // A tool tip that is not already the name says more about the control.
    if (control && control->GetToolTip() != control->GetAccessibleName())
        return ToBstr(control->GetToolTip(), description);
    return S_FALSE;
}

HRESULT CAccessibleWindow::get_accRole(VARIANT child, VARIANT* role) {
    if (role == nullptr) return E_POINTER;
    ::VariantInit(role);
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    role->vt = VT_I4;
    if (control) role->lVal = AccessibleRole(control->GetRole());
    else role->lVal = manager_->GetWindowAttributes().alert ? ROLE_SYSTEM_ALERT : ROLE_SYSTEM_CLIENT;
    return S_OK;
}

HRESULT CAccessibleWindow::get_accState(VARIANT child, VARIANT* state) {
    if (state == nullptr) return E_POINTER;
    ::VariantInit(state);
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    state->vt = VT_I4;
    if (control) {
        unsigned bits = DescribeAccessible(*control).state;
        // Focused only while the window itself has the keyboard.
        if (!HasKeyboardFocus(manager_->GetPaintWindow())) bits &= ~UI_ACC_FOCUSED;
        state->lVal = AccessibleState(bits);
    } else {
        const HWND window = manager_->GetPaintWindow();
        state->lVal = STATE_SYSTEM_FOCUSABLE;
        if (!::IsWindowVisible(window)) state->lVal |= STATE_SYSTEM_INVISIBLE;
        if (HasKeyboardFocus(window) && manager_->GetFocus() == nullptr) state->lVal |= STATE_SYSTEM_FOCUSED;
    }
    return S_OK;
}

HRESULT CAccessibleWindow::get_accHelp(VARIANT, BSTR* help) {
    if (help) *help = nullptr;
    return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT CAccessibleWindow::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

// The keys that press a button without the focus on it.
HRESULT CAccessibleWindow::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (shortcut) *shortcut = nullptr;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    if (control && control->IsDefaultButton()) return ToBstr(L"Enter", shortcut);
    if (control && control->IsCancelButton()) return ToBstr(L"Esc", shortcut);
    return S_FALSE;
}

HRESULT CAccessibleWindow::get_accFocus(VARIANT* child) {
    if (child == nullptr) return E_POINTER;
    ::VariantInit(child);
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    if (!HasKeyboardFocus(manager_->GetPaintWindow())) return S_FALSE;
    SetChild(child, ChildIdOf(AccessibleControls(manager_->GetRoot()), manager_->GetFocus()));
    return S_OK;
}

HRESULT CAccessibleWindow::get_accSelection(VARIANT* children) {
    if (children == nullptr) return E_POINTER;
    ::VariantInit(children);
    return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT CAccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (action) *action = nullptr;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    if (control == nullptr) return S_FALSE;
    const ActionNames& names = Actions();
    switch (DescribeAccessible(*control).action) {
    case UIAccAction::Press: return ToBstr(names.press, action);
    case UIAccAction::Check: return ToBstr(names.check, action);
    case UIAccAction::Uncheck: return ToBstr(names.uncheck, action);
    case UIAccAction::Jump: return ToBstr(names.jump, action);
    default: return S_FALSE;
    }
}

HRESULT CAccessibleWindow::accSelect(long flags, VARIANT child) {
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;  // nothing here is selected, only focused
    if (control && !IsTabStop(*control)) return S_FALSE;
    ::SetFocus(manager_->GetPaintWindow());
    manager_->SetFocus(control);
    return S_OK;
}

HRESULT CAccessibleWindow::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    // Client pixels of the window are screen pixels (the program is DPI aware).
    RECT r = {};
    if (control) r = ToRECT(control->GetPos());
    else ::GetClientRect(manager_->GetPaintWindow(), &r);
    POINT origin = {r.left, r.top};
    ::ClientToScreen(manager_->GetPaintWindow(), &origin);
    *left = origin.x;
    *top = origin.y;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT CAccessibleWindow::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (end == nullptr) return E_POINTER;
    ::VariantInit(end);
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(start, &control, &hr)) return hr;
    const long count = static_cast<long>(AccessibleControls(manager_->GetRoot()).size());
    long to = 0;
    if (control == nullptr) {
        if (direction == NAVDIR_FIRSTCHILD) to = 1;
        else if (direction == NAVDIR_LASTCHILD) to = count;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
        to = start.lVal + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
        to = start.lVal - 1;
    }
    if (to < 1 || to > count) return S_FALSE;
    SetChild(end, to);
    return S_OK;
}

HRESULT CAccessibleWindow::accHitTest(long x, long y, VARIANT* child) {
    if (child == nullptr) return E_POINTER;
    ::VariantInit(child);
    if (!Connected()) return CO_E_OBJNOTCONNECTED;
    const HWND window = manager_->GetPaintWindow();
    POINT pt = {x, y};
    ::ScreenToClient(window, &pt);
    RECT client = {};
    ::GetClientRect(window, &client);
    if (!::PtInRect(&client, pt)) return S_FALSE;
    const std::vector<CControlUI*> controls = AccessibleControls(manager_->GetRoot());
    // The control under the point, or the nearest of its ancestors that has a role.
    CControlUI* at = manager_->GetRoot()
                         ? manager_->GetRoot()->FindControlAt(UIPoint{pt.x, pt.y}, UIFIND_VISIBLE | UIFIND_TOP_FIRST)
                         : nullptr;
    long id = CHILDID_SELF;
    for (; at != nullptr && id == CHILDID_SELF; at = at->GetParent()) id = ChildIdOf(controls, at);
    SetChild(child, id);
    return S_OK;
}

HRESULT CAccessibleWindow::accDoDefaultAction(VARIANT child) {
    CControlUI* control = nullptr;
    HRESULT hr = S_OK;
    if (!Resolve(child, &control, &hr)) return hr;
    if (control == nullptr || DescribeAccessible(*control).action == UIAccAction::None) return DISP_E_MEMBERNOTFOUND;
    ::PostMessageW(manager_->GetPaintWindow(), kMsgAccessibleAction, static_cast<WPARAM>(child.lVal), 0);
    return S_OK;
}

HRESULT CAccessibleWindow::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT CAccessibleWindow::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }
