#include "ui/framework/TreeView.h"

IMPLEMENT_DYNAMIC(CTreeView, CView)

BEGIN_MESSAGE_MAP(CTreeView, CView)
    ON_WM_PAINT()  // the control paints itself
END_MESSAGE_MAP()

BOOL CTreeView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.lpszClass = WC_TREEVIEWW;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return CView::PreCreateWindow(cs);
}

LPARAM CTreeView::GetItemData(HTREEITEM hItem) const {
    TVITEMW item = {};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    return SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

CString CTreeView::GetItemText(HTREEITEM hItem) const {
    wchar_t text[1024] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = hItem;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    return SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? CString(text) : CString();
}
