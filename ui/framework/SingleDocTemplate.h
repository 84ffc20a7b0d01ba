// The single-document template: one document, one frame, reused for every open.
#pragma once
#include "ui/framework/CmdTarget.h"

class CDocument;
class CFrameWnd;

// What a frame and its views are created with.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

class CSingleDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    // The fields of the template's string (resource nIDResource), '\n' between them.
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

    CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                       const CRuntimeClass* pViewClass);
    ~CSingleDocTemplate() override;

    BOOL GetDocString(CString& rString, DocStringIndex index) const;
    CDocument* GetOnlyDocument() const { return m_pOnlyDoc; }

    // Without a path: a new document. With one: the file opened as the document.
    // The one document and its frame are reused once they exist.
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszPathName, BOOL bMakeVisible = TRUE);
    CDocument* CreateNewDocument();
    CFrameWnd* CreateNewFrame(CDocument* pDoc);
    void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    void SetDefaultTitle(CDocument* pDocument);
    void RemoveDocument(CDocument* pDoc);

protected:
    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
    CDocument* m_pOnlyDoc = nullptr;
};
