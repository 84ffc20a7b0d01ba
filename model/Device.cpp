#include "model/Device.h"

#include <new>

#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/Filters.h"
#include "model/TextForms.h"

IMPLEMENT_DYNAMIC(CDevice, CObject)

CDevice::CDevice() = default;
CDevice::~CDevice() = default;

void CDevice::AddCompatibleIds(const uint8_t* data, size_t cb) { qx::AppendMultiSz(m_compatibleIds, data, cb); }
void CDevice::AddUpperFilters(const uint8_t* data, size_t cb) { qx::AppendMultiSz(m_upperFilters, data, cb); }
void CDevice::AddLowerFilters(const uint8_t* data, size_t cb) { qx::AppendMultiSz(m_lowerFilters, data, cb); }

void CDevice::ReadRegistryParameters() {
    // The driver key is the one the device's own Driver property names; its position
    // in the class's enumeration may name another device's key.
    if (m_strDriver.empty()) return;
    std::wstring path = std::wstring(qx::kClassRootPath) + L'\\' + m_strDriver;
    qx::RegKey key;
    if (key.Open(path, qx::kKeyRead) != qx::kErrSuccess) return;
    std::unique_ptr<CRegistrySnapshot> snapshot(new (std::nothrow) CRegistrySnapshot(path));
    if (!snapshot) {
        qx::Messages().ShowMessage(L"No Memory for new entry", qx::kMbOk | qx::kMbIconHand);
        return;
    }
    snapshot->Take(key.Get());
    m_pRegParams = std::move(snapshot);
}

bool CDevice::SetUpperFilters(const StringList& filters) {
    return StoreFilters(qx::spdrp::UpperFilters, m_upperFilters, filters,
                        L"Unable to Modify Upper Filters");
}

bool CDevice::SetLowerFilters(const StringList& filters) {
    return StoreFilters(qx::spdrp::LowerFilters, m_lowerFilters, filters,
                        L"Unable to Modify Lower Filters");
}

bool CDevice::StoreFilters(uint32_t property, StringList& list, const StringList& filters,
                           const wchar_t* failureText) {
    bool stored = false;
    if (m_pClass && qx::IsStorableFilterList(filters)) {
        std::vector<uint8_t> image = qx::BuildMultiSz(filters);
        stored = m_pClass->SetDeviceProperty(*this, property, image.empty() ? nullptr : image.data(),
                                             static_cast<uint32_t>(image.size()));
    }
    if (!stored) {
        qx::Messages().ShowMessage(failureText, qx::kMbOkCancel | qx::kMbIconHand);
        return false;
    }
    list = filters;
    return true;
}
