// The class tree, the left pane: one root item per setup class, and beneath it one
// item per device that has a physical device object, labelled with its number.
// Its initial update builds the document's class list; selections go to the form.
#pragma once
#include "model/ClassList.h"
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

    void FillTree(const DriverClassList& classes);
    void OnSelchanging(NMHDR* pNMHDR, LRESULT* pResult);  // public for the message map

protected:
    CInfoView* m_pInfoView = nullptr;  // not owned

    DECLARE_MESSAGE_MAP()
};
