// The setup's real windows, made in this process, read as a screen reader reads them,
// for tests/system/accessibility_test.py. This Wine cannot hand an IAccessible to another
// process (AccessibleObjectFromWindow fails there even for a native dialog), so the walk
// is made here, through each window's own answer to WM_GETOBJECT, and the events are heard
// through an in-context SetWinEventHook.
//
//   a11yfx_walk.exe [contrast]
//
// It shows the already-running and the client-running prompts, then the main window, and
// goes through every page (the default page, Tab through it, the terms box twice, the
// custom page, the licence, the confirm-exit prompt, a real install to the finish page,
// then the confirm-exit prompt's stop) by the controls' default actions, as a screen
// reader's user does. Output, UTF-8, one JSON object a line:
//   {"page": NAME, "window": {...}, "children": [{...}], "focus": ID}  each window as shown
//   {"event": KIND, "window": NAME, "child": ID, "name": ..., "value": ...}  each event
//   {"done": true}
// Items carry "id", "name", "role" and "state" (the system's numbers), "rect" (left, top,
// right, bottom on the screen), "value", "action" and "shortcut".
//
// With "contrast" the system's high contrast is on: its colours are set for real
// (SetSysColors, the "High Contrast Black" scheme), but Wine answers SPI_GETHIGHCONTRAST
// with high contrast off whatever the settings (and refuses SPI_SETHIGHCONTRAST), so this
// program answers that one question itself, through its own import of
// SystemParametersInfoW. At each page it prints {"shot": NAME, "rect": [...]} and waits
// for a line on its input (the test's screenshot) before it goes on.
#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/InstallManager.h"
#include "base/Handles.h"
#include "base/pure/Utf.h"
#include "ui/UIGlobals.h"
#include "windows/PromptRunner.h"
#include "windows/PromptWindows.h"
#include "windows/WindowsSetupUi.h"

