#include "ui/InfoView.h"

#include <memory>

#include <commctrl.h>

#include "model/DeviceProperties.h"
#include "model/DeviceRestart.h"
#include "model/DriverClass.h"
#include "model/FilterCheck.h"
#include "model/FilterStore.h"
#include "model/StoredList.h"
#include "model/RegistrySnapshot.h"
#include "model/TextForms.h"
#include "res/resource.h"
#include "ui/CarvelDoc.h"
#include "ui/MainFrame.h"
#include "ui/ModifyFiltersDlg.h"
#include "ui/framework/CmdUI.h"
#include "ui/framework/DataExchange.h"

IMPLEMENT_DYNCREATE(CInfoView, CFormView)

BEGIN_MESSAGE_MAP(CInfoView, CFormView)
    ON_BN_CLICKED(IDC_MODIFY_LOWER, &CInfoView::OnModifyLowerFilters)
    ON_BN_CLICKED(IDC_MODIFY_UPPER, &CInfoView::OnModifyUpperFilters)
    ON_UPDATE_COMMAND_UI(ID_OPTIONS_SAFE_MODE, &CInfoView::OnUpdateSafeMode)
    ON_COMMAND(ID_OPTIONS_SAFE_MODE, &CInfoView::OnSafeMode)
    ON_COMMAND(ID_OPTIONS_REGISTRY_PARAMETERS, &CInfoView::OnRegistryParameters)
    ON_UPDATE_COMMAND_UI(ID_OPTIONS_REGISTRY_PARAMETERS, &CInfoView::OnUpdateRegistryParameters)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SAFE, &CInfoView::OnUpdateSafeIndicator)
END_MESSAGE_MAP()

namespace {

// The device's texts stand in m_strDevice by their place in the record (the form's edit
// of each is its row's field in the property table); "Device Instance:" is formatted
// from the device number and comes last.
constexpr int kInstanceText = static_cast<int>(qx::DeviceText::Count);

}  // namespace

CInfoView::CInfoView() : CFormView(IDD_INFO_FORM), m_strDevice(kInstanceText + 1) {}

void CInfoView::DoDataExchange(CDataExchange* pDX) {
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REGISTRY_LIST, m_listRegistry);
    DDX_Control(pDX, IDC_UPPER_FILTERS_LIST, m_listUpperFilters);
    DDX_Control(pDX, IDC_LOWER_FILTERS_LIST, m_listLowerFilters);
    DDX_Control(pDX, IDC_COMPATIBLE_IDS_LIST, m_listCompatibleIds);
    DDX_Control(pDX, IDC_MODIFY_UPPER, m_btnModifyUpper);
    DDX_Control(pDX, IDC_MODIFY_LOWER, m_btnModifyLower);
    DDX_Text(pDX, IDC_CLASS_GUID, m_strClassGuid);
    DDX_Text(pDX, IDC_CLASS_NAME, m_strClassName);
    DDX_Text(pDX, IDC_CLASS_LOWER_FILTERS, m_strClassLowerFilters);
    DDX_Text(pDX, IDC_CLASS_UPPER_FILTERS, m_strClassUpperFilters);
    for (const qx::DeviceProperty& row : qx::kDeviceProperties)
        if (row.text != qx::DeviceText::None) DDX_Text(pDX, row.fieldId, m_strDevice[static_cast<size_t>(row.text)]);
    DDX_Text(pDX, IDC_DEVICE_INSTANCE, m_strDevice[kInstanceText]);
    DDX_Text(pDX, IDC_DEVICE_INSTANCE_ID, m_strInstanceId);
}

void CInfoView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    CreateModifyTips();
    // The columns are set up once; a reopened document's second update leaves them.
    if (m_bColumnsSet || !m_listRegistry.m_hWnd) return;
    RECT rc;
    m_listRegistry.GetClientRect(&rc);
    const int w = (rc.right - rc.left) / 5;
    m_listRegistry.InsertColumn(0, AfxLoadString(IDS_COLUMN_KEY_NAME), LVCFMT_LEFT, w);
    m_listRegistry.InsertColumn(1, AfxLoadString(IDS_COLUMN_VALUE_NAME), LVCFMT_LEFT, w);
    m_listRegistry.InsertColumn(2, AfxLoadString(IDS_COLUMN_TYPE), LVCFMT_LEFT, w);
    m_listRegistry.InsertColumn(3, AfxLoadString(IDS_COLUMN_CONTENTS), LVCFMT_LEFT, 2 * w);
    m_bColumnsSet = true;
}

