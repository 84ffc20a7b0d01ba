// A static splitter: a fixed grid of panes (the program uses one row of two) with a
// bar between neighbouring columns that the mouse drags, or the keyboard moves after
// the split command. Columns keep an ideal width; the last one takes the rest.
#pragma once
#include <vector>

#include "ui/framework/Wnd.h"

class CView;
struct CCreateContext;

class CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // Creates the pane at (row, col) from pViewClass; sizeInit gives its ideal width (and height).
    virtual BOOL CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit,
                            CCreateContext* pContext);

    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    int GetSplitterBarWidth() const { return m_cxSplitter; }
    virtual void RecalcLayout();

    // Pane activation, for the next/previous pane commands.
    BOOL CanActivateNext(BOOL bPrev = FALSE) const;
    void ActivateNext(BOOL bPrev = FALSE);
    void SetActivePane(int row, int col);
    // Moves the bar from the keyboard: arrows move it, Enter keeps it, Esc puts it back.
    void DoKeyboardSplit();
    BOOL IsTracking() const { return m_bTracking; }

protected:
    struct Info {
        int nIdealSize = 0;
        int nCurSize = 0;
    };
    int HitTestBar(POINT pt) const;  // the column left of the bar under pt, or -1
    void StartTracking(int col, bool bKeyboard);
    void StopTracking(bool bAccept);
    void MoveBarTo(int x);
    int PaneIndex(HWND hPane, int* pRow, int* pCol) const;

    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnLButtonUp(UINT nFlags, POINT point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnCaptureChanged(HWND hWnd);
    UINT OnGetDlgCode();

    int m_nRows = 0;
    int m_nCols = 0;
    std::vector<Info> m_colInfo;
    std::vector<Info> m_rowInfo;
    int m_cxSplitter = 6;
    BOOL m_bTracking = FALSE;
    bool m_bKeyboardTracking = false;
    int m_nTrackCol = -1;
    int m_nTrackOffset = 0;
    int m_nTrackStartSize = 0;
    HWND m_hWndFocusBefore = nullptr;
    DECLARE_MESSAGE_MAP()
};
