// The class tree, the left pane. Its initial update builds the document's class
// list; it reports selections to the information form.
#pragma once
#include "ui/framework/TreeView.h"

class CInfoView;
class CCarvelDoc;

class CVelorTreeView : public CTreeView {
    DECLARE_DYNCREATE(CVelorTreeView)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

    void SetInfoView(CInfoView* pInfoView) { m_pInfoView = pInfoView; }
    CInfoView* GetInfoView() const { return m_pInfoView; }
    CCarvelDoc* GetDocument() const;

protected:
    CInfoView* m_pInfoView = nullptr;  // not owned
};
