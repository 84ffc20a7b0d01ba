// A toolbar made from a toolbar resource (button size and command ids) and a bitmap
// of the same id; tooltips and status-line prompts come from the string table.
#pragma once
#include <vector>

#include "ui/framework/ControlBar.h"

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar() = default;
    ~CToolBar() override;

    // dwCtrlStyle: TBSTYLE_* of the control; dwStyle: window and CBRS_* styles.
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, RECT rcBorders = RECT{0, 0, 0, 0},
                  UINT nID = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT nIDResource);

    int GetCount() const;
    UINT GetItemID(int nIndex) const;  // 0 for a separator
    SIZE GetButtonImageSize() const { return m_sizeImage; }

    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;

protected:
    void OnHotItemChange(NMHDR* pNMHDR, LRESULT* pResult);
    UINT OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnNcPaint();
    bool HasGripper() const { return (m_dwStyle & CBRS_GRIPPER) != 0; }

    HBITMAP m_hbmImage = nullptr;
    SIZE m_sizeImage = {16, 15};
    RECT m_rcBorders = {0, 0, 0, 0};
    DECLARE_MESSAGE_MAP()
};
