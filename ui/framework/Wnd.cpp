#include "ui/framework/Wnd.h"

#include <set>
#include <mutex>
#include <new>
#include <vector>

#include "ui/framework/CriticalSection.h"
#include "ui/framework/CmdUI.h"
#include "ui/framework/DataExchange.h"
#include "ui/framework/FrameWnd.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

const wchar_t kOwnerProp[] = L"Quillex.Wnd";
thread_local CWnd* t_pWndInit = nullptr;  // the object whose window is being created
thread_local const MSG* t_pCurrentMsg = nullptr;

// The classes of ours registered so far (their windows start at DefWindowProcW and are
// subclassed when created, as every window made through CreateEx is).
CCriticalSection g_classLock;
std::set<std::wstring> g_classes;

void InitControls() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                                     ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    });
}

// The window being created by CreateEx on this thread: what it was asked for, to tell
// it from any other window the system makes on the way (an input method's window).
thread_local LPCWSTR t_pszInitClass = nullptr;
thread_local HWND t_hWndInitParent = nullptr;
thread_local HHOOK t_hHookCreate = nullptr;
thread_local int t_nHookUsers = 0;

bool IsWindowBeingCreated(HWND hWnd, const CREATESTRUCTW* lpcs) {
    if (!lpcs || lpcs->hwndParent != t_hWndInitParent) return false;
    if (IS_INTRESOURCE(t_pszInitClass)) return true;
    wchar_t name[256] = {};
    return GetClassNameW(hWnd, name, 256) > 0 && lstrcmpiW(name, t_pszInitClass) == 0;
}

// The hook lives on this thread while at least one CreateEx runs on it.
bool HookWindowCreate() {
    if (!t_hHookCreate) {
        t_hHookCreate = SetWindowsHookExW(WH_CBT, AfxCbtFilterHook, nullptr, GetCurrentThreadId());
        if (!t_hHookCreate) return false;
    }
    ++t_nHookUsers;
    return true;
}

void UnhookWindowCreate() {
    if (--t_nHookUsers == 0 && t_hHookCreate) {
        UnhookWindowsHookEx(t_hHookCreate);
        t_hHookCreate = nullptr;
    }
}

}  // namespace

// At HCBT_CREATEWND the window exists but has had no message yet: the object takes it
// over there, so that it sees WM_GETMINMAXINFO and WM_NCCREATE like every later one,
// whatever the window's class (a common control keeps its own class name).
LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pWndInit) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (!CWnd::FromHandlePermanent(hWnd) && IsWindowBeingCreated(hWnd, create ? create->lpcs : nullptr)) {
            CWnd* pWnd = t_pWndInit;
            t_pWndInit = nullptr;
            auto pfnOld = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
            pWnd->Attach(hWnd, pfnOld);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    wchar_t name[96];
    wsprintfW(name, L"Quillex:%x:%p:%p:%p", nClassStyle, hCursor, hbrBackground, hIcon);
    std::lock_guard<CCriticalSection> lock(g_classLock);
    auto it = g_classes.find(name);
    if (it == g_classes.end()) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = nClassStyle;
        wc.lpfnWndProc = DefWindowProcW;  // CreateEx subclasses each window before its first message
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = name;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
        it = g_classes.insert(name).first;
    }
    return it->c_str();
}

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        ::DestroyWindow(m_hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd ? static_cast<CWnd*>(GetPropW(hWnd, kOwnerProp)) : nullptr;
}

