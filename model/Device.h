// One present device of a setup class, every property held as display text.
#pragma once
#include <memory>

#include "common/Object.h"
#include "model/ChangeOutcome.h"
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

    // One line a text property: its accessors and its member.
#define QX_DEVICE_TEXT(Name)                                                   \
public:                                                                        \
    const std::wstring& Get##Name() const { return m_str##Name; }              \
    void Set##Name(const std::wstring& text) { m_str##Name = text; }           \
                                                                               \
private:                                                                       \
    std::wstring m_str##Name;
    QX_DEVICE_TEXT(DeviceName)
    QX_DEVICE_TEXT(Address)
    QX_DEVICE_TEXT(BusNumber)
    QX_DEVICE_TEXT(BusTypeGuid)
    QX_DEVICE_TEXT(Capabilities)
    QX_DEVICE_TEXT(Characteristics)
    QX_DEVICE_TEXT(ClassGuid)
    QX_DEVICE_TEXT(ConfigFlags)
    QX_DEVICE_TEXT(Configuration)
    QX_DEVICE_TEXT(ConfigVector)
    QX_DEVICE_TEXT(DeviceDesc)
    QX_DEVICE_TEXT(DevType)
    QX_DEVICE_TEXT(Driver)
    QX_DEVICE_TEXT(Enumerator)
    QX_DEVICE_TEXT(Exclusive)
    QX_DEVICE_TEXT(FriendlyName)
    QX_DEVICE_TEXT(HardwareId)
    QX_DEVICE_TEXT(LegacyBusType)
    QX_DEVICE_TEXT(LocationInfo)
    QX_DEVICE_TEXT(Mfg)
    QX_DEVICE_TEXT(NtDevicePaths)
    QX_DEVICE_TEXT(PdoName)
    QX_DEVICE_TEXT(Security)
    QX_DEVICE_TEXT(SecuritySds)
    QX_DEVICE_TEXT(Service)
    QX_DEVICE_TEXT(UiNumber)
    QX_DEVICE_TEXT(ClassText)  // the Class property's text (GetClass is the owning class record)
#undef QX_DEVICE_TEXT

public:
    // How people know the device: its friendly name, else its description (may be empty).
    const std::wstring& GetDisplayName() const { return m_strFriendlyName.empty() ? m_strDeviceDesc : m_strFriendlyName; }
    const StringList& GetCompatibleIds() const { return m_compatibleIds; }
    void AddCompatibleIds(const uint8_t* data, size_t cb);
    const StringList& GetUpperFilters() const { return m_upperFilters; }
    const StringList& GetLowerFilters() const { return m_lowerFilters; }
    const StringList& GetFilters(bool upper) const { return upper ? m_upperFilters : m_lowerFilters; }
    // The list as the registry now holds it (the filter store's part only).
    void ReplaceFilters(bool upper, const StringList& list) { (upper ? m_upperFilters : m_lowerFilters) = list; }
    void AddUpperFilters(const uint8_t* data, size_t cb);
    void AddLowerFilters(const uint8_t* data, size_t cb);

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

    StringList m_compatibleIds;
    StringList m_lowerFilters;
    StringList m_upperFilters;

    CDriverClass* m_pClass = nullptr;
    int32_t m_nIndex = -1;
    int32_t m_nSetPosition = -1;
    qx::DeviceElement m_element;
    std::unique_ptr<CRegistrySnapshot> m_pRegParams;
};
