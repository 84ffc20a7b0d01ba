#include "ui/VelorTreeView.h"

#include "model/DriverClass.h"
#include "model/TextForms.h"
#include "ui/CarvelDoc.h"
#include "ui/InfoView.h"
#include "ui/MainFrame.h"

IMPLEMENT_DYNCREATE(CVelorTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CVelorTreeView, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGINGW, &CVelorTreeView::OnSelchanging)
END_MESSAGE_MAP()

BOOL CVelorTreeView::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CTreeView::PreCreateWindow(cs)) return FALSE;
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    return TRUE;
}

CCarvelDoc* CVelorTreeView::GetDocument() const { return dynamic_cast<CCarvelDoc*>(m_pDocument); }

void CVelorTreeView::OnInitialUpdate() {
    CTreeView::OnInitialUpdate();
    CCarvelDoc* pDoc = GetDocument();
    if (!pDoc) return;
    pDoc->BuildDriverClasses();
    FillTree(pDoc->GetDriverClasses());
}

void CVelorTreeView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint == CCarvelDoc::kHintReleaseRecords) {
        // Every item's data points at a record that is about to go.
        DeleteAllItems();
        return;
    }
    CTreeView::OnUpdate(pSender, lHint, pHint);
}

namespace {

HTREEITEM InsertRecord(CTreeView& tree, HTREEITEM hParent, const std::wstring& text, CObject* pRecord) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(pRecord);
    return tree.InsertItem(insert);
}

}  // namespace

void CVelorTreeView::FillTree(const DriverClassList& classes) {
    auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (pFrame) {
        pFrame->SetProgressText(L"Building Class List");
        pFrame->SetProgressRange(0, static_cast<int>(classes.size()));
    }
    for (size_t i = 0; i < classes.size(); ++i) {
        CDriverClass* pClass = classes[i].get();
        if (i == 0 && m_pInfoView) m_pInfoView->ShowRecord(pClass);  // the form starts on the first class
        HTREEITEM hClass = InsertRecord(*this, TVI_ROOT, pClass->GetDescription(), pClass);
        for (const auto& device : pClass->GetDeviceList()) {
            if (device->GetDeviceName().empty()) continue;  // no physical device object
            InsertRecord(*this, hClass, qx::DeviceNumberText(device->GetIndex()), device.get());
        }
        if (pFrame) pFrame->StepProgress();
    }
    if (pFrame) pFrame->CloseSplash();
}

void CVelorTreeView::OnSelchanging(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* pTreeView = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    if (m_pInfoView) m_pInfoView->ShowRecord(reinterpret_cast<CObject*>(pTreeView->itemNew.lParam));
    *pResult = 0;
}
