// A view that is a tree control.
#pragma once
#include "ui/framework/View.h"

class CTreeView : public CView {
    DECLARE_DYNAMIC(CTreeView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;  // the tree control's class, bordered

    // The control's operations.
    HTREEITEM InsertItem(const TVINSERTSTRUCTW& insert) {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT))); }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM hItem) {
        return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)));
    }
    LPARAM GetItemData(HTREEITEM hItem) const;
    CString GetItemText(HTREEITEM hItem) const;

protected:
    void OnPaint() { Default(); }
    DECLARE_MESSAGE_MAP()
};