namespace {

bool g_contrast = false;

// --- output -------------------------------------------------------------------------

void PrintLine(const std::wstring& line) {
    const std::string bytes = Utf16ToUtf8(line + L"\n");
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Json(const std::wstring& text) {
    std::wstring out = L"\"";
    for (const wchar_t c : text) {
        if (c == L'"' || c == L'\\') out += L'\\';
        if (c < 0x20) {
            wchar_t escaped[8];
            wsprintfW(escaped, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

std::wstring Number(long v) { return std::to_wstring(v); }

// --- reading a window as assistive technology does ----------------------------------------

ComPtr<IAccessible> ClientOf(HWND window) {
    ComPtr<IAccessible> acc;
    const LRESULT lr = ::SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    if (lr > 0) ::ObjectFromLresult(lr, IID_IAccessible, 0, acc.put_void());
    return acc;
}

VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* acc, long id) {
    BSTR text = nullptr;
    std::wstring out;
    if ((acc->*get)(Child(id), &text) == S_OK && text) out.assign(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return out;
}

long Long(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* acc, long id) {
    VARIANT v;
    ::VariantInit(&v);
    const bool ok = (acc->*get)(Child(id), &v) == S_OK && v.vt == VT_I4;
    return ok ? v.lVal : -1;
}

struct Item {
    long id = 0;
    std::wstring name, value, action, shortcut;
    long role = 0, state = 0;
    RECT rect = {};
};

Item Describe(IAccessible* acc, long id) {
    Item item;
    item.id = id;
    item.name = Text(&IAccessible::get_accName, acc, id);
    item.value = Text(&IAccessible::get_accValue, acc, id);
    item.action = Text(&IAccessible::get_accDefaultAction, acc, id);
    item.shortcut = Text(&IAccessible::get_accKeyboardShortcut, acc, id);
    item.role = Long(&IAccessible::get_accRole, acc, id);
    item.state = Long(&IAccessible::get_accState, acc, id);
    long x = 0, y = 0, w = 0, h = 0;
    if (acc->accLocation(&x, &y, &w, &h, Child(id)) == S_OK) item.rect = RECT{x, y, x + w, y + h};
    return item;
}

std::wstring ItemJson(const Item& item) {
    return L"{\"id\": " + Number(item.id) + L", \"name\": " + Json(item.name) + L", \"role\": " + Number(item.role) +
           L", \"state\": " + Number(item.state) + L", \"rect\": [" + Number(item.rect.left) + L", " +
           Number(item.rect.top) + L", " + Number(item.rect.right) + L", " + Number(item.rect.bottom) +
           L"], \"value\": " + Json(item.value) + L", \"action\": " + Json(item.action) + L", \"shortcut\": " +
           Json(item.shortcut) + L"}";
}

long ChildCount(IAccessible* acc) {
    long count = 0;
    return acc->get_accChildCount(&count) == S_OK ? count : 0;
}

// The child of that name that is shown (not invisible), or 0.
long FindShown(IAccessible* acc, const std::wstring& name) {
    for (long id = 1; id <= ChildCount(acc); ++id) {
        const Item item = Describe(acc, id);
        if (item.name == name && !(item.state & STATE_SYSTEM_INVISIBLE)) return id;
    }
    return 0;
}

// The setup window of this thread that assistive technology knows by `name`, once it is
// laid out (its first child has a place); null until then.
HWND FindWindowNamed(const std::wstring& name) {
    struct Search { const std::wstring* name; HWND found; } search{&name, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t cls[64] = {};
        ::GetClassNameW(w, cls, 64);
        if (!::IsWindowVisible(w) || std::wstring(cls) != L"UIMainFrame") return TRUE;
        ComPtr<IAccessible> acc = ClientOf(w);
        if (!acc || Text(&IAccessible::get_accName, acc.get(), CHILDID_SELF) != *s->name) return TRUE;
        if (ChildCount(acc.get()) == 0) return TRUE;
        const RECT first = Describe(acc.get(), 1).rect;
        if (::IsRectEmpty(&first)) return TRUE;
        s->found = w;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintPage(const std::wstring& page, HWND window) {
    ComPtr<IAccessible> acc = ClientOf(window);
    if (!acc) return;
    std::wstring children;
    for (long id = 1; id <= ChildCount(acc.get()); ++id)
        children += (id > 1 ? L", " : L"") + ItemJson(Describe(acc.get(), id));
    VARIANT focus;
    ::VariantInit(&focus);
    const long focused = acc->get_accFocus(&focus) == S_OK && focus.vt == VT_I4 ? focus.lVal : -1;
    PrintLine(L"{\"page\": " + Json(page) + L", \"window\": " + ItemJson(Describe(acc.get(), CHILDID_SELF)) +
              L", \"children\": [" + children + L"], \"focus\": " + Number(focused) + L"}");
}

// In contrast mode: the test takes its picture of the window, then answers.
void Shot(const std::wstring& page, HWND window) {
    if (!g_contrast) return;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    RECT r = {};
    ::GetWindowRect(window, &r);
    PrintLine(L"{\"shot\": " + Json(page) + L", \"rect\": [" + Number(r.left) + L", " + Number(r.top) + L", " +
              Number(r.right) + L", " + Number(r.bottom) + L"]}");
    char answer[16];
    DWORD read = 0;
    ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), answer, 1, &read, nullptr);
    while (read == 1 && answer[0] != '\n' && ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), answer, 1, &read, nullptr)) {
    }
}

// Asks for a child's default action, as a screen reader's user does.
bool Act(HWND window, const std::wstring& name) {
    ComPtr<IAccessible> acc = ClientOf(window);
    const long id = acc ? FindShown(acc.get(), name) : 0;
    return id != 0 && acc->accDoDefaultAction(Child(id)) == S_OK;
}

// --- events ---------------------------------------------------------------------------

std::wstring WindowName(HWND window) {
    ComPtr<IAccessible> acc = ClientOf(window);
    return acc ? Text(&IAccessible::get_accName, acc.get(), CHILDID_SELF) : L"";
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object != OBJID_CLIENT || window == nullptr) return;
    wchar_t cls[64] = {};
    ::GetClassNameW(window, cls, 64);
    if (std::wstring(cls) != L"UIMainFrame") return;
    const wchar_t* kind = event == EVENT_OBJECT_FOCUS         ? L"focus"
                          : event == EVENT_OBJECT_STATECHANGE ? L"state"
                          : event == EVENT_OBJECT_NAMECHANGE  ? L"name"
                          : event == EVENT_OBJECT_VALUECHANGE ? L"value"
                          : event == EVENT_SYSTEM_ALERT       ? L"alert"
                                                              : nullptr;
    if (kind == nullptr) return;
    ComPtr<IAccessible> acc = ClientOf(window);
    if (!acc) return;
    const Item item = Describe(acc.get(), child);
    PrintLine(L"{\"event\": " + Json(kind) + L", \"window\": " + Json(WindowName(window)) + L", \"child\": " +
              Number(child) + L", \"name\": " + Json(item.name) + L", \"value\": " + Json(item.value) +
              L", \"state\": " + Number(item.state) + L"}");
}

// --- high contrast ----------------------------------------------------------------------

using SpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
SpiFn g_systemSpi = nullptr;

BOOL WINAPI HighContrastSpi(UINT action, UINT param, PVOID data, UINT winIni) {
    if (action == SPI_GETHIGHCONTRAST && data != nullptr) {
        auto* contrast = static_cast<HIGHCONTRASTW*>(data);
        contrast->dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
        contrast->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return g_systemSpi(action, param, data, winIni);
}

}  // namespace

extern "C" SpiFn __imp_SystemParametersInfoW;  // this program's import slot of the function

namespace {

void TurnOnHighContrast() {
    // The system's colours of "High Contrast Black".
    const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT,
                            COLOR_HOTLIGHT, COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF colours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x1A, 0xEB, 0xFF), RGB(0, 0, 0),
                                RGB(0x3F, 0xF2, 0x3F), RGB(255, 255, 0), RGB(0, 0, 0), RGB(255, 255, 255)};
    ::SetSysColors(static_cast<int>(std::size(elements)), elements, colours);
    DWORD old = 0;
    ::VirtualProtect(&__imp_SystemParametersInfoW, sizeof(SpiFn), PAGE_READWRITE, &old);
    g_systemSpi = __imp_SystemParametersInfoW;
    __imp_SystemParametersInfoW = &HighContrastSpi;
    ::VirtualProtect(&__imp_SystemParametersInfoW, sizeof(SpiFn), old, &old);
}

// --- the walk: one step after another, each tried at every tick of a thread timer, so
// that it goes on inside the prompts' nested loops and the install's pump alike -------------

struct Step {
    std::function<bool()> done;  // true when the step has happened and the walk goes on
};
std::vector<Step> g_steps;
size_t g_next = 0;
DWORD g_stepStarted = 0;
bool g_ticking = false;

// A window of that name, laid out: `page` printed (and photographed), then `then` on it.
Step OnWindow(const std::wstring& name, const std::wstring& page, std::function<bool(HWND)> then = nullptr) {
    return Step{[name, page, then]() {
        const HWND window = FindWindowNamed(name);
        if (window == nullptr) return false;
        PrintPage(page, window);
        Shot(page, window);
        return then ? then(window) : true;
    }};
}

// Waits until the named child of the named window is shown.
Step When(const std::wstring& window, const std::wstring& child) {
    return Step{[window, child]() {
        const HWND w = FindWindowNamed(window);
        ComPtr<IAccessible> acc = w ? ClientOf(w) : ComPtr<IAccessible>();
        return acc && FindShown(acc.get(), child) != 0;
    }};
}

// Waits until the named child's value is no longer `value`.
Step WhenValueNot(const std::wstring& window, const std::wstring& child, const std::wstring& value) {
    return Step{[window, child, value]() {
        const HWND w = FindWindowNamed(window);
        ComPtr<IAccessible> acc = w ? ClientOf(w) : ComPtr<IAccessible>();
        const long id = acc ? FindShown(acc.get(), child) : 0;
        return id != 0 && Text(&IAccessible::get_accValue, acc.get(), id) != value;
    }};
}

Step Gone(const std::wstring& window) {
    return Step{[window]() { return FindWindowNamed(window) == nullptr; }};
}

Step Do(const std::wstring& window, const std::wstring& child) {
    return Step{[window, child]() {
        const HWND w = FindWindowNamed(window);
        return w != nullptr && Act(w, child);
    }};
}

Step Keys(const std::wstring& window, std::vector<UINT> keys) {
    return Step{[window, keys]() {
        const HWND w = FindWindowNamed(window);
        if (w == nullptr) return false;
        for (const UINT key : keys) {
            ::PostMessageW(w, WM_KEYDOWN, key, 1);
            ::PostMessageW(w, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
        }
        return true;
    }};
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_ticking || g_next >= g_steps.size()) return;
    g_ticking = true;
    if (g_steps[g_next].done()) {
        ++g_next;
        g_stepStarted = ::GetTickCount();
    } else if (::GetTickCount() - g_stepStarted > 120000) {
        PrintLine(L"{\"error\": \"step " + Number(static_cast<long>(g_next)) + L" did not happen\"}");
        ::ExitProcess(3);
    }
    g_ticking = false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    g_contrast = std::wstring(commandLine).find(L"contrast") != std::wstring::npos;
    UISetInstance(instance);
    ComScope com;
    if (g_contrast) TurnOnHighContrast();

    const std::wstring main = L"VexmoraZevlo邮箱 安装程序", terms = L"《VexmoraZevlo软件许可协议》";
    const std::wstring exit = L"确定退出VexmoraZevlo邮箱安装？";
    g_steps = {
        OnWindow(L"VexmoraZevlo邮箱安装程序已运行。", L"already-running"),
        Do(L"VexmoraZevlo邮箱安装程序已运行。", L"确定"),
        OnWindow(L"您的VexmoraZevlo邮箱正在运行，请先退出后点击继续安装程序", L"client-running"),
        Do(L"您的VexmoraZevlo邮箱正在运行，请先退出后点击继续安装程序", L"立即安装"),
        OnWindow(main, L"main-default"),
        Keys(main, {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB}),
        When(main, L"快速安装"),  // the keys have been handled once a tick follows them
        Do(main, L"已阅读并接受《VexmoraZevlo软件许可协议》"),
        Do(main, L"已阅读并接受《VexmoraZevlo软件许可协议》"),
        Do(main, L"自定义安装"),
        When(main, L"返回"),
        OnWindow(main, L"main-custom"),
        Keys(main, {VK_TAB}),
        When(main, L"返回"),
        OnWindow(main, L"main-custom-tab"),
        Do(main, terms),
        OnWindow(terms, L"licence"),
        Do(terms, L"确定"),
        Do(main, L"退出安装程序"),
        OnWindow(exit, L"confirm-exit"),
        Do(exit, L"继续安装"),
        Gone(exit),
        Do(main, L"立即安装"),
        WhenValueNot(main, L"安装进度", L"0%"),  // the first progress told, and the status text with it
        OnWindow(main, L"main-progress"),
        When(main, L"开始体验"),
        OnWindow(main, L"main-finish"),
        Do(main, L"退出安装程序"),
        When(exit, L"停止"),
        Do(exit, L"停止"),
    };
    const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_MIN, EVENT_MAX, instance, &OnEvent, ::GetCurrentProcessId(),
                                                 0, WINEVENT_INCONTEXT);
    g_stepStarted = ::GetTickCount();
    ::SetTimer(nullptr, 0, 50, &Tick);

    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.find_last_of(L'\\'));
    UISetResourcePath(folder + L"\\skin");

    WindowsSetupUi ui;
    {
        Install_CIM manager(instance);
        manager.SetUi(&ui);
        std::ignore = RunPrompt(std::make_unique<CInstallWarningfrm>(), nullptr);
        std::ignore = RunPrompt(std::make_unique<CInstallWarningForZevloRun>(std::vector<DWORD>{}), nullptr);
        if (manager.PrepareSetup() && ui.OpenMainWindow()) ui.RunMessageLoop();
    }
    ::UnhookWinEvent(hook);
    PrintLine(g_next == g_steps.size() ? L"{\"done\": true}" : L"{\"error\": \"the walk ended early\"}");
    return g_next == g_steps.size() ? 0 : 1;
}
