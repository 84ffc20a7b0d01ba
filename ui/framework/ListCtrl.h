// A list-view control. When owner-drawn, DrawItem draws each row: the parent's
// WM_DRAWITEM is reflected here (the control does not do that itself).
#pragma once
#include "ui/framework/Wnd.h"

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    int InsertColumn(int nCol, const CString& heading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
    BOOL GetColumn(int nCol, LVCOLUMNW* pColumn) const {
        return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(pColumn)));
    }
    int InsertItem(const LVITEMW& item) {
        return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    int InsertItem(int nItem, const CString& text);
    BOOL SetItemText(int nItem, int nSubItem, const CString& text);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, LPARAM data);
    BOOL GetItem(LVITEMW* pItem) const {
        return static_cast<BOOL>(SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(pItem)));
    }
    BOOL GetItemRect(int nItem, RECT* pRect, UINT nCode) const;
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);  // owner-drawn rows; nothing by default

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
