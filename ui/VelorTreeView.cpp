#include "ui/VelorTreeView.h"

#include "ui/CarvelDoc.h"

IMPLEMENT_DYNCREATE(CVelorTreeView, CTreeView)

BOOL CVelorTreeView::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CTreeView::PreCreateWindow(cs)) return FALSE;
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    return TRUE;
}

CCarvelDoc* CVelorTreeView::GetDocument() const { return dynamic_cast<CCarvelDoc*>(m_pDocument); }

void CVelorTreeView::OnInitialUpdate() {
    CTreeView::OnInitialUpdate();
    if (CCarvelDoc* pDoc = GetDocument()) pDoc->BuildDriverClasses();
}

void CVelorTreeView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint == CCarvelDoc::kHintReleaseRecords) {
        // Every item's data points at a record that is about to go.
        DeleteAllItems();
        return;
    }
    CTreeView::OnUpdate(pSender, lHint, pHint);
}
