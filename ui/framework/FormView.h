// A view made from a child dialog template; it scrolls when its pane is smaller than
// the template, and keeps the dialog's keyboard handling (Tab, mnemonics).
#pragma once
#include "ui/framework/View.h"

class CFormView : public CView {
    DECLARE_DYNAMIC(CFormView)
public:
    explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;
    void OnInitialUpdate() override;  // controls take the members' values
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Presses the visible, enabled push button whose mnemonic ("&U") is `key`, as the
    // dialog manager would for Alt+U within the form, without moving the focus: so a
    // frame can let the form's buttons answer Alt+letter from its other panes. FALSE
    // when no such button has it.
    BOOL PressButtonMnemonic(wchar_t key);
    BOOL HandleInitDialog() override { return FALSE; }  // the focus is set when the view is activated

    SIZE GetTotalSize() const { return m_sizeTotal; }
    POINT GetScrollPosition() const { return m_ptScroll; }
    void ScrollToPosition(POINT pt);

protected:
    void UpdateBars();
    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    void OnScroll(int nBar, UINT nCode);
    void OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    void OnSetFocus(HWND hOldWnd);
    void OnPaint() { Default(); }

    UINT m_nIDTemplate;
    SIZE m_sizeTotal = {0, 0};  // the template's size in pixels
    POINT m_ptScroll = {0, 0};
    HWND m_hWndFocus = nullptr;  // the control that had the focus when the view was left
    bool m_bInUpdateBars = false;
    DECLARE_MESSAGE_MAP()
};
