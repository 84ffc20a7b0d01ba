#include "ui/CarvelDoc.h"

#include "res/resource.h"
#include "ui/MainFrame.h"

IMPLEMENT_DYNCREATE(CCarvelDoc, CDocument)

BOOL CCarvelDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return FALSE;
    SetTitle(AfxLoadString(IDS_DOCUMENT_TITLE));
    return TRUE;
}

void CCarvelDoc::OnCloseDocument() {
    // The records go before the frame and its views.
    ReleaseDriverClasses();
    CDocument::OnCloseDocument();
}

void CCarvelDoc::DeleteContents() {
    // A new or reopened document starts again from an empty list: nothing is duplicated.
    ReleaseDriverClasses();
}

void CCarvelDoc::Serialize(CArchive&) {
    // The document's file holds nothing: nothing is read or written.
}

void CCarvelDoc::ReleaseDriverClasses() {
    if (m_driverClasses.empty()) return;
    UpdateAllViews(nullptr, kHintReleaseRecords);
    qx::ReleaseDriverClasses(m_driverClasses);
}

BOOL CCarvelDoc::BuildDriverClasses() {
    ReleaseDriverClasses();  // one set of classes, however often the views are updated
    auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    return qx::BuildDriverClasses(m_driverClasses, pFrame) ? TRUE : FALSE;
}
