// Message maps: a static table per class, chained to its base's table. Each entry
// names a message (or a command / notification id range) and a typed call thunk, so
// a handler with the wrong signature does not compile.
#pragma once
#include "ui/framework/Afx.h"

class CCmdTarget;
class CCmdUI;

// What a handler is called with; the thunk picks what its signature needs.
struct AfxCall {
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT nID = 0;
    CCmdUI* pCmdUI = nullptr;
    NMHDR* pNMHDR = nullptr;
    LRESULT* pResult = nullptr;
    LRESULT lResult = 0;
};
using AfxThunk = bool (*)(CCmdTarget*, AfxCall&);  // false: "not handled, go on"

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message; WM_COMMAND or WM_NOTIFY for command-like entries
    UINT nCode;     // control notification code, CN_COMMAND or CN_UPDATE_COMMAND_UI
    UINT nID;       // first id of the range
    UINT nLastID;   // last id of the range
    AfxThunk pfn;   // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI static_cast<UINT>(-1)

namespace afx {
template <class T, auto F> bool Cmd(CCmdTarget* p, AfxCall&) { (static_cast<T*>(p)->*F)(); return true; }
template <class T, auto F> bool CmdEx(CCmdTarget* p, AfxCall& c) { return (static_cast<T*>(p)->*F)(c.nID) != FALSE; }
template <class T, auto F> bool CmdUI(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(c.pCmdUI); return true; }
template <class T, auto F> bool Notify(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(c.pNMHDR, c.pResult); return true; }
template <class T, auto F> bool Message(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(c.wParam, c.lParam); return true; }
template <class T, auto F> bool OnCreate(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(reinterpret_cast<LPCREATESTRUCT>(c.lParam)); return true; }
template <class T, auto F> bool OnVoid(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(); c.lResult = 0; return true; }
template <class T, auto F> bool OnSize(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(static_cast<UINT>(c.wParam), static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))); return true; }
template <class T, auto F> bool OnDropFiles(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(reinterpret_cast<HDROP>(c.wParam)); return true; }
// The window messages below carry handles where a handler might want a window object;
// the framework keeps no temporary objects for windows it did not make, so they stay HWND.
inline POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }
template <class T, auto F> bool OnWindow(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(reinterpret_cast<HWND>(c.wParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnWindowL(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(reinterpret_cast<HWND>(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnMouse(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(static_cast<UINT>(c.wParam), PointOf(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnKey(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnScroll(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(LOWORD(c.wParam), HIWORD(c.wParam), reinterpret_cast<HWND>(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnSetCursor(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(reinterpret_cast<HWND>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return true; }
template <class T, auto F> bool OnMouseActivate(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(reinterpret_cast<HWND>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return true; }
template <class T, auto F> bool OnGetDlgCode(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(); return true; }
template <class T, auto F> bool OnMouseWheel(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)), PointOf(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnNcCalcSize(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(static_cast<BOOL>(c.wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(c.lParam)); return true; }
template <class T, auto F> bool OnInitMenuPopup(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(reinterpret_cast<HMENU>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnMenuSelect(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(LOWORD(c.wParam), HIWORD(c.wParam), reinterpret_cast<HMENU>(c.lParam)); c.lResult = 0; return true; }
template <class T, auto F> bool OnBool(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(static_cast<BOOL>(c.wParam)); c.lResult = 0; return true; }
}  // namespace afx

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
        using ThisClass [[maybe_unused]] = theClass;                                     \
        using TheBaseClass = baseClass;                                                  \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                            \
            {0, 0, 0, 0, nullptr}};                                                  \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,      \
                                              &_messageEntries[0]};                  \
        return &messageMap;                                                          \
    }

// Commands and their user-interface updates.
#define ON_COMMAND(id, fn) {WM_COMMAND, CN_COMMAND, (id), (id), &afx::Cmd<ThisClass, fn>},
#define ON_COMMAND_EX(id, fn) {WM_COMMAND, CN_COMMAND, (id), (id), &afx::CmdEx<ThisClass, fn>},
#define ON_COMMAND_EX_RANGE(id, idLast, fn) {WM_COMMAND, CN_COMMAND, (id), (idLast), &afx::CmdEx<ThisClass, fn>},
#define ON_UPDATE_COMMAND_UI(id, fn) {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id), (id), &afx::CmdUI<ThisClass, fn>},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, fn) {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id), (idLast), &afx::CmdUI<ThisClass, fn>},
// A button's click, at its parent.
#define ON_BN_CLICKED(id, fn) {WM_COMMAND, static_cast<UINT>(BN_CLICKED), (id), (id), &afx::Cmd<ThisClass, fn>},
// A control's WM_NOTIFY, reflected by the parent to the control's own object.
// A control's WM_NOTIFY, at its parent when the control's object did not take it.
#define ON_NOTIFY(code, id, fn) {WM_NOTIFY, static_cast<WORD>(code), (id), (id), &afx::Notify<ThisClass, fn>},
#define ON_NOTIFY_REFLECT(code, fn) {WM_NOTIFY + WM_REFLECT_BASE, static_cast<WORD>(code), 0, 0, &afx::Notify<ThisClass, fn>},
// Window messages.
#define ON_MESSAGE(msg, fn) {(msg), 0, 0, 0, &afx::Message<ThisClass, fn>},
#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, &afx::OnCreate<ThisClass, &ThisClass::OnCreate>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, &afx::OnVoid<ThisClass, &ThisClass::OnDestroy>},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, &afx::OnSize<ThisClass, &ThisClass::OnSize>},
#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, 0, &afx::OnDropFiles<ThisClass, &ThisClass::OnDropFiles>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, &afx::OnVoid<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_NCPAINT() {WM_NCPAINT, 0, 0, 0, &afx::OnVoid<ThisClass, &ThisClass::OnNcPaint>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, &afx::OnVoid<ThisClass, &ThisClass::OnClose>},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, 0, &afx::OnWindow<ThisClass, &ThisClass::OnSetFocus>},
#define ON_WM_CAPTURECHANGED() {WM_CAPTURECHANGED, 0, 0, 0, &afx::OnWindowL<ThisClass, &ThisClass::OnCaptureChanged>},
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, 0, &afx::OnSetCursor<ThisClass, &ThisClass::OnSetCursor>},
#define ON_WM_MOUSEACTIVATE() {WM_MOUSEACTIVATE, 0, 0, 0, &afx::OnMouseActivate<ThisClass, &ThisClass::OnMouseActivate>},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, &afx::OnMouse<ThisClass, &ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, 0, &afx::OnMouse<ThisClass, &ThisClass::OnLButtonUp>},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, &afx::OnMouse<ThisClass, &ThisClass::OnMouseMove>},
#define ON_WM_MOUSEWHEEL() {WM_MOUSEWHEEL, 0, 0, 0, &afx::OnMouseWheel<ThisClass, &ThisClass::OnMouseWheel>},
#define ON_WM_KEYDOWN() {WM_KEYDOWN, 0, 0, 0, &afx::OnKey<ThisClass, &ThisClass::OnKeyDown>},
#define ON_WM_GETDLGCODE() {WM_GETDLGCODE, 0, 0, 0, &afx::OnGetDlgCode<ThisClass, &ThisClass::OnGetDlgCode>},
#define ON_WM_HSCROLL() {WM_HSCROLL, 0, 0, 0, &afx::OnScroll<ThisClass, &ThisClass::OnHScroll>},
#define ON_WM_VSCROLL() {WM_VSCROLL, 0, 0, 0, &afx::OnScroll<ThisClass, &ThisClass::OnVScroll>},
#define ON_WM_NCCALCSIZE() {WM_NCCALCSIZE, 0, 0, 0, &afx::OnNcCalcSize<ThisClass, &ThisClass::OnNcCalcSize>},
#define ON_WM_INITMENUPOPUP() {WM_INITMENUPOPUP, 0, 0, 0, &afx::OnInitMenuPopup<ThisClass, &ThisClass::OnInitMenuPopup>},
#define ON_WM_MENUSELECT() {WM_MENUSELECT, 0, 0, 0, &afx::OnMenuSelect<ThisClass, &ThisClass::OnMenuSelect>},
#define ON_WM_EXITMENULOOP() {WM_EXITMENULOOP, 0, 0, 0, &afx::OnBool<ThisClass, &ThisClass::OnExitMenuLoop>},
