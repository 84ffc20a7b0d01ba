// The information form (template 101), the right pane: every field of the class or
// device selected in the class tree, the two buttons that edit its filter lists, and
// the Safe Mode and Registry Parameters options.
#pragma once
#include <vector>

#include "model/Types.h"
#include "ui/RegistryListCtrl.h"
#include "ui/framework/Button.h"
#include "ui/framework/FormView.h"
#include "ui/framework/ListBox.h"

class CDevice;
class CDriverClass;

class CInfoView : public CFormView {
    DECLARE_DYNCREATE(CInfoView)
public:
    CInfoView();

    void DoDataExchange(CDataExchange* pDX) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

    // Shows a class record or a device record (told apart by their exact class).
    void ShowRecord(CObject* pRecord);
    void ShowClass(const CDriverClass* pClass);
    void ShowDevice(const CDevice* pDevice);
    static void FillListBox(CListBox& box, const StringList& list);
    // The device's registry snapshot, one row per value; empty without a snapshot.
    void FillRegistryList(const CDevice* pDevice);

    BOOL IsSafeMode() const { return m_bSafeMode ? TRUE : FALSE; }
    // Turns Safe Mode on or off as the Options command does (a newly opened registry starts with it on).
    void SetSafeMode(bool bSafeMode);
    // The tooltip the two Modify buttons show while Safe Mode greys them; empty otherwise.
    CString GetModifyTip() const;
    CDevice* GetCurrentDevice() const { return m_pCurrentDevice; }
    CDriverClass* GetCurrentClass() const { return m_pCurrentClass; }

    // Public for the message map.
    void OnModifyUpperFilters();
    void OnModifyLowerFilters();
    void OnSafeMode();
    void OnUpdateSafeMode(CCmdUI* pCmdUI);
    void OnUpdateSafeIndicator(CCmdUI* pCmdUI);  // "SAFE" or "EDIT" in the status bar
    void OnRegistryParameters();
    void OnUpdateRegistryParameters(CCmdUI* pCmdUI);

protected:
    void ModifyFilters(bool bUpper);
    void ClearDeviceFields();
    void SetButtonCaptions(bool bDevice);
    // While the registry list is shown, the controls it lies over are hidden.
    void ShowControlsUnderList(bool bShow);
    // The tooltip over the two Modify buttons: its tools follow the buttons, and it is
    // active only while Safe Mode greys them (a disabled button gets no mouse messages,
    // so the tools belong to the form).
    void CreateModifyTips();
    void UpdateModifyTips();

    CRegistryListCtrl m_listRegistry;  // control 1065, hidden until Registry Parameters is on
    CListBox m_listUpperFilters;       // control 1064
    CListBox m_listLowerFilters;       // control 1063
    CListBox m_listCompatibleIds;      // control 1062
    CButton m_btnModifyUpper;          // control 1009
    CButton m_btnModifyLower;          // control 1010
    CString m_strClassGuid;
    CString m_strClassName;
    CString m_strClassLowerFilters;
    CString m_strClassUpperFilters;
    std::vector<CString> m_strDevice;  // the record's texts in their order (qx::DeviceText), then the number
    CString m_strInstanceId;           // the device's instance ID, as the device manager names it
    CDevice* m_pCurrentDevice = nullptr;      // not owned
    CDriverClass* m_pCurrentClass = nullptr;  // not owned
    bool m_bRegistryParameters = false;
    bool m_bSafeMode = true;
    bool m_bColumnsSet = false;
    HWND m_hWndTips = nullptr;  // owned by the form: destroyed with it
    unsigned m_nReleases = 0;  // how often the records shown were let go (a list released)

    DECLARE_MESSAGE_MAP()
};