void CInfoView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint == CCarvelDoc::kHintReleaseRecords) {
        // The document is about to delete its records: keep no pointer to them and
        // show nothing that came from them.
        ++m_nReleases;
        m_pCurrentDevice = nullptr;
        m_pCurrentClass = nullptr;
        ClearDeviceFields();
        m_strClassGuid.clear();
        m_strClassName.clear();
        m_strClassLowerFilters.clear();
        m_strClassUpperFilters.clear();
        if (m_listRegistry.m_hWnd) m_listRegistry.DeleteAllItems();
        SetButtonCaptions(false);
        if (m_hWnd) UpdateData(FALSE);
        return;
    }
    CFormView::OnUpdate(pSender, lHint, pHint);
}

void CInfoView::ClearDeviceFields() {
    for (CString& text : m_strDevice) text.clear();
    m_strInstanceId.clear();
    if (m_hWnd) ::SetDlgItemTextW(m_hWnd, IDC_DEVICE_GROUP, AfxLoadString(IDS_DEVICE_INFORMATION).c_str());
    for (CListBox* box : {&m_listCompatibleIds, &m_listLowerFilters, &m_listUpperFilters})
        if (box->m_hWnd) box->ResetContent();
}

void CInfoView::SetButtonCaptions(bool bDevice) {
    if (!m_btnModifyUpper.m_hWnd || !m_btnModifyLower.m_hWnd) return;
    m_btnModifyUpper.SetWindowText(AfxLoadString(bDevice ? IDS_MODIFY_DEVICE_UPPER : IDS_MODIFY_CLASS_UPPER));
    m_btnModifyLower.SetWindowText(AfxLoadString(bDevice ? IDS_MODIFY_DEVICE_LOWER : IDS_MODIFY_CLASS_LOWER));
}

void CInfoView::ShowRecord(CObject* pRecord) {
    if (!pRecord) return;  // a tree item without a record (the tree is being emptied)
    ClearDeviceFields();
    if (pRecord->GetRuntimeClass() == RUNTIME_CLASS(CDevice)) {
        auto* pDevice = static_cast<CDevice*>(pRecord);
        m_pCurrentDevice = pDevice;
        ShowClass(pDevice->GetClass());
        ShowDevice(pDevice);
        SetButtonCaptions(true);
    } else if (pRecord->IsKindOf(RUNTIME_CLASS(CDriverClass))) {
        m_pCurrentClass = static_cast<CDriverClass*>(pRecord);
        m_pCurrentDevice = nullptr;
        ShowClass(m_pCurrentClass);
        if (m_listRegistry.m_hWnd) m_listRegistry.DeleteAllItems();
        SetButtonCaptions(false);
    }
    if (m_hWnd) UpdateData(FALSE);
}

namespace {

// The names stored after an empty string, which the platform never reads.
StringList HiddenNames(const CDriverClass* pClass, const CDevice* pDevice, bool upper) {
    qx::StoredList stored;
    const bool read = pDevice ? qx::ReadDeviceFilters(*pDevice, upper, &stored)
                              : qx::ReadClassFilters(pClass->GetClassKey(), upper, &stored);
    return read ? qx::TakeApart(stored).hidden : StringList();
}

// A class list as the field shows it: with the names the platform does not see.
std::wstring ClassListText(const CDriverClass* pClass, bool upper) {
    std::wstring text = qx::JoinList(pClass->GetFilters(upper));
    const StringList hidden = HiddenNames(pClass, nullptr, upper);
    if (!hidden.empty()) {
        const CString names = AfxFormatStrings(IDS_HIDDEN_NAMES, {qx::JoinList(hidden)});
        text += text.empty() ? names : L" " + names;
    }
    return text;
}

}  // namespace

void CInfoView::ShowClass(const CDriverClass* pClass) {
    if (!pClass) return;
    m_strClassGuid = pClass->GetGuidString();
    m_strClassName = pClass->GetDescription();
    m_strClassLowerFilters = ClassListText(pClass, false);
    m_strClassUpperFilters = ClassListText(pClass, true);
}

