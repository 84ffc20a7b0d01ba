// The status bar: the message pane (ID_SEPARATOR) and indicator panes whose texts
// come from the string table and show while their command's state is on.
#pragma once
#include <vector>

#include "ui/framework/ControlBar.h"

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);  // FALSE when an indicator has no string

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    UINT GetItemID(int nIndex) const;
    CString GetPaneText(int nIndex) const;
    BOOL SetPaneText(int nIndex, const CString& text);
    const CString& GetIndicatorText(int nIndex) const;  // the text shown while the indicator is on

    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;

protected:
    void UpdateParts();
    void OnSize(UINT nType, int cx, int cy);

    struct Pane {
        UINT nID;
        CString strIndicator;
        int cxText;
    };
    std::vector<Pane> m_panes;
    DECLARE_MESSAGE_MAP()
};
