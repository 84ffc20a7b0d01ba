#include "ui/VelorTreeView.h"

#include <algorithm>
#include <vector>

#include "model/DriverClass.h"
#include "model/OfflineHive.h"
#include "model/RecordSearch.h"
#include "model/TextForms.h"
#include "res/resource.h"
#include "ui/CarvelDoc.h"
#include "ui/InfoView.h"
#include "ui/MainFrame.h"
#include "ui/framework/WinApp.h"

IMPLEMENT_DYNCREATE(CVelorTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CVelorTreeView, CTreeView)
    ON_NOTIFY_REFLECT(TVN_SELCHANGINGW, &CVelorTreeView::OnSelchanging)
END_MESSAGE_MAP()

BOOL CVelorTreeView::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CTreeView::PreCreateWindow(cs)) return FALSE;
    // The selection stays visible while the form has the focus.
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return TRUE;
}

const wchar_t CVelorTreeView::kSettings[] = L"Settings";
const wchar_t CVelorTreeView::kDeviceNames[] = L"DeviceNames";

CCarvelDoc* CVelorTreeView::GetDocument() const { return dynamic_cast<CCarvelDoc*>(m_pDocument); }

void CVelorTreeView::OnInitialUpdate() {
    CTreeView::OnInitialUpdate();
    if (CWinApp* pApp = AfxGetApp()) m_bDeviceNames = pApp->GetProfileString(kSettings, kDeviceNames, L"0") == L"1";
    CCarvelDoc* pDoc = GetDocument();
    if (!pDoc) return;
    pDoc->BuildDriverClasses();
    FillTree(pDoc->GetDriverClasses());
}

void CVelorTreeView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
    if (lHint == CCarvelDoc::kHintReleaseRecords) {
        // Every item's data points at a record that is about to go.
        m_bEmptying = true;
        DeleteAllItems();
        m_bEmptying = false;
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
        pFrame->SetProgressText(AfxLoadString(IDS_BUILDING_CLASS_LIST));
        pFrame->SetProgressRange(0, static_cast<int>(classes.size()));
    }
    // A hive has no physical device objects: offline every device is shown.
    const bool bOffline = !qx::CurrentOfflineHive().empty();
    for (size_t i = 0; i < classes.size(); ++i) {
        CDriverClass* pClass = classes[i].get();
        if (i == 0 && m_pInfoView) m_pInfoView->ShowRecord(pClass);  // the form starts on the first class
        HTREEITEM hClass = InsertRecord(*this, TVI_ROOT, pClass->GetDescription(), pClass);
        for (const auto& device : pClass->GetDeviceList()) {
            if (device->GetDeviceName().empty() && !bOffline) continue;  // no physical device object
            InsertRecord(*this, hClass, DeviceLabel(*device), device.get());
        }
        if (pFrame) pFrame->StepProgress();
    }
    if (pFrame) pFrame->CloseSplash();
}

void CVelorTreeView::OnSelchanging(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* pTreeView = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    *pResult = 0;
    if (m_bEmptying) return;
    if (m_pInfoView) m_pInfoView->ShowRecord(reinterpret_cast<CObject*>(pTreeView->itemNew.lParam));
}

void CVelorTreeView::Refresh() {
    CCarvelDoc* pDoc = GetDocument();
    if (!pDoc) return;
    // What is selected, by what outlives the records: the class GUID, and the device's
    // instance in the device tree.
    bool bClass = false, bDevice = false;
    qx::Guid classGuid;
    uint32_t devInst = 0;
    if (HTREEITEM hSelected = GetSelectedItem()) {
        auto* pRecord = reinterpret_cast<CObject*>(GetItemData(hSelected));
        if (pRecord && pRecord->GetRuntimeClass() == RUNTIME_CLASS(CDevice)) {
            const auto* pDevice = static_cast<const CDevice*>(pRecord);
            if (pDevice->GetClass()) {
                bClass = bDevice = true;
                classGuid = pDevice->GetClass()->GetGuid();
                devInst = pDevice->GetElement().devInst;
            }
        } else if (pRecord && pRecord->IsKindOf(RUNTIME_CLASS(CDriverClass))) {
            bClass = true;
            classGuid = static_cast<const CDriverClass*>(pRecord)->GetGuid();
        }
    }
    // The classes open now are open again afterwards.
    std::vector<qx::Guid> expanded;
    for (HTREEITEM hClass = GetRootItem(); hClass; hClass = GetNextItem(hClass, TVGN_NEXT)) {
        const auto* pClass = reinterpret_cast<const CDriverClass*>(GetItemData(hClass));
        if (pClass && (SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hClass), TVIS_EXPANDED) & TVIS_EXPANDED)) expanded.push_back(pClass->GetGuid());
    }
    pDoc->BuildDriverClasses();  // lets go of the old list first: the views drop its records
    FillTree(pDoc->GetDriverClasses());
    for (HTREEITEM hClass = GetRootItem(); hClass; hClass = GetNextItem(hClass, TVGN_NEXT)) {
        const auto* pClass = reinterpret_cast<const CDriverClass*>(GetItemData(hClass));
        if (pClass && std::find(expanded.begin(), expanded.end(), pClass->GetGuid()) != expanded.end())
            SendMessage(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hClass));
    }
    if (!bClass) return;
    for (HTREEITEM hClass = GetRootItem(); hClass; hClass = GetNextItem(hClass, TVGN_NEXT)) {
        const auto* pClass = reinterpret_cast<const CDriverClass*>(GetItemData(hClass));
        if (!pClass || pClass->GetGuid() != classGuid) continue;
        HTREEITEM hSelect = hClass;
        if (bDevice) {
            for (HTREEITEM h = GetNextItem(hClass, TVGN_CHILD); h; h = GetNextItem(h, TVGN_NEXT)) {
                const auto* pDevice = reinterpret_cast<const CDevice*>(GetItemData(h));
                if (pDevice && pDevice->GetElement().devInst == devInst) {
                    hSelect = h;
                    break;
                }
            }
        }
        SelectItem(hSelect);
        SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hSelect));
        break;
    }
}

