#include "model/Device.h"

#include <new>

#include "model/Allocation.h"
#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/FilterStore.h"
#include "model/TextForms.h"

IMPLEMENT_DYNAMIC(CDevice, CObject)

CDevice::CDevice() = default;
CDevice::~CDevice() = default;

const std::wstring& CDevice::GetText(qx::DeviceText text) const {
    static const std::wstring kNone;
    auto found = m_texts.find(text);
    return found == m_texts.end() ? kNone : found->second;
}

void CDevice::AddToList(qx::DeviceNameList list, const uint8_t* data, size_t cb) {
    qx::AppendMultiSz(m_lists[static_cast<size_t>(list)], data, cb);
}

void CDevice::ReadRegistryParameters() {
    // The driver key is the one the device's own Driver property names; its position
    // in the class's enumeration may name another device's key.
    if (GetDriver().empty()) return;
    std::wstring path = std::wstring(qx::kClassRootPath) + L'\\' + GetDriver();
    qx::RegKey key;
    if (key.Open(path, qx::kKeyRead) != qx::kErrSuccess) return;
    std::unique_ptr<CRegistrySnapshot> snapshot(new (std::nothrow) CRegistrySnapshot(path));
    if (!snapshot) {
        qx::ReportNoMemory();
        return;
    }
    snapshot->Take(key.Get());
    m_pRegParams = std::move(snapshot);
}

qx::ChangeOutcome CDevice::SetUpperFilters(const StringList& filters) { return StoreFilters(true, filters, {}); }
qx::ChangeOutcome CDevice::SetLowerFilters(const StringList& filters) { return StoreFilters(false, filters, {}); }
qx::ChangeOutcome CDevice::SetUpperFilters(const StringList& filters, const qx::ChangeContext& context) {
    return StoreFilters(true, filters, context);
}
qx::ChangeOutcome CDevice::SetLowerFilters(const StringList& filters, const qx::ChangeContext& context) {
    return StoreFilters(false, filters, context);
}

qx::ChangeOutcome CDevice::StoreFilters(bool upper, const StringList& filters, const qx::ChangeContext& context) {
    if (!m_pClass) return qx::FilterStoreFailure(upper);
    return qx::StoreFilterList(*m_pClass, this, upper, filters, context);
}
