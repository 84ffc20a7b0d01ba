// A document: the common owner of what its views show. This program's document
// reads and writes no file of its own; it has a title and a list of views.
#pragma once
#include <vector>

#include "ui/framework/CmdTarget.h"

class CView;
class CFrameWnd;
class CSingleDocTemplate;

// What Serialize is handed while the document's file is open. This program's
// document reads and writes nothing, so it carries nothing.
class CArchive {};

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument() = default;
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const CString& title);  // and the captions of the frames showing it
    // Takes the file's name as the title and adds the path to the recent-file list.
    virtual void SetPathName(const CString& pathName, BOOL bAddToMRU = TRUE);

    // The document is deleted when its last view goes (the template's single document too).
    BOOL m_bAutoDelete = TRUE;
    CSingleDocTemplate* m_pDocTemplate = nullptr;

    virtual BOOL OnNewDocument();                    // empties the contents
    virtual BOOL OnOpenDocument(LPCWSTR lpszPathName);  // the file must open for reading
    virtual void OnCloseDocument();                  // destroys the frames and deletes the document
    virtual void DeleteContents() {}
    virtual void Serialize(CArchive& ar);
    virtual BOOL SaveModified();                     // TRUE: the document may close
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_viewList; }  // in the order they were added
    // Tells every view but pSender (OnUpdate), in view order.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

protected:
    CString m_strTitle;
    std::vector<CView*> m_viewList;
};