namespace {

void SetBold(CTreeView& tree, HTREEITEM hItem, bool bBold) {
    TVITEMW item{};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.stateMask = TVIS_BOLD;
    item.state = bBold ? TVIS_BOLD : 0;
    tree.SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void CVelorTreeView::MarkFindings(const qx::Findings& findings) {
    for (HTREEITEM hClass = GetRootItem(); hClass; hClass = GetNextItem(hClass, TVGN_NEXT)) {
        const auto* pClass = reinterpret_cast<const CDriverClass*>(GetItemData(hClass));
        if (!pClass) continue;
        bool bClassMarked = false;
        for (const qx::Finding& finding : findings)
            if (finding.target.classGuid == pClass->GetGuid()) bClassMarked = true;
        for (HTREEITEM h = GetNextItem(hClass, TVGN_CHILD); h; h = GetNextItem(h, TVGN_NEXT)) {
            const auto* pDevice = reinterpret_cast<const CDevice*>(GetItemData(h));
            const std::wstring id = pDevice ? qx::DeviceInstanceId(*pDevice) : std::wstring();
            bool bMarked = false;
            for (const qx::Finding& finding : findings)
                if (!id.empty() && finding.target.instanceId == id) bMarked = true;
            SetBold(*this, h, bMarked);
        }
        SetBold(*this, hClass, bClassMarked);
    }
}

std::wstring CVelorTreeView::DeviceLabel(const CDevice& device) const {
    std::wstring label = qx::DeviceNumberText(device.GetIndex());
    if (m_bDeviceNames && !device.GetDisplayName().empty()) label += L" " + device.GetDisplayName();
    return label;
}

void CVelorTreeView::SetDeviceNames(bool bNames) {
    m_bDeviceNames = bNames;
    if (!m_hWnd) return;
    for (HTREEITEM hClass = GetRootItem(); hClass; hClass = GetNextItem(hClass, TVGN_NEXT))
        for (HTREEITEM h = GetNextItem(hClass, TVGN_CHILD); h; h = GetNextItem(h, TVGN_NEXT)) {
            const auto* pDevice = reinterpret_cast<const CDevice*>(GetItemData(h));
            if (!pDevice) continue;
            std::wstring label = DeviceLabel(*pDevice);
            TVITEMW item{};
            item.mask = TVIF_TEXT;
            item.hItem = h;
            item.pszText = &label[0];
            SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
}

namespace {

// The item after hItem in the order the tree lists them, collapsed classes included;
// after the last, the first.
HTREEITEM NextInOrder(const CTreeView& tree, HTREEITEM hItem) {
    if (!hItem) return tree.GetRootItem();
    if (HTREEITEM hChild = tree.GetNextItem(hItem, TVGN_CHILD)) return hChild;
    for (HTREEITEM h = hItem; h; h = tree.GetNextItem(h, TVGN_PARENT))
        if (HTREEITEM hNext = tree.GetNextItem(h, TVGN_NEXT)) return hNext;
    return tree.GetRootItem();
}

}  // namespace

bool CVelorTreeView::FindNext(const std::wstring& text) {
    if (text.empty()) return false;
    const HTREEITEM hStart = GetSelectedItem();
    HTREEITEM h = NextInOrder(*this, hStart);
    for (; h; h = NextInOrder(*this, h)) {
        auto* pRecord = reinterpret_cast<CObject*>(GetItemData(h));
        bool bMatch = false;
        if (pRecord && pRecord->GetRuntimeClass() == RUNTIME_CLASS(CDevice))
            bMatch = qx::DeviceMatches(*static_cast<const CDevice*>(pRecord), text);
        else if (pRecord && pRecord->IsKindOf(RUNTIME_CLASS(CDriverClass)))
            bMatch = qx::ClassMatches(*static_cast<const CDriverClass*>(pRecord), text);
        if (bMatch) {
            // Selecting a device inside a collapsed class expands the class.
            SelectItem(h);
            SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(h));
            return true;
        }
        if (h == hStart || (!hStart && NextInOrder(*this, h) == GetRootItem())) break;  // once round
    }
    return false;
}
