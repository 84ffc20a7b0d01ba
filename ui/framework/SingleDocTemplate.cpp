#include "ui/framework/SingleDocTemplate.h"

#include "ui/framework/Document.h"
#include "ui/framework/FrameWnd.h"
#include "ui/framework/WinApp.h"

IMPLEMENT_DYNAMIC(CSingleDocTemplate, CCmdTarget)

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                                       const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
    m_strDocStrings = AfxLoadString(nIDResource);
}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_pOnlyDoc) m_pOnlyDoc->m_pDocTemplate = nullptr;
}

BOOL CSingleDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
    rString = AfxExtractSubString(m_strDocStrings, index);
    return !rString.empty();
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
    if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr;
}

CDocument* CSingleDocTemplate::CreateNewDocument() {
    CObject* pObject = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
    auto* pDoc = dynamic_cast<CDocument*>(pObject);
    if (!pDoc) {
        delete pObject;
        return nullptr;
    }
    pDoc->m_pDocTemplate = this;
    m_pOnlyDoc = pDoc;
    return pDoc;
}

CFrameWnd* CSingleDocTemplate::CreateNewFrame(CDocument* pDoc) {
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    CObject* pObject = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
    auto* pFrame = dynamic_cast<CFrameWnd*>(pObject);
    if (!pFrame) {
        delete pObject;
        return nullptr;
    }
    // A frame whose window fails to be created deletes itself as the window goes.
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
    return pFrame;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument) {
    CString title;
    if (!GetDocString(title, docName)) title = AfxLoadString(AFX_IDS_UNTITLED);
    pDocument->SetTitle(title);
}

void CSingleDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible) {
    CDocument* pDocument = nullptr;
    CFrameWnd* pFrame = nullptr;
    BOOL bCreated = FALSE;
    if (m_pOnlyDoc) {
        pDocument = m_pOnlyDoc;
        if (!pDocument->SaveModified()) return nullptr;
        CWnd* pMain = AfxGetMainWnd();
        if (pMain && pMain->IsKindOf(RUNTIME_CLASS(CFrameWnd))) pFrame = static_cast<CFrameWnd*>(pMain);
    } else {
        pDocument = CreateNewDocument();
        if (!pDocument) {
            AfxMessageBox(AFX_IDS_CREATE_DOC_FAILED, MB_OK | MB_ICONHAND);
            return nullptr;
        }
        bCreated = TRUE;
    }

    if (!pFrame) {
        BOOL bAutoDelete = pDocument->m_bAutoDelete;
        pDocument->m_bAutoDelete = FALSE;  // the frame's failure must not take the document with it
        pFrame = CreateNewFrame(pDocument);
        pDocument->m_bAutoDelete = bAutoDelete;
        if (!pFrame) {
            AfxMessageBox(AFX_IDS_CREATE_DOC_FAILED, MB_OK | MB_ICONHAND);
            delete pDocument;
            return nullptr;
        }
    }

    if (!lpszPathName) {
        SetDefaultTitle(pDocument);
        if (!pDocument->OnNewDocument()) {
            if (bCreated) pFrame->DestroyWindow();  // takes the document with its views
            return nullptr;
        }
    } else {
        if (!pDocument->OnOpenDocument(lpszPathName)) {
            if (bCreated) pFrame->DestroyWindow();
            return nullptr;
        }
        pDocument->SetPathName(lpszPathName);
    }

    CWinThread* pThread = AfxGetThread();
    if (bCreated && pThread && !pThread->m_pMainWnd) pThread->m_pMainWnd = pFrame;
    InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
    return pDocument;
}
