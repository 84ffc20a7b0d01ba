// The user-interface object of one command (a menu item, a toolbar button, a status
// pane) handed to ON_UPDATE_COMMAND_UI handlers.
#pragma once
#include "ui/framework/Afx.h"

class CCmdTarget;

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;       // position in the menu / bar
    HMENU m_hMenu = nullptr;  // for menu items
    CWnd* m_pOther = nullptr; // for bars

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);  // 0 clear, 1 checked
    virtual void SetText(const CString& text);

    // Asks pTarget's routing for an update handler; when none changed the enabled
    // state and bDisableIfNoHandler is set, disables the item unless some target
    // handles the command itself.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);

    BOOL m_bEnableChanged = FALSE;
};