void CInfoView::ShowDevice(const CDevice* pDevice) {
    for (int i = 0; i < kInstanceText; ++i) m_strDevice[i] = pDevice->GetText(static_cast<qx::DeviceText>(i));
    m_strDevice[kInstanceText] = qx::DeviceNumberText(pDevice->GetIndex());
    m_strInstanceId = qx::DeviceInstanceId(*pDevice);
    FillListBox(m_listCompatibleIds, pDevice->GetCompatibleIds());
    FillListBox(m_listLowerFilters, pDevice->GetLowerFilters());
    FillListBox(m_listUpperFilters, pDevice->GetUpperFilters());
    for (bool upper : {false, true}) {
        CListBox& box = upper ? m_listUpperFilters : m_listLowerFilters;
        for (const std::wstring& name : HiddenNames(pDevice->GetClass(), pDevice, upper))
            if (box.m_hWnd) box.AddString(AfxFormatStrings(IDS_HIDDEN_NAMES, {name}));
    }
    // A device that reports a problem says so above its fields.
    uint32_t status = 0, problem = 0;
    const std::wstring problemText = qx::DeviceProblemText(*pDevice);
    if (!problemText.empty() && qx::ReadDeviceStatus(*pDevice, &status, &problem) && m_hWnd)
        ::SetDlgItemTextW(m_hWnd, IDC_DEVICE_GROUP,
                          AfxFormatStrings(IDS_DEVICE_PROBLEM, {qx::HexText(status), problemText}).c_str());
    if (m_bRegistryParameters) FillRegistryList(pDevice);
}

void CInfoView::FillListBox(CListBox& box, const StringList& list) {
    if (!box.m_hWnd) return;
    for (const auto& entry : list) box.AddString(entry);
}

void CInfoView::FillRegistryList(const CDevice* pDevice) {
    if (!m_listRegistry.m_hWnd) return;
    m_listRegistry.DeleteAllItems();
    const CRegistrySnapshot* pSnapshot = pDevice ? pDevice->GetRegistryParameters() : nullptr;
    if (!pSnapshot) return;
    const auto& rows = pSnapshot->GetRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const CRegistryValue& row = rows[i];
        const int nItem = m_listRegistry.InsertItem(static_cast<int>(i), row.GetKeyPath());
        if (nItem < 0) break;
        m_listRegistry.SetItemText(nItem, 1, row.GetValueName());
        m_listRegistry.SetItemData(nItem, static_cast<LPARAM>(i));
        FormattedValue value = FormatRegistryValue(row.GetType(), row.GetData(), row.GetDataLength());
        m_listRegistry.SetItemText(nItem, 2, value.typeName);
        if (value.hasContents) m_listRegistry.SetItemText(nItem, 3, value.contents);
    }
}

void CInfoView::OnModifyUpperFilters() { ModifyFilters(true); }
void CInfoView::OnModifyLowerFilters() { ModifyFilters(false); }

void CInfoView::ModifyFilters(bool bUpper) {
    if (!m_pCurrentDevice && !m_pCurrentClass) return;  // nothing shown yet
    UpdateData(TRUE);
    // The record the dialog is opened for: the new list goes there, or nowhere.
    CDevice* pDevice = m_pCurrentDevice;
    CDriverClass* pClass = pDevice ? pDevice->GetClass() : m_pCurrentClass;
    const unsigned nReleases = m_nReleases;
    // The visible names only: names hidden after an empty string are dropped by a save.
    const CString initial = qx::JoinList(pDevice ? pDevice->GetFilters(bUpper) : pClass->GetFilters(bUpper));

    auto pDlg = std::make_unique<CModifyFiltersDlg>(initial, bUpper, this);
    qx::FilterTarget target;
    target.classGuid = pClass ? pClass->GetGuid() : qx::Guid{};
    target.instanceId = pDevice ? qx::DeviceInstanceId(*pDevice) : std::wstring();
    target.upper = bUpper;
    pDlg->SetTarget(target);
    if (pClass) pDlg->SetHiddenEntries(HiddenNames(pClass, pDevice, bUpper));
    pDlg->SetTargetName(pDevice ? pDevice->GetDisplayName() : pClass ? pClass->GetDescription() : std::wstring());
    if (pDlg->DoModal() != IDOK) return;
    if (m_nReleases != nReleases || !pClass) {
        // The class list was released while the dialog was up: its record is gone, and
        // no other record may take the list in its place.
        AfxMessageBox(IDS_CLASS_LIST_RELOADED, MB_OK | MB_ICONHAND);
        return;
    }
    const StringList names = pDlg->GetFilterNames();
    // The form shows whatever list the record holds afterwards: the new one after a
    // write, the stored one after a refused write (the store has told the user).
    qx::ChangeOutcome written;
    if (pDevice) {
        written = bUpper ? pDevice->SetUpperFilters(names) : pDevice->SetLowerFilters(names);
        ShowRecord(pDevice);
    } else {
        written = bUpper ? pClass->SetUpperFilters(names) : pClass->SetLowerFilters(names);
        ShowRecord(pClass);
    }
    if (!written.Done()) return;
    if (auto* pFrame = dynamic_cast<CMainFrame*>(GetParentFrame())) {
        const StringList& written = pDevice ? pDevice->GetFilters(bUpper) : pClass->GetFilters(bUpper);
        const CString what = pDevice && !pDevice->GetDisplayName().empty() ? CString(pDevice->GetDisplayName())
                             : pDevice ? CString(qx::DeviceInstanceId(*pDevice))
                                       : CString(pClass->GetDescription());
        pFrame->ReportDone(AfxFormatStrings(IDS_STATUS_WRITTEN, {qx::ListTitle(bUpper), what,
                                                                 written.empty() ? AfxLoadString(IDS_LIST_REMOVED)
                                                                                 : CString(qx::JoinList(written))}));
    }
    // The new list is read when the devices start again: offer that now (online only).
    qx::AskAndRestartDevices(*pClass, pDevice, qx::ListTitle(bUpper));
}

