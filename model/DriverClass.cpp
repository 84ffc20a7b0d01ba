#include "model/DriverClass.h"

#include <new>

#include "model/Allocation.h"
#include "model/Bytes.h"
#include "model/DeviceAccess.h"
#include "model/FilterStore.h"
#include "model/TextForms.h"

IMPLEMENT_DYNAMIC(CDriverClass, CObject)

CDriverClass::CDriverClass() : m_hClassKey(qx::InvalidHandle()) {}

CDriverClass::~CDriverClass() = default;

void CDriverClass::SetGuid(const qx::Guid& guid) {
    m_classGuid = guid;
    m_strGuid = qx::GuidText(guid);
}

void CDriverClass::CloseClassKey() {
    if (m_hClassKey != qx::InvalidHandle() && m_hClassKey != nullptr) qx::Access().CloseKey(m_hClassKey);
    m_hClassKey = qx::InvalidHandle();
}

void CDriverClass::AddUpperFilters(const uint8_t* data, size_t cb) { qx::AppendMultiSz(m_upperFilters, data, cb); }
void CDriverClass::AddLowerFilters(const uint8_t* data, size_t cb) { qx::AppendMultiSz(m_lowerFilters, data, cb); }

namespace {

// What a list of devices shows of each: its description, its friendly name and its two filter lists.
bool InDeviceSummary(const qx::DeviceProperty& row) {
    return row.text == qx::DeviceText::DeviceDesc || row.text == qx::DeviceText::FriendlyName ||
           row.list == qx::DeviceNameList::UpperFilters || row.list == qx::DeviceNameList::LowerFilters;
}

void StoreProperty(CDevice& device, const qx::DeviceProperty& row, uint32_t type, const std::vector<uint8_t>& data) {
    const uint8_t* p = data.data();
    const size_t cb = data.size();
    switch (row.form) {
    case qx::PropertyForm::Text:
        device.SetText(row.text, qx::TextFromBytes(p, cb));
        break;
    case qx::PropertyForm::Hex:
        if (cb >= 4) device.SetText(row.text, qx::HexText(qx::ReadLe32(p)));
        break;
    case qx::PropertyForm::GuidBytes:
        if (cb >= 16) device.SetText(row.text, qx::GuidText(qx::ReadGuid(p)));
        break;
    case qx::PropertyForm::JoinedIds: {
        StringList ids;
        qx::AppendMultiSz(ids, p, cb);
        device.SetText(row.text, qx::JoinList(ids));
        break;
    }
    case qx::PropertyForm::NameList:
        device.AddToList(row.list, p, cb);
        break;
    case qx::PropertyForm::ObjectName:
        if (type == qx::kRegSz) {
            std::wstring name = qx::TextFromBytes(p, cb);
            device.SetText(row.text, name);
            static const std::wstring prefix = L"\\Device";
            device.SetText(qx::DeviceText::DeviceName,
                           name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : name);
        }
        break;
    case qx::PropertyForm::SecurityDescriptor:
        device.SetText(row.text, qx::Access().SecurityDescriptorToText(p, static_cast<uint32_t>(cb)));
        break;
    case qx::PropertyForm::NotRead:
        break;
    }
}

}  // namespace

std::vector<uint8_t> CDriverClass::GetDeviceProperty(qx::DevInfoHandle set,
                                                     const qx::DeviceElement& element,
                                                     uint32_t property, uint32_t* type,
                                                     bool* present, bool* tooLarge) {
    qx::IDeviceAccess& access = qx::Access();
    *present = false;
    if (tooLarge) *tooLarge = false;
    uint32_t required = 0;
    long error = access.GetDeviceRegistryProperty(set, element, property, type, nullptr, 0, &required);
    if (error != qx::kErrInsufficientBuffer || required == 0) return {};
    std::vector<uint8_t> buffer;
    if (!qx::ResizeRegistryData(buffer, required)) {
        if (tooLarge) *tooLarge = true;
        return {};
    }
    uint32_t returned = 0;
    if (access.GetDeviceRegistryProperty(set, element, property, type, buffer.data(), required,
                                         &returned) != qx::kErrSuccess)
        return {};
    if (returned < buffer.size()) buffer.resize(returned);
    *present = true;
    return buffer;
}

CDevice* CDriverClass::AddDevice(qx::DevInfoHandle set, int32_t index, const qx::DeviceElement& element,
                                 uint32_t position, bool details) {
    std::unique_ptr<CDevice> device(new (std::nothrow) CDevice);
    if (!device) {
        qx::ReportNoMemory();
        return nullptr;
    }
    for (const qx::DeviceProperty& row : qx::kDeviceProperties) {
        if (row.form == qx::PropertyForm::NotRead) continue;
        if (!details && !InDeviceSummary(row)) continue;
        uint32_t type = 0;
        bool present = false, tooLarge = false;
        std::vector<uint8_t> data = GetDeviceProperty(set, element, row.code, &type, &present, &tooLarge);
        if (tooLarge) {
            qx::ReportNoMemory();
            // A filter list the record cannot hold would show as empty, and a save from
            // there would destroy it: such a device is not shown at all.
            if (row.list == qx::DeviceNameList::UpperFilters || row.list == qx::DeviceNameList::LowerFilters) return nullptr;
        }
        if (present) StoreProperty(*device, row, type, data);
    }
    device->SetIndex(index);
    device->SetElement(element, position);
    device->SetClass(this);
    if (details) device->ReadRegistryParameters();
    m_deviceList.push_back(std::move(device));
    return m_deviceList.back().get();
}

qx::ChangeOutcome CDriverClass::SetUpperFilters(const StringList& filters) { return SetUpperFilters(filters, {}); }
qx::ChangeOutcome CDriverClass::SetLowerFilters(const StringList& filters) { return SetLowerFilters(filters, {}); }

qx::ChangeOutcome CDriverClass::SetUpperFilters(const StringList& filters, const qx::ChangeContext& context) {
    return qx::StoreFilterList(*this, nullptr, true, filters, context);
}

qx::ChangeOutcome CDriverClass::SetLowerFilters(const StringList& filters, const qx::ChangeContext& context) {
    return qx::StoreFilterList(*this, nullptr, false, filters, context);
}

bool CDriverClass::SetDeviceProperty(const CDevice& device, uint32_t property, const uint8_t* buffer,
                                     uint32_t cbBuffer) {
    qx::DeviceElement element;
    if (!FindElement(device, &element)) return false;
    return qx::Access().SetDeviceRegistryProperty(GetDevInfo(), element, property, buffer, cbBuffer);
}

bool CDriverClass::FindElement(const CDevice& device, qx::DeviceElement* element) const {
    // A device read alone has no number (-1), but always its place in its set.
    if (device.GetSetPosition() < 0) return false;
    if (!qx::Access().EnumDeviceInfo(GetDevInfo(), static_cast<uint32_t>(device.GetSetPosition()), element))
        return false;
    // The set is fixed when taken, but never act on a device other than the one shown.
    return element->devInst == device.GetElement().devInst;
}
