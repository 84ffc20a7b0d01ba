// The class tree, the left pane: one root item per setup class, and beneath it one
// item per device that has a physical device object, labelled with its number.
// Its initial update builds the document's class list; selections go to the form.
#pragma once
#include "model/ClassList.h"
#include "model/FilterCheck.h"
#include "ui/framework/TreeView.h"

class CInfoView;
class CCarvelDoc;
class CDevice;

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
    // Builds the class list again, as a reopen does, and selects again the class or
    // device that was selected, when it still exists.
    void Refresh();
    // Shows in bold the classes and devices the last check found something in (a class
    // also when one of its devices has a finding); the rest in normal text.
    void MarkFindings(const qx::Findings& findings);
    void OnSelchanging(NMHDR* pNMHDR, LRESULT* pResult);  // public for the message map

    // View > Device Names: a device's label is its number, or its number and its name.
    void SetDeviceNames(bool bNames);
    static const wchar_t kSettings[], kDeviceNames[];  // where the profile keeps the choice
    bool GetDeviceNames() const { return m_bDeviceNames; }
    std::wstring DeviceLabel(const CDevice& device) const;
    // Edit > Find: selects and shows the next class or device after the selection (round
    // to the top) that matches the text; false when none does.
    bool FindNext(const std::wstring& text);

protected:
    CInfoView* m_pInfoView = nullptr;  // not owned
    // While the tree empties itself, a selection change (Windows selects a neighbour
    // of a deleted item) would hand the form a record that is being released.
    bool m_bEmptying = false;
    bool m_bDeviceNames = false;

    DECLARE_MESSAGE_MAP()
};
