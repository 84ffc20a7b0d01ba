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

enum class Form { Text, Hex, GuidBytes, MultiString, ObjectName, SecurityDescriptor };

struct PropertyField {
    uint32_t property;
    Form form;
    void (CDevice::*setText)(const std::wstring&);
    void (CDevice::*addList)(const uint8_t*, size_t);
};

// Every property a device record shows, in the order they are read.
const PropertyField kFields[] = {
    {qx::spdrp::PhysicalDeviceObjectName, Form::ObjectName, nullptr, nullptr},
    {qx::spdrp::Address, Form::Hex, &CDevice::SetAddress, nullptr},
    {qx::spdrp::BusNumber, Form::Hex, &CDevice::SetBusNumber, nullptr},
    {qx::spdrp::BusTypeGuid, Form::GuidBytes, &CDevice::SetBusTypeGuid, nullptr},
    {qx::spdrp::Capabilities, Form::Hex, &CDevice::SetCapabilities, nullptr},
    {qx::spdrp::Characteristics, Form::Hex, &CDevice::SetCharacteristics, nullptr},
    {qx::spdrp::Class, Form::Text, &CDevice::SetClassText, nullptr},
    {qx::spdrp::ClassGuid, Form::Text, &CDevice::SetClassGuid, nullptr},
    {qx::spdrp::CompatibleIds, Form::MultiString, nullptr, &CDevice::AddCompatibleIds},
    {qx::spdrp::ConfigFlags, Form::Hex, &CDevice::SetConfigFlags, nullptr},
    {qx::spdrp::DeviceDesc, Form::Text, &CDevice::SetDeviceDesc, nullptr},
    {qx::spdrp::DevType, Form::Hex, &CDevice::SetDevType, nullptr},
    {qx::spdrp::Driver, Form::Text, &CDevice::SetDriver, nullptr},
    {qx::spdrp::EnumeratorName, Form::Text, &CDevice::SetEnumerator, nullptr},
    {qx::spdrp::Exclusive, Form::Hex, &CDevice::SetExclusive, nullptr},
    {qx::spdrp::FriendlyName, Form::Text, &CDevice::SetFriendlyName, nullptr},
    {qx::spdrp::HardwareId, Form::MultiString, nullptr, nullptr},  // joined into one text
    {qx::spdrp::LegacyBusType, Form::Hex, &CDevice::SetLegacyBusType, nullptr},
    {qx::spdrp::LocationInformation, Form::Text, &CDevice::SetLocationInfo, nullptr},
    {qx::spdrp::LowerFilters, Form::MultiString, nullptr, &CDevice::AddLowerFilters},
    {qx::spdrp::Mfg, Form::Text, &CDevice::SetMfg, nullptr},
    {qx::spdrp::Security, Form::SecurityDescriptor, &CDevice::SetSecurity, nullptr},
    {qx::spdrp::SecuritySds, Form::Text, &CDevice::SetSecuritySds, nullptr},
    {qx::spdrp::Service, Form::Text, &CDevice::SetService, nullptr},
    {qx::spdrp::UiNumber, Form::Hex, &CDevice::SetUiNumber, nullptr},
    {qx::spdrp::UpperFilters, Form::MultiString, nullptr, &CDevice::AddUpperFilters},
};

// What a list of devices shows of each.
bool InDeviceSummary(uint32_t property) {
    return property == qx::spdrp::DeviceDesc || property == qx::spdrp::FriendlyName ||
           property == qx::spdrp::UpperFilters || property == qx::spdrp::LowerFilters;
}

void StoreProperty(CDevice& device, const PropertyField& field, uint32_t type,
                   const std::vector<uint8_t>& data) {
    const uint8_t* p = data.data();
    const size_t cb = data.size();
    switch (field.form) {
    case Form::Text:
        (device.*field.setText)(qx::TextFromBytes(p, cb));
        break;
    case Form::Hex:
        if (cb >= 4) (device.*field.setText)(qx::HexText(qx::ReadLe32(p)));
        break;
    case Form::GuidBytes:
        if (cb >= 16) (device.*field.setText)(qx::GuidText(qx::ReadGuid(p)));
        break;
    case Form::MultiString:
        if (field.addList) {
            (device.*field.addList)(p, cb);
        } else {
            StringList ids;
            qx::AppendMultiSz(ids, p, cb);
            device.SetHardwareId(qx::JoinList(ids));
        }
        break;
    case Form::ObjectName:
        if (type == qx::kRegSz) {
            std::wstring name = qx::TextFromBytes(p, cb);
            device.SetPdoName(name);
            static const std::wstring prefix = L"\\Device";
            device.SetDeviceName(name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size())
                                                                              : name);
        }
        break;
    case Form::SecurityDescriptor:
        (device.*field.setText)(qx::Access().SecurityDescriptorToText(p, static_cast<uint32_t>(cb)));
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
    for (const PropertyField& field : kFields) {
        if (!details && !InDeviceSummary(field.property)) continue;
        uint32_t type = 0;
        bool present = false, tooLarge = false;
        std::vector<uint8_t> data = GetDeviceProperty(set, element, field.property, &type, &present, &tooLarge);
        if (tooLarge) {
            qx::ReportNoMemory();
            // A filter list the record cannot hold would show as empty, and a save from
            // there would destroy it: such a device is not shown at all.
            if (field.property == qx::spdrp::UpperFilters || field.property == qx::spdrp::LowerFilters)
                return nullptr;
        }
        if (present) StoreProperty(*device, field, type, data);
    }
    device->SetIndex(index);
    device->SetElement(element, position);
    device->SetClass(this);
    if (details) device->ReadRegistryParameters();
    m_deviceList.push_back(std::move(device));
    return m_deviceList.back().get();
}

bool CDriverClass::SetUpperFilters(const StringList& filters) { return SetUpperFilters(filters, {}); }
bool CDriverClass::SetLowerFilters(const StringList& filters) { return SetLowerFilters(filters, {}); }

bool CDriverClass::SetUpperFilters(const StringList& filters, const qx::ChangeContext& context) {
    return qx::StoreFilterList(*this, nullptr, true, filters, context);
}

bool CDriverClass::SetLowerFilters(const StringList& filters, const qx::ChangeContext& context) {
    return qx::StoreFilterList(*this, nullptr, false, filters, context);
}

bool CDriverClass::SetDeviceProperty(const CDevice& device, uint32_t property, const uint8_t* buffer,
                                     uint32_t cbBuffer) {
    qx::DeviceElement element;
    if (!FindElement(device, &element)) return false;
    return qx::Access().SetDeviceRegistryProperty(GetDevInfo(), element, property, buffer, cbBuffer);
}

bool CDriverClass::FindElement(const CDevice& device, qx::DeviceElement* element) const {
    if (device.GetIndex() < 0 || device.GetSetPosition() < 0) return false;
    if (!qx::Access().EnumDeviceInfo(GetDevInfo(), static_cast<uint32_t>(device.GetSetPosition()), element))
        return false;
    // The set is fixed when taken, but never act on a device other than the one shown.
    return element->devInst == device.GetElement().devInst;
}
