// One present device of a setup class, every property held as display text.
#pragma once
#include <map>
#include <memory>
#include <utility>

#include "common/Object.h"
#include "model/ChangeOutcome.h"
#include "model/DeviceProperties.h"
#include "model/RegistrySnapshot.h"
#include "model/Types.h"

class CDriverClass;
namespace qx {
struct ChangeContext;
}

class CDevice : public CObject {
    DECLARE_DYNAMIC(CDevice)
public:
    CDevice();
    ~CDevice() override;

    // Every text property, by its row of the property table (model/DeviceProperties.h).
    const std::wstring& GetText(qx::DeviceText text) const;
    void SetText(qx::DeviceText text, std::wstring value) { m_texts[text] = std::move(value); }
    const StringList& GetList(qx::DeviceNameList list) const { return m_lists[static_cast<size_t>(list)]; }
    void AddToList(qx::DeviceNameList list, const uint8_t* data, size_t cb);

    // The texts the program's own code reads by name.
#define QX_DEVICE_TEXT(Name, Text) \
    const std::wstring& Get##Name() const { return GetText(qx::DeviceText::Text); }
    QX_DEVICE_TEXT(DeviceName, DeviceName)
    QX_DEVICE_TEXT(Address, Address)
    QX_DEVICE_TEXT(BusNumber, BusNumber)
    QX_DEVICE_TEXT(BusTypeGuid, BusTypeGuid)
    QX_DEVICE_TEXT(Capabilities, Capabilities)
    QX_DEVICE_TEXT(Characteristics, Characteristics)
    QX_DEVICE_TEXT(ClassGuid, ClassGuid)
    QX_DEVICE_TEXT(ConfigFlags, ConfigFlags)
    QX_DEVICE_TEXT(Configuration, Configuration)
    QX_DEVICE_TEXT(ConfigVector, ConfigVector)
    QX_DEVICE_TEXT(DeviceDesc, DeviceDesc)
    QX_DEVICE_TEXT(DevType, DevType)
    QX_DEVICE_TEXT(Driver, Driver)
    QX_DEVICE_TEXT(Enumerator, Enumerator)
    QX_DEVICE_TEXT(Exclusive, Exclusive)
    QX_DEVICE_TEXT(FriendlyName, FriendlyName)
    QX_DEVICE_TEXT(HardwareId, HardwareId)
    QX_DEVICE_TEXT(LegacyBusType, LegacyBusType)
    QX_DEVICE_TEXT(LocationInfo, LocationInfo)
    QX_DEVICE_TEXT(Mfg, Mfg)
    QX_DEVICE_TEXT(NtDevicePaths, NtDevicePaths)
    QX_DEVICE_TEXT(PdoName, PdoName)
    QX_DEVICE_TEXT(Security, Security)
    QX_DEVICE_TEXT(SecuritySds, SecuritySds)
    QX_DEVICE_TEXT(Service, Service)
    QX_DEVICE_TEXT(UiNumber, UiNumber)
    QX_DEVICE_TEXT(ClassText, Class)
#undef QX_DEVICE_TEXT

public:
    // How people know the device: its friendly name, else its description (may be empty).
    const std::wstring& GetDisplayName() const {
        return GetFriendlyName().empty() ? GetDeviceDesc() : GetFriendlyName();
    }
    const StringList& GetCompatibleIds() const { return GetList(qx::DeviceNameList::CompatibleIds); }
    const StringList& GetUpperFilters() const { return GetList(qx::DeviceNameList::UpperFilters); }
    const StringList& GetLowerFilters() const { return GetList(qx::DeviceNameList::LowerFilters); }
    const StringList& GetFilters(bool upper) const { return upper ? GetUpperFilters() : GetLowerFilters(); }
    // The list as the registry now holds it (the filter store's part only).
    void ReplaceFilters(bool upper, const StringList& list) {
        m_lists[static_cast<size_t>(upper ? qx::DeviceNameList::UpperFilters : qx::DeviceNameList::LowerFilters)] = list;
    }

    void SetIndex(int32_t index) { m_nIndex = index; }
    int32_t GetIndex() const { return m_nIndex; }
    // The set element the device was enumerated as and its place in the set, to find
    // and recognise it again when writing.
    void SetElement(const qx::DeviceElement& element, uint32_t position) {
        m_element = element;
        m_nSetPosition = static_cast<int32_t>(position);
    }
    const qx::DeviceElement& GetElement() const { return m_element; }
    int32_t GetSetPosition() const { return m_nSetPosition; }
    void SetClass(CDriverClass* pClass) { m_pClass = pClass; }
    CDriverClass* GetClass() const { return m_pClass; }

    // Takes the snapshot of the device's driver key, if that key opens.
    void ReadRegistryParameters();
    const CRegistrySnapshot* GetRegistryParameters() const { return m_pRegParams.get(); }

    // Store a new list through the filter store; when done the record's list becomes it.
    // The context says where the change comes from (the window's, when not given).
    qx::ChangeOutcome SetUpperFilters(const StringList& filters);
    qx::ChangeOutcome SetLowerFilters(const StringList& filters);
    qx::ChangeOutcome SetUpperFilters(const StringList& filters, const qx::ChangeContext& context);
    qx::ChangeOutcome SetLowerFilters(const StringList& filters, const qx::ChangeContext& context);

private:
    qx::ChangeOutcome StoreFilters(bool upper, const StringList& filters, const qx::ChangeContext& context);

    // Only the texts read: a device of a list holds two or three of them, and a machine
    // has thousands of devices.
    std::map<qx::DeviceText, std::wstring> m_texts;
    StringList m_lists[static_cast<size_t>(qx::DeviceNameList::None)];

    CDriverClass* m_pClass = nullptr;
    int32_t m_nIndex = -1;
    int32_t m_nSetPosition = -1;
    qx::DeviceElement m_element;
    std::unique_ptr<CRegistrySnapshot> m_pRegParams;
};
