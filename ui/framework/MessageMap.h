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
template <class T, auto F> bool ThreadMessage(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(c.wParam, c.lParam); return true; }
template <class T, auto F> bool OnCreate(CCmdTarget* p, AfxCall& c) { c.lResult = (static_cast<T*>(p)->*F)(reinterpret_cast<LPCREATESTRUCT>(c.lParam)); return true; }
template <class T, auto F> bool OnVoid(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(); c.lResult = 0; return true; }
template <class T, auto F> bool OnSize(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(static_cast<UINT>(c.wParam), static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))); return true; }
template <class T, auto F> bool OnDropFiles(CCmdTarget* p, AfxCall& c) { (static_cast<T*>(p)->*F)(reinterpret_cast<HDROP>(c.wParam)); return true; }
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
// Window and thread messages.
#define ON_MESSAGE(msg, fn) {(msg), 0, 0, 0, &afx::Message<ThisClass, fn>},
#define ON_THREAD_MESSAGE(msg, fn) {(msg), 0, 0, 0, &afx::ThreadMessage<ThisClass, fn>},
#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, &afx::OnCreate<ThisClass, &ThisClass::OnCreate>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, &afx::OnVoid<ThisClass, &ThisClass::OnDestroy>},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, &afx::OnSize<ThisClass, &ThisClass::OnSize>},
#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, 0, &afx::OnDropFiles<ThisClass, &ThisClass::OnDropFiles>},