void CInfoView::OnSafeMode() { SetSafeMode(!m_bSafeMode); }

void CInfoView::SetSafeMode(bool bSafeMode) {
    m_bSafeMode = bSafeMode;
    // Safe Mode alone decides whether the two Modify buttons can be pressed.
    if (m_btnModifyUpper.m_hWnd) m_btnModifyUpper.EnableWindow(m_bSafeMode ? FALSE : TRUE);
    if (m_btnModifyLower.m_hWnd) m_btnModifyLower.EnableWindow(m_bSafeMode ? FALSE : TRUE);
    UpdateModifyTips();
}

void CInfoView::OnUpdateSafeIndicator(CCmdUI* pCmdUI) {
    pCmdUI->SetText(m_bSafeMode ? AfxLoadString(ID_INDICATOR_SAFE) : AfxLoadString(IDS_INDICATOR_EDIT));
    UpdateModifyTips();  // the form may have scrolled or been resized since
}

CString CInfoView::GetModifyTip() const { return m_bSafeMode ? AfxLoadString(IDS_SAFE_MODE_TIP) : CString(); }

void CInfoView::CreateModifyTips() {
    if (m_hWndTips || !m_hWnd) return;
    m_hWndTips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr, nullptr);
    if (!m_hWndTips) return;
    const CString tip = AfxLoadString(IDS_SAFE_MODE_TIP);  // the control keeps a copy
    for (int nId : {IDC_MODIFY_UPPER, IDC_MODIFY_LOWER}) {
        TOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = m_hWnd;
        info.uId = static_cast<UINT_PTR>(nId);
        info.lpszText = const_cast<wchar_t*>(tip.c_str());
        ::SendMessageW(m_hWndTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    UpdateModifyTips();
}

void CInfoView::UpdateModifyTips() {
    if (!m_hWndTips) return;
    for (int nId : {IDC_MODIFY_UPPER, IDC_MODIFY_LOWER}) {
        TOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = m_hWnd;
        info.uId = static_cast<UINT_PTR>(nId);
        HWND hButton = ::GetDlgItem(m_hWnd, nId);
        if (!hButton) continue;
        ::GetWindowRect(hButton, &info.rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&info.rect), 2);
        ::SendMessageW(m_hWndTips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
    ::SendMessageW(m_hWndTips, TTM_ACTIVATE, m_bSafeMode ? TRUE : FALSE, 0);
}

void CInfoView::OnUpdateSafeMode(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bSafeMode ? 1 : 0);
    pCmdUI->Enable(TRUE);
}

void CInfoView::OnRegistryParameters() {
    m_bRegistryParameters = !m_bRegistryParameters;
    if (!m_listRegistry.m_hWnd) return;
    ShowControlsUnderList(!m_bRegistryParameters);
    m_listRegistry.ShowWindow(m_bRegistryParameters ? SW_SHOW : SW_HIDE);
    if (m_bRegistryParameters && m_pCurrentDevice) FillRegistryList(m_pCurrentDevice);
}

void CInfoView::OnUpdateRegistryParameters(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bRegistryParameters ? 1 : 0);
    pCmdUI->Enable(TRUE);
}

void CInfoView::ShowControlsUnderList(bool bShow) {
    RECT list;
    m_listRegistry.GetWindowRect(&list);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        const int nId = ::GetDlgCtrlID(hChild);
        if (hChild == m_listRegistry.m_hWnd || nId == IDC_DEVICE_GROUP) continue;  // the frame around it all
        RECT child, overlap;
        ::GetWindowRect(hChild, &child);
        if (::IntersectRect(&overlap, &child, &list)) ::ShowWindow(hChild, bShow ? SW_SHOW : SW_HIDE);
    }
}
