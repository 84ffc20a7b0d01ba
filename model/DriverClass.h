// One device setup class: its description, GUID, filter lists and present devices.
#pragma once
#include <memory>

#include "common/Object.h"
#include "model/Device.h"
#include "model/Types.h"

namespace qx {
struct ChangeContext;
}

using DeviceList = std::vector<std::unique_ptr<CDevice>>;
// The one device information set of a class list: every class of the list shares it,
// and the last one to let go releases it.
using SharedDevInfo = std::shared_ptr<void>;

class CDriverClass : public CObject {
    DECLARE_DYNAMIC(CDriverClass)
public:
    CDriverClass();
    ~CDriverClass() override;  // destroys the devices and lets go of the device set; keeps the key open

    void SetDescription(const std::wstring& description) { m_strDescription = description; }
    const std::wstring& GetDescription() const { return m_strDescription; }
    void SetGuid(const qx::Guid& guid);
    const std::wstring& GetGuidString() const { return m_strGuid; }
    const qx::Guid& GetGuid() const { return m_classGuid; }

    void SetClassKey(qx::KeyHandle key) { m_hClassKey = key; }
    qx::KeyHandle GetClassKey() const { return m_hClassKey; }
    void CloseClassKey();
    void SetDevInfo(const SharedDevInfo& devInfo) { m_devInfo = devInfo; }
    qx::DevInfoHandle GetDevInfo() const { return m_devInfo ? m_devInfo.get() : qx::InvalidHandle(); }
    void ReleaseDevInfo() { m_devInfo.reset(); }

    void AddUpperFilters(const uint8_t* data, size_t cb);
    void AddLowerFilters(const uint8_t* data, size_t cb);
    const StringList& GetUpperFilters() const { return m_upperFilters; }
    const StringList& GetLowerFilters() const { return m_lowerFilters; }
    const StringList& GetFilters(bool upper) const { return upper ? m_upperFilters : m_lowerFilters; }
    // The list as the registry now holds it (the filter store's part only).
    void ReplaceFilters(bool upper, const StringList& list) { (upper ? m_upperFilters : m_lowerFilters) = list; }
    const DeviceList& GetDeviceList() const { return m_deviceList; }

    // Creates the record of device number `index` of this class, the element at
    // `position` in `set`, fills it and appends it. Null, with the device left out,
    // when its filter lists are too large to hold. Without `details` the record holds
    // only what a list of devices shows (description, friendly name, filter lists): no
    // other property and no driver key.
    CDevice* AddDevice(qx::DevInfoHandle set, int32_t index, const qx::DeviceElement& element,
                       uint32_t position, bool details = true);
    // The property's data, or empty with *present false when it cannot be read;
    // *tooLarge (when given) says it was left out for its size.
    static std::vector<uint8_t> GetDeviceProperty(qx::DevInfoHandle set,
                                                  const qx::DeviceElement& element,
                                                  uint32_t property, uint32_t* type,
                                                  bool* present, bool* tooLarge = nullptr);

    // Store a new list in the class key ("UpperFilters"/"LowerFilters") through the
    // filter store; an empty list deletes the value. A failure is reported to the user,
    // and the outcome says which.
    // The context says where the change comes from (the window's, when not given).
    qx::ChangeOutcome SetUpperFilters(const StringList& filters);
    qx::ChangeOutcome SetLowerFilters(const StringList& filters);
    qx::ChangeOutcome SetUpperFilters(const StringList& filters, const qx::ChangeContext& context);
    qx::ChangeOutcome SetLowerFilters(const StringList& filters, const qx::ChangeContext& context);
    // Writes one registry property of one of this class's devices.
    bool SetDeviceProperty(const CDevice& device, uint32_t property, const uint8_t* buffer,
                           uint32_t cbBuffer);
    // The device's element in the set, found again at its place; false when the element
    // there is no longer that device.
    bool FindElement(const CDevice& device, qx::DeviceElement* element) const;

private:
    std::wstring m_strDescription;
    std::wstring m_strGuid;
    qx::KeyHandle m_hClassKey;
    SharedDevInfo m_devInfo;
    qx::Guid m_classGuid;
    DeviceList m_deviceList;
    StringList m_upperFilters;
    StringList m_lowerFilters;
};
