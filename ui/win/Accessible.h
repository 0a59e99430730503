#pragma once
// The window's answer to WM_GETOBJECT for its client area: an IAccessible (Microsoft
// Active Accessibility; UI Automation clients reach it through the system's bridge) over
// the drawn controls, described by ui/pure/Accessibility.h. The client object is the
// parent; every control with a role is a simple child element whose id is its place in
// the tree plus one, so ids stay the same while pages are shown and hidden.
//
// The object is reference counted and may outlive its window (a client may hold it):
// once the window is destroyed (or its manager gone) every call answers
// CO_E_OBJNOTCONNECTED.
#include <windows.h>
#include <oleacc.h>
#include <string>
#include "ui/pure/Accessibility.h"

class CWindowManager;

// The words a screen reader says for the default actions ("press", ...), from the
// program's string table; English until they are set. Process-wide.
void UISetAccessibleActionNames(const std::wstring& press, const std::wstring& check, const std::wstring& uncheck,
                                const std::wstring& jump);

// A control's default action asked for by a client is carried out from the window's own
// message loop (the client may be waiting in another process): wParam is the child id.
inline constexpr UINT kMsgAccessibleAction = WM_APP + 0x3A5;

class CAccessibleWindow final : public IAccessible {
public:
    explicit CAccessibleWindow(CWindowManager* manager) : manager_(manager) {}
    // The manager goes away: the object stays for whoever holds it, answering nothing.
    void Disconnect() { manager_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: no type information; clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override;

private:
    ~CAccessibleWindow() = default;
    // The manager is there and still joined to its window.
    bool Connected() const;
    // The control of child id `child` (null for the client itself); false when the id is
    // not one of ours or the window is gone (`result` then says why).
    bool Resolve(const VARIANT& child, CControlUI** control, HRESULT* result) const;

    LONG refs_ = 1;
    CWindowManager* manager_;
};

// The MSAA role and state of a described control.
LONG AccessibleRole(UIRole role);
LONG AccessibleState(unsigned state);