void CWnd::Attach(HWND hWnd, WNDPROC pfnSuper) {
    m_hWnd = hWnd;
    m_pfnSuper = pfnSuper;
    SetPropW(hWnd, kOwnerProp, this);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT_PTR nIDorHMenu, LPVOID lpParam) {
    CREATESTRUCTW cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    if (rect.left == CW_USEDEFAULT) {
        // The system's default place and size (top-level windows only).
        cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    } else {
        cs.x = rect.left;
        cs.y = rect.top;
        cs.cx = rect.right - rect.left;
        cs.cy = rect.bottom - rect.top;
    }
    cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    cs.hMenu = reinterpret_cast<HMENU>(nIDorHMenu);
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) return FALSE;
    if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    InitControls();
    if (!HookWindowCreate()) return FALSE;
    CWnd* pPrev = t_pWndInit;
    LPCWSTR pszPrevClass = t_pszInitClass;
    HWND hWndPrevParent = t_hWndInitParent;
    t_pWndInit = this;
    t_pszInitClass = cs.lpszClass;
    t_hWndInitParent = cs.hwndParent;
    HWND hWnd = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    bool bAttached = t_pWndInit != this;
    t_pWndInit = pPrev;
    t_pszInitClass = pszPrevClass;
    t_hWndInitParent = hWndPrevParent;
    UnhookWindowCreate();
    // A window that failed after its first message was destroyed, and PostNcDestroy
    // may have deleted this object: it is not touched then.
    if (!hWnd) {
        if (!bAttached) m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, pContext);
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) return FALSE;
    auto pfnOld = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    Attach(hWnd, pfnOld);
    SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    return pParent ? SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID))) : FALSE;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) {
        // Only windows an object took over come here (CreateEx, SubclassWindow, AfxDlgProc).
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
    MSG msg = {hWnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* pPrev = t_pCurrentMsg;
    t_pCurrentMsg = &msg;
    LRESULT result = 0;
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        // No exception may cross the system's code that called us: the action stops here.
        t_pCurrentMsg = pPrev;
        AfxMessageBox(AFX_IDS_MEMORY_EXCEPTION, MB_OK | MB_ICONHAND);
        return 0;
    }
    t_pCurrentMsg = pPrev;
    if (message == WM_NCDESTROY) {
        RemovePropW(hWnd, kOwnerProp);
        pWnd->m_hWnd = nullptr;
        pWnd->PostNcDestroy();  // may delete the object
    }
    return result;
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    // Own the dialog from here on: its messages come through AfxWndProc first and
    // reach the dialog manager (and this procedure) through Default().
    CWnd* pWnd = reinterpret_cast<CWnd*>(lParam);
    if (!pWnd) return TRUE;
    if (!CWnd::FromHandlePermanent(hWnd)) {
        auto pfnOld = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
        pWnd->Attach(hWnd, pfnOld);
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
    }
    return pWnd->HandleInitDialog();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult)) lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG* msg = t_pCurrentMsg;
    return msg ? DefWindowProc(msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        LRESULT lResult = 0;
        if (OnNotify(wParam, lParam, &lResult)) {
            *pResult = lResult;
            return TRUE;
        }
        return FALSE;
    }
    case WM_DRAWITEM: {
        // The list view sends it to its parent only: reflect it to the control's object.
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis && dis->CtlType != ODT_MENU && ReflectChildNotify(dis->hwndItem, message, wParam, lParam, pResult)) {
            *pResult = TRUE;
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == message && e->nCode == 0 && e->nID == 0 &&
                message != WM_COMMAND && message != WM_NOTIFY) {
                AfxCall call;
                call.wParam = wParam;
                call.lParam = lParam;
                if (e->pfn(this, call)) {
                    *pResult = call.lResult;
                    return TRUE;
                }
            }
        }
    }
    return FALSE;
}

namespace {
// Asks the command's update handlers whether it is enabled now.
class CTestCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn) override {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetText(const CString&) override {}
    BOOL m_bEnabled = TRUE;
};
}  // namespace

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (!hWndCtrl) {
        // A menu item or an accelerator: a command disabled by its update handler
        // (an accelerator can fire when the menu item is greyed) does not run.
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr);
        if (!state.m_bEnabled) return TRUE;
        nCode = CN_COMMAND;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (!pNMHDR) return FALSE;
    // The control's own object answers first (the tree view and list view do not
    // reflect their notifications themselves), then this window's own map.
    if (ReflectChildNotify(pNMHDR->hwndFrom, WM_NOTIFY, 0, lParam, pResult)) return TRUE;
    const AFX_MSGMAP_ENTRY* e =
        FindEntry(WM_NOTIFY, static_cast<WORD>(pNMHDR->code), static_cast<UINT>(pNMHDR->idFrom));
    if (!e) return FALSE;
    AfxCall call;
    call.nID = static_cast<UINT>(pNMHDR->idFrom);
    call.pNMHDR = pNMHDR;
    call.pResult = pResult;
    return e->pfn(this, call) ? TRUE : FALSE;
}

BOOL CWnd::ReflectChildNotify(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CWnd* pChild = FromHandlePermanent(hWndChild);
    if (!pChild || pChild == this) return FALSE;
    return pChild->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_NOTIFY) return FALSE;
    AfxCall call;
    call.wParam = wParam;
    call.lParam = lParam;
    call.pResult = pResult;
    call.pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    const AFX_MSGMAP_ENTRY* e = FindEntry(WM_NOTIFY + WM_REFLECT_BASE, static_cast<WORD>(call.pNMHDR->code), 0);
    if (!e) return FALSE;
    if (pResult) *pResult = 0;
    return e->pfn(this, call) ? TRUE : FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

CWnd* CWnd::GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

CFrameWnd* CWnd::GetParentFrame() const {
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        CWnd* p = FromHandlePermanent(h);
        if (p && p->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(p);
    }
    return nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandlePermanent(::GetDlgItem(m_hWnd, nID)); }

CString CWnd::GetWindowText() const {
    int cch = GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
    int got = ::GetWindowTextW(m_hWnd, &text[0], cch + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CWnd::MoveWindow(const RECT& r, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, bRepaint);
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd) {
    DWORD style = GetStyle();
    DWORD newStyle = (style & ~dwRemove) | dwAdd;
    if (style == newStyle) return FALSE;
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
    return TRUE;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep) {
    std::vector<HWND> children;
    for (HWND h = ::GetWindow(m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) children.push_back(h);
    for (HWND h : children) {
        if (!IsWindow(h)) continue;
        ::SendMessageW(h, message, wParam, lParam);
        if (bDeep) {
            if (CWnd* p = FromHandlePermanent(h)) {
                p->SendMessageToDescendants(message, wParam, lParam, TRUE);
            } else {
                CWnd tmp;  // walk windows of no object too, without owning them
                tmp.m_hWnd = h;
                tmp.SendMessageToDescendants(message, wParam, lParam, TRUE);
                tmp.m_hWnd = nullptr;
            }
        }
    }
}
